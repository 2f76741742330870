// "brintova-cli preview": what a run would write, shown before the run. For the first cells
// with text of each workbook: the sheet, the cell, its displayed text and the result (or that
// nothing would be written). Nothing is saved.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "cli/recipe_options.h"

namespace brintova::cli {

// Columns a terminal gives `text`: wide (East Asian wide or full-width, emoji) characters take
// two, the rest one; a character of several code points (e + accent, 👍🏽) counts once.
std::size_t TerminalColumns(std::u16string_view text);

// `text` cut to at most `columns` terminal columns, ending in "…" when cut, never inside a
// character.
std::u16string FitColumns(std::u16string_view text, std::size_t columns);

// Checks the command line (UsageError), lists the inputs and prints each workbook's first
// `options.cells` cells with text: as an aligned table under the workbook's path when
// `table`, else as TSV with a header line (file, sheet, cell, text, result, written), fields
// escaped as "text" escapes them. Returns kExitFailure when a workbook could not be read or a
// cell's rule failed (reported on `err`), else kExitSuccess.
int PreviewCommand(const RunArguments& run, const RecipeArguments& options, std::ostream& out,
                   std::ostream& err, bool table);

}  // namespace brintova::cli
