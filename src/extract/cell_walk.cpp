#include "extract/cell_walk.h"

#include <memory>

#include "platform/failure.h"

namespace brintova::ExcelExtract {

namespace {

Workbook& Require(Workbook* workbook) {
  if (workbook == nullptr) {
    throw Failure(u"Object variable or With block variable not set", kFailureObjectNotSet);
  }
  return *workbook;
}

bool Precedes(CellPosition a, CellPosition b) {
  return a.row < b.row || (a.row == b.row && a.column < b.column);
}

// The position a walk visits next, at or after `at`: the server's answer when it is a sound
// one, else `at` itself (every position is then visited, as a server that cannot tell asks).
std::optional<CellPosition> NextVisit(Sheet& sheet, CellPosition at, CellPosition end) {
  const std::optional<CellPosition> next = sheet.NextCellWithContent(at, end);
  if (!next || next->row > end.row) return std::nullopt;
  if (Precedes(*next, at) || next->column < 1 || next->column > end.column) return at;
  return next;
}

void Write(Sheet& sheet, CellPosition cell, const CellResult& result) {
  sheet.Cells(cell.row, cell.column).SetNumberFormat(u"@");
  sheet.Cells(cell.row, cell.column).SetValue(result.text);
}

}  // namespace

void WalkCells(Form& form, Workbook* source, Workbook* output, const CellRule& rule) {
  std::shared_ptr<Sheet> output_sheet;
  if (form.Option1().Value()) {
    SheetCollection& sheets = Require(source).Sheets();
    output_sheet = sheets.Add(sheets.Item(1));
  }
  for (const std::shared_ptr<Sheet>& sheet : Require(source).Worksheets()) {
    const CellPosition end = sheet->UsedRangeEnd();
    if (end.row < 1 || end.column < 1) continue;
    CellPosition at{1, 1};
    while (const std::optional<CellPosition> cell = NextVisit(*sheet, at, end)) {
      const std::u16string text = sheet->Cells(cell->row, cell->column).Text();
      if (!text.empty()) {
        if (form.Option1().Value()) {
          if (const std::optional<CellResult> result = rule(text, OutputMode::kNewSheet)) {
            if (!output_sheet) {
              throw Failure(u"Object variable or With block variable not set",
                            kFailureObjectNotSet);
            }
            Write(*output_sheet, *cell, *result);
          }
        } else if (form.Option2().Value()) {
          if (const std::optional<CellResult> result = rule(text, OutputMode::kNewWorkbook)) {
            // Sheets(1) of the output workbook is looked up again for each write.
            Require(output).Sheets().Item(1)->Cells(cell->row, cell->column).SetNumberFormat(u"@");
            Require(output).Sheets().Item(1)->Cells(cell->row, cell->column).SetValue(result->text);
          }
        }
      }
      at = *cell;
      if (++at.column > end.column) {
        at.column = 1;
        if (++at.row > end.row) break;
      }
    }
  }
}

bool VisitCellsWithText(
    Sheet& sheet, const std::function<bool(CellPosition cell, const std::u16string& text)>& visit) {
  const CellPosition end = sheet.UsedRangeEnd();
  if (end.row < 1 || end.column < 1) return true;
  CellPosition at{1, 1};
  while (const std::optional<CellPosition> cell = NextVisit(sheet, at, end)) {
    const std::u16string text = sheet.Cells(cell->row, cell->column).Text();
    if (!text.empty() && !visit(*cell, text)) return false;
    at = *cell;
    if (++at.column > end.column) {
      at.column = 1;
      if (++at.row > end.row) break;
    }
  }
  return true;
}

}  // namespace brintova::ExcelExtract
