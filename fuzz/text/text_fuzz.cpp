// The .csv/.txt reader under libFuzzer: separator detection, quoting, UTF-8/BOM/Latin-1
// decoding and number recognition, on the bytes as both a .csv and a .txt file.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "../common/fuzz_workbook.h"
#include "engine/text/text_workbook_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (std::u16string_view name :
       {std::u16string_view(u"/in/fuzz.csv"), std::u16string_view(u"/in/fuzz.txt")}) {
    const auto book = brintova::engine::textfile::ReadTextWorkbookFromBytes(bytes, name);
    if (book == nullptr || book->SheetCount() != 1) __builtin_trap();
    brintova::fuzz::VisitWorkbook(*book);
  }
  return 0;
}
