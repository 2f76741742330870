// The OpenDocument reader under libFuzzer: every input is read as an .ods package; a workbook
// that reads is rendered cell by cell, saved as .xlsx with a result sheet added, and the saved
// file must read again. Every refusal must say why.
#include <cstddef>
#include <cstdint>

#include "../common/pack_parts.h"
#include "../common/save_and_reopen.h"
#include "engine/ods/ods_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string zip_bytes;
  if (!brintova::fuzz::InputAsZip(data, size, zip_bytes)) return 0;
  brintova::engine::package::ZipLimits limits;  // small enough for libFuzzer's memory limit
  limits.max_part_bytes = std::uint64_t{16} << 20;
  limits.ratio_floor_bytes = std::uint64_t{1} << 20;
  // Fewer cells than a workbook may hold: a million under the sanitizers, saved and read again,
  // is what libFuzzer's time limit allows.
  auto result = brintova::engine::ods::ReadOdsBuffer(zip_bytes.data(), zip_bytes.size(), limits,
                                                     std::uint64_t{1} << 20);
  if (!result.ok()) {
    if (result.error.description.empty()) __builtin_trap();
    return 0;
  }
  brintova::fuzz::VisitWorkbook(*result.workbook);
  result.workbook->source().kind = brintova::engine::model::SourceKind::kOds;
  brintova::fuzz::SaveAsXlsxAndReopen(*result.workbook, "ods");
  return 0;
}
