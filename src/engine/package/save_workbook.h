// Saving from the results window and the command line: a workbook as .xlsx/.xlsm/.xltx/.xltm,
// and one sheet's displayed texts as CSV. The run itself never saves.
#pragma once

#include <string_view>

#include "engine/model/workbook.h"

namespace brintova::engine::package {

// Writes `book` to `path`, the kind of package chosen by the path's extension (.xlsx, .xlsm,
// .xltx, .xltm). A workbook opened from such a package keeps every part it did not change byte
// for byte; any other workbook is written anew with its values and number formats. The file
// appears complete or not at all (written beside the target, then renamed). Throws Failure
// when the extension is not one of those, when `path` is the file the workbook was opened
// from, when macros would be lost, or when writing fails.
void SaveWorkbookAs(const model::Workbook& book, std::u16string_view path);

// Writes the displayed texts of `sheet` as CSV, streamed row by row from row 1: UTF-8 with a
// byte-order mark, comma-separated, CR LF line ends, a field quoted (quotes doubled) when it
// holds a comma, quote, CR or LF. Each row ends at its last cell that shows a text (a row
// without one is an empty line), and the file ends after the last row that shows one, so
// cells that only carry a format add nothing. Throws Failure as SaveWorkbookAs does.
void SaveSheetAsCsv(const model::Workbook& book, const model::Sheet& sheet,
                    std::u16string_view path);

}  // namespace brintova::engine::package
