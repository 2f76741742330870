// The record layer of a legacy workbook stream: records one after another (type, length, body),
// and a reader for data that a record carries on into the CONTINUE records after it, such as
// the shared-string table and long strings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brintova::engine::legacy {

inline constexpr std::uint16_t kContinueRecord = 0x003C;

struct Record {
  std::uint16_t type = 0;
  std::string_view body;
  std::size_t offset = 0;  // of the record's header in the stream
};

class RecordStream {
 public:
  explicit RecordStream(std::string_view stream) : stream_(stream) {}

  // The next record; false at the end of the stream. A record whose body runs past the end of
  // the stream is given with what is there, and is the last.
  bool Next(Record& record);
  // True when the next record is of this type.
  bool NextIs(std::uint16_t type) const;
  std::size_t position() const { return at_; }
  void Seek(std::size_t offset) { at_ = offset < stream_.size() ? offset : stream_.size(); }
  std::string_view stream() const { return stream_; }

 private:
  std::string_view stream_;
  std::size_t at_ = 0;
};

// Reads a record's body and, once that runs out, the bodies of the CONTINUE records that follow
// it, pulling them from the record stream only when they are needed. Reading past the last piece
// sets failed() and gives zeros.
class ContinuedReader {
 public:
  ContinuedReader(RecordStream& records, std::string_view first)
      : records_(records), piece_(first) {}

  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  void Skip(std::size_t count);
  // Appends `count` characters of a BIFF8 string whose flags said `high_byte` (two bytes per
  // character, else one). Where the characters go on in a CONTINUE record, that record begins
  // with a flags byte of its own.
  void Chars(std::size_t count, bool high_byte, std::u16string& out);
  // Appends `count` bytes as they are (8-bit text in a code page).
  void Bytes(std::size_t count, std::string& out);
  // True when no byte is left here nor in a CONTINUE record after it.
  bool AtEnd();
  bool failed() const { return failed_; }

 private:
  // Moves to the next CONTINUE record; false when the next record is not one.
  bool NextPiece();
  bool Ensure();  // true when the current piece has a byte left, moving on when needed

  RecordStream& records_;
  std::string_view piece_;
  std::size_t at_ = 0;
  bool failed_ = false;
};

// A BIFF8 string as a record holds it whole: 8- or 16-bit characters after a flags byte, rich
// text runs and phonetic data skipped. `count_bytes` is the width of the character count (1 or
// 2). Returns the offset after the string, or 0 when the record ends inside it.
std::size_t ReadBiff8String(std::string_view body, std::size_t at, int count_bytes,
                            std::u16string& out);

}  // namespace brintova::engine::legacy
