// "run" beyond the window's run: a recipe (checked by recipe_options) applied to every listed
// workbook, either saved as workbooks in the chosen layout or streamed as records.
#pragma once

#include <ostream>

#include "cli/batch_run.h"
#include "cli/recipe_options.h"

namespace brintova::cli {

// At most this many failed cells of one workbook are reported one by one; the rest are counted.
inline constexpr std::size_t kCellFailuresListed = 5;

// Opens the workbook in a new instance of `server` (and, in new-workbook mode, adds the result
// workbook in another), writes the recipe's results in its layout, saves the result to
// `workbook.result_path` and quits both instances. Cells whose rule fails are left unwritten
// and reported; the workbook then counts as failed, but its result is saved.
WorkbookOutcome ProcessRecipeWorkbook(engine::EmbeddedServer& server, const CheckedRecipe& recipe,
                                      const ListedWorkbook& workbook);

// The whole "run" for a command line that NeedsRecipe: checks it (throwing UsageError), then
// saves results as RunCommand does or, with --format jsonl or csv, writes records to `out`.
int RecipeRunCommand(const RunArguments& run, const RecipeArguments& options, std::ostream& out,
                     std::ostream& err, bool progress);

}  // namespace brintova::cli
