// The frame every extraction operation runs in: set up the output sheet, walk every cell of
// every worksheet of the source workbook from A1 to the end of its used range, hand each
// non-empty displayed text to the operation's cell rule, and write what the rule returns into
// the same row and column of the output sheet.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/spreadsheet_server.h"
#include "platform/window.h"

namespace brintova::ExcelExtract {

// New-sheet mode: Option1 set; new-workbook mode: Option2 set. Read from the window where used.
enum class OutputMode { kNewSheet, kNewWorkbook };

// What a cell rule asks to write. Every write sets the output cell's number format to "@"
// just before the value, so the server keeps the text as given: a spreadsheet application
// re-types an assigned "007" as the number 7, "1-2" as a date and "=A1" as a formula.
struct CellResult {
  std::u16string text;
};

// Given a cell's displayed text (never empty) and the output mode: the result to write, or
// nullopt to leave the output cell untouched. A rule may throw Failure (an invalid argument).
using CellRule =
    std::function<std::optional<CellResult>(std::u16string_view text, OutputMode mode)>;

// Runs `rule` over `source` in the mode the window's option buttons give. In new-sheet mode a
// worksheet is first inserted before the source workbook's first sheet and receives the
// results; in new-workbook mode the results go to Sheets(1) of `output`, looked up for every
// write. A null workbook is an unset reference: using it fails.
// Throws Failure from any server call or from the rule; what was written before stays.
void WalkCells(Form& form, Workbook* source, Workbook* output, const CellRule& rule);

// The same visit order without a form: every cell of `sheet` from A1 to the end of its used
// range whose displayed text is not empty, row by row, handed to `visit` until it returns false.
// Returns false when `visit` stopped the walk. Throws Failure from the sheet's members.
bool VisitCellsWithText(
    Sheet& sheet, const std::function<bool(CellPosition cell, const std::u16string& text)>& visit);

}  // namespace brintova::ExcelExtract
