// Legacy workbooks built in memory for the tests: records of a workbook stream, and a minimal
// compound file (512-byte sectors, one allocation table, no mini stream) holding the streams.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brintova::engine::legacy::testing {

std::string Le16(std::uint32_t value);
std::string Le32(std::uint32_t value);
std::string F64(double value);
// A BIFF8 string: count (1 or 2 bytes), flags, characters (16-bit when any is past Latin-1).
std::string Biff8String(std::u16string_view text, int count_bytes = 2);

class StreamBuilder {
 public:
  StreamBuilder& Add(std::uint16_t type, std::string_view body);
  // BOF of the globals (0x0005) or of a worksheet (0x0010); BIFF8 unless `biff5`.
  StreamBuilder& Bof(std::uint16_t kind, bool biff5 = false);
  StreamBuilder& Eof() { return Add(0x000A, {}); }
  std::size_t size() const { return bytes_.size(); }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// A workbook stream with one worksheet: `globals` (after the BOF: formats, styles, strings),
// a BOUNDSHEET named `sheet`, then the worksheet substream with `cells` (records after its BOF).
std::string OneSheetStream(const StreamBuilder& globals, const StreamBuilder& cells,
                           std::u16string_view sheet = u"Data", bool biff5 = false);

// A compound file holding the streams, each named, under the root.
std::string CompoundFileOf(const std::vector<std::pair<std::u16string, std::string>>& streams);

// The bytes of a file in tests/data.
std::string DataFile(const std::string& name);

}  // namespace brintova::engine::legacy::testing
