// The .csv/.txt reader under libFuzzer: separator detection, quoting, UTF-8/BOM/Latin-1
// decoding, number recognition and the rows and fields past the grid, on the bytes as both a
// .csv and a .txt file, under the reader's limits scaled to the fuzzer's memory.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "../common/fuzz_workbook.h"
#include "engine/text/text_workbook_reader.h"
#include "platform/failure.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  brintova::engine::textfile::TextLimits limits;
  limits.max_cells = std::uint64_t{1} << 16;
  for (std::u16string_view name :
       {std::u16string_view(u"/in/fuzz.csv"), std::u16string_view(u"/in/fuzz.txt")}) {
    try {
      const auto book = brintova::engine::textfile::ReadTextWorkbookFromBytes(bytes, name, limits);
      if (book == nullptr || book->SheetCount() != 1) __builtin_trap();
      brintova::fuzz::VisitWorkbook(*book);
    } catch (const brintova::Failure& failure) {
      if (failure.description().empty()) __builtin_trap();  // every refusal says why
    }
  }
  return 0;
}
