// The binary parts of an .xlsb package are sequences of records: a type of one or two bytes, a
// size of one to four bytes (seven bits each), then the body. RecordStream cuts a part into
// records as its bytes arrive; RecordCursor reads the fields of one record's body.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace brintova::engine::package {
class ZipReader;
}

namespace brintova::engine::xlsb {

// Record types the reader acts on.
namespace record {
inline constexpr std::uint32_t kRowHeader = 0;
inline constexpr std::uint32_t kCellBlank = 1;
inline constexpr std::uint32_t kCellRk = 2;
inline constexpr std::uint32_t kCellError = 3;
inline constexpr std::uint32_t kCellBool = 4;
inline constexpr std::uint32_t kCellReal = 5;
inline constexpr std::uint32_t kCellString = 6;
inline constexpr std::uint32_t kCellSharedString = 7;
inline constexpr std::uint32_t kFormulaString = 8;
inline constexpr std::uint32_t kFormulaNumber = 9;
inline constexpr std::uint32_t kFormulaBool = 10;
inline constexpr std::uint32_t kFormulaError = 11;
inline constexpr std::uint32_t kSharedStringItem = 19;
inline constexpr std::uint32_t kNumberFormat = 44;
inline constexpr std::uint32_t kCellFormat = 47;
inline constexpr std::uint32_t kCellRichString = 62;
inline constexpr std::uint32_t kWorkbookProperties = 153;
inline constexpr std::uint32_t kSheetEntry = 156;
inline constexpr std::uint32_t kBeginSharedStrings = 159;
inline constexpr std::uint32_t kBeginCellFormats = 617;
inline constexpr std::uint32_t kEndCellFormats = 618;
}  // namespace record

// Reads the fields of one record body, little-endian. Every read checks the bounds and throws
// ReadError ("<what> ends early") when the body is shorter than its fields.
class RecordCursor {
 public:
  RecordCursor(std::string_view body, const char* what) : body_(body), what_(what) {}

  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  double F64();
  // An RkNumber: a 30-bit integer or the high 30 bits of a double, possibly divided by 100.
  double Rk();
  // A length-prefixed UTF-16LE string appended to `out`. The length is checked against the
  // bytes left before anything is allocated. A nullable string's 0xFFFFFFFF reads as empty.
  void WideString(std::u16string& out);
  void Skip(std::size_t bytes);
  std::size_t left() const { return body_.size() - at_; }

 private:
  [[noreturn]] void Short() const;
  std::string_view body_;
  std::size_t at_ = 0;
  const char* what_;
};

// Decodes an RkNumber.
double DecodeRk(std::uint32_t rk);

using RecordSink = std::function<void(std::uint32_t type, std::string_view body)>;

// Cuts bytes into records, handing each whole record to the sink. Bytes are held only until
// their record is complete, so a size that lies never allocates more than the part holds.
class RecordStream {
 public:
  explicit RecordStream(RecordSink sink) : sink_(std::move(sink)) {}
  void Feed(const char* data, std::size_t size);
  // Throws ReadError when the part ended inside a record.
  void Finish() const;

 private:
  // Handles the records that lie wholly in [data, data + size); returns the bytes used.
  std::size_t Cut(const char* data, std::size_t size);
  RecordSink sink_;
  std::string carry_;
};

// Streams a part of the package through `sink`. Throws ReadError naming the part when it is
// missing, damaged or ends inside a record, or when the sink refuses a record.
void ReadRecords(const package::ZipReader& zip, std::string_view part_name, const RecordSink& sink);

}  // namespace brintova::engine::xlsb
