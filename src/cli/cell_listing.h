// "brintova-cli text": the displayed text of every non-empty cell of every worksheet, one line
// each, as sheet name, tab, A1 address, tab, text.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "platform/spreadsheet_server.h"

namespace brintova::cli {

// "A1", "Z9", "AA10": the column in letters, then the row.
std::string CellAddress(CellPosition cell);

// UTF-8 with backslash, tab, CR and LF written as \\, \t, \r and \n, so that a field never
// breaks the line or the columns; half of a surrogate pair, which UTF-8 cannot carry, as \u
// and its four hex digits (\uD83D); and every other control character (C0, DEL, C1) as \xHH,
// so that a cell's text never drives the terminal (ESC, BEL).
std::string EscapeField(std::u16string_view text);
// The same, appended to `out`.
void AppendEscaped(std::string& out, std::u16string_view text);

// Writes one line per cell with non-empty displayed text: worksheets in tab order (hidden ones
// included, chart and dialog sheets left out), cells row by row from A1 to the end of the used
// range. Throws Failure as the sheet members do. A workbook of the embedded engine is listed
// from its cell store, on two threads.
void ListDisplayedTexts(Workbook& workbook, std::ostream& out);

}  // namespace brintova::cli
