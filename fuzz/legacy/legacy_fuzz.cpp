// The legacy reader (compound file, workbook stream, decryption) under libFuzzer. Every input
// must give a workbook or a reason; a workbook is rendered cell by cell.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "../common/fuzz_workbook.h"
#include "engine/legacy/legacy_workbook_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto result = brintova::engine::legacy::ReadLegacyBuffer(
      std::string_view(reinterpret_cast<const char*>(data), size));
  if (result.ok()) {
    brintova::fuzz::VisitWorkbook(*result.workbook);
  } else if (result.error.description.empty()) {
    __builtin_trap();
  }
  return 0;
}
