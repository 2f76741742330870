// What the fuzz targets of read-only kinds do with a workbook they read: add a result sheet as a
// run does, save it as .xlsx (written fresh, as such results always are) and read it back; the
// saved file must read.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

#include "../common/fuzz_workbook.h"
#include "engine/package/save_workbook.h"
#include "engine/package/xlsx_reader.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::fuzz {

inline void SaveAsXlsxAndReopen(engine::model::Workbook& book, const char* tag) {
  namespace model = engine::model;
  std::size_t cells = 0;
  for (std::size_t i = 0; i < book.SheetCount(); ++i) cells += book.sheet(i).CellCount();
  if (cells > 100000) return;  // a save that long would only time the fuzzer out
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
  static const std::string target =
      "/tmp/brintova-" + std::string(tag) + "-fuzz-" + std::to_string(getpid()) + ".xlsx";
  try {
    engine::package::SaveWorkbookAs(book, TextFromNativePath(target));
  } catch (const Failure&) {
    return;  // a refusal with a reason is an answer
  }
  const engine::package::ReadResult again = engine::package::ReadXlsxFile(target);
  std::remove(target.c_str());
  if (!again.ok()) {
    std::fprintf(stderr, "the saved workbook does not read again: %s\n",
                 again.error.description.c_str());
    __builtin_trap();
  }
  VisitWorkbook(*again.workbook);
}

}  // namespace brintova::fuzz
