// The Office Open XML reader and writer under libFuzzer. The input becomes a zip package as
// common/pack_parts.h says (a zip as it stands, or "#=<part name>" sections packed with correct
// checksums, so that mutations reach the XML parsers instead of failing the CRC).
// A workbook that reads is rendered cell by cell, then saved with a result sheet added, and the
// saved file must read again. The reader runs under a package budget scaled to the fuzzer's
// memory.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "../common/fuzz_workbook.h"
#include "../common/pack_parts.h"
#include "engine/package/save_workbook.h"
#include "engine/package/xlsx_reader.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace {

using brintova::engine::package::ReadLimits;
using brintova::engine::package::ReadResult;

// The package budget scaled down so that libFuzzer's memory limit is never what stops an
// input: the reader's own refusal must come first.
ReadLimits FuzzLimits() {
  ReadLimits limits;
  limits.zip.max_part_bytes = std::uint64_t{16} << 20;
  limits.zip.ratio_floor_bytes = std::uint64_t{1} << 20;
  limits.zip.max_package_bytes = std::uint64_t{32} << 20;
  limits.max_cells = std::uint64_t{1} << 20;
  limits.max_formats = std::uint64_t{1} << 16;
  return limits;
}

// Adds a result sheet as a run does, saves (from the bytes the workbook keeps), and reads the
// saved file back.
void SaveAndReopen(brintova::engine::model::Workbook& book) {
  book.source().kind = brintova::engine::model::SourceKind::kXlsx;
  namespace model = brintova::engine::model;
  model::Sheet& results = book.InsertSheet(0, book.NextSheetName());
  const std::uint32_t text_style = book.styles().StyleWithFormat(0, u"@");
  int written = 0;
  for (std::size_t i = 1; i < book.SheetCount() && written < 64; ++i) {
    const model::Sheet& sheet = book.sheet(i);
    for (const auto& [row, cells] : sheet.rows()) {
      for (const model::Cell& cell : cells) {
        if (written == 64) break;
        std::u16string text;
        model::DisplayedText(book, sheet, &cell, text);
        ++written;
        results.Put(written, model::Cell::OwnedString(1, results.strings().Add(text), text_style));
      }
    }
  }
  results.set_changed(true);
  static const std::string target = "/tmp/brintova-xlsx-fuzz-" + std::to_string(getpid()) + ".xlsx";
  try {
    brintova::engine::package::SaveWorkbookAs(book, brintova::TextFromNativePath(target));
  } catch (const brintova::Failure&) {
    return;  // a refusal with a reason is an answer
  }
  const ReadResult again = brintova::engine::package::ReadXlsxFile(target, FuzzLimits());
  std::remove(target.c_str());
  if (!again.ok()) {
    std::fprintf(stderr, "the saved workbook does not read again: %s\n",
                 again.error.description.c_str());
    __builtin_trap();
  }
  brintova::fuzz::VisitWorkbook(*again.workbook);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string zip_bytes;
  if (!brintova::fuzz::InputAsZip(data, size, zip_bytes)) return 0;
  ReadResult result =
      brintova::engine::package::ReadXlsxBuffer(zip_bytes.data(), zip_bytes.size(), FuzzLimits());
  if (!result.ok()) {
    if (result.error.description.empty()) __builtin_trap();  // every refusal says why
    return 0;
  }
  brintova::fuzz::VisitWorkbook(*result.workbook);
  SaveAndReopen(*result.workbook);
  return 0;
}
