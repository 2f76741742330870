// The command line's choices beyond the window's run: the between and pattern operations,
// marker occurrences and case folding, counting characters, the per-sheet layout, records on
// standard output and the preview's size. Checked here, before any workbook is read, and
// turned into the core's Recipe.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cli/run_command.h"
#include "extract/recipe.h"
#include "extract/result_layout.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace brintova::cli {

// The operation index of a window operation (as ParseOperation takes it), or "between" or
// "pattern"; nullopt for anything else.
std::optional<std::int32_t> ParseRecipeOperation(std::string_view text);

enum class RecordFormat { kWorkbook, kJsonLines, kCsv };

struct RecipeArguments {
  std::string after;
  std::string before;
  std::int32_t occurrence = 1;
  bool ignore_case = false;
  std::string group;
  bool all = false;
  std::string join = ", ";
  std::string count = "code-units";
  std::string layout = "one-sheet";
  std::string format = "workbook";
  std::int32_t cells = 20;
  bool jobs_given = false;  // --jobs written on the command line

  // Which options were given; filled by RecipeOptions::NoteGiven.
  bool has_after = false, has_before = false, has_occurrence = false, has_group = false,
       has_join = false, has_count = false, has_layout = false, has_format = false,
       has_output = false;
};

// Registers the options on a subcommand: the marker, pattern and counting options on both,
// and --layout and --format on "run" only, --cells on "preview" only.
class RecipeOptions {
 public:
  enum class Command { kRun, kPreview };
  RecipeOptions(CLI::App& command, RecipeArguments& arguments, Command which);
  // After parsing: notes which options were written. `output` and `jobs` are run's own.
  void NoteGiven(const CLI::Option* output, const CLI::Option* jobs);

 private:
  RecipeArguments& arguments_;
  CLI::Option* after_ = nullptr;
  CLI::Option* before_ = nullptr;
  CLI::Option* occurrence_ = nullptr;
  CLI::Option* group_ = nullptr;
  CLI::Option* join_ = nullptr;
  CLI::Option* count_ = nullptr;
  CLI::Option* layout_ = nullptr;
  CLI::Option* format_ = nullptr;
};

// True when "run" must go beyond the window's run: an operation the window does not offer, or
// any option above.
bool NeedsRecipe(const RunArguments& run, const RecipeArguments& recipe);

// What a checked command line asks for.
struct CheckedRecipe {
  ExcelExtract::Recipe recipe;
  ExcelExtract::OutputMode mode = ExcelExtract::OutputMode::kNewSheet;
  ExcelExtract::Layout layout = ExcelExtract::Layout::kOneSheet;
  RecordFormat format = RecordFormat::kWorkbook;
};

// Checks the operation, its parameter and every option against it, compiles a pattern.
// Throws UsageError saying what is wrong; nothing has been read then.
CheckedRecipe CheckRecipe(const RunArguments& run, const RecipeArguments& recipe);

}  // namespace brintova::cli
