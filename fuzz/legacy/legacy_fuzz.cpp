// The Excel 97-2003 reader (freexl underneath) under libFuzzer. freexl opens files by name, so
// each input is placed in a memory file and opened through its /proc path. Every input must
// give a workbook or a Failure with a description; a workbook is rendered cell by cell.
#include <cstddef>
#include <cstdint>

#include "../common/fuzz_workbook.h"
#include "engine/legacy/legacy_workbook_reader.h"
#include "platform/failure.h"
#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static brintova::fuzz::MemoryFile file;
  const std::u16string path = brintova::TextFromNativePath(file.Write(data, size));
  try {
    const auto book = brintova::engine::legacy::ReadLegacyWorkbook(path);
    brintova::fuzz::VisitWorkbook(*book);
  } catch (const brintova::Failure& failure) {
    if (failure.description().empty()) __builtin_trap();
  }
  return 0;
}
