// Checking the options beyond the window's run.
#include "cli/recipe_options.h"

#include <CLI/CLI.hpp>
#include <cmath>

#include "app/vb_conversions.h"
#include "cli/command_line.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::cli {

namespace {

using ExcelExtract::kBetweenOperation;
using ExcelExtract::kPatternOperation;

constexpr std::int32_t kAfterText = 5;
constexpr std::int32_t kBeforeText = 6;

std::string NameOf(std::int32_t operation) {
  if (operation == kBetweenOperation) return "between";
  if (operation == kPatternOperation) return "pattern";
  return std::string(kOperationNames[static_cast<std::size_t>(operation)]);
}

bool TakesMarkerOptions(std::int32_t operation) {
  return operation == kAfterText || operation == kBeforeText || operation == kBetweenOperation;
}

bool CountsCharacters(std::int32_t operation) { return operation >= 7 && operation <= 10; }

// `options` names one option ("--count") or several ("--after and --before").
void Refuse(bool given, std::string_view options, std::string_view operations,
            std::int32_t operation) {
  if (given) {
    const bool several = options.find(" and ") != std::string_view::npos;
    throw UsageError(std::string(options) + (several ? " are for " : " is for ") +
                     std::string(operations) + ", not for operation " + NameOf(operation));
  }
}

}  // namespace

std::optional<std::int32_t> ParseRecipeOperation(std::string_view text) {
  if (text == "between") return kBetweenOperation;
  if (text == "pattern") return kPatternOperation;
  return ParseOperation(text);
}

RecipeOptions::RecipeOptions(CLI::App& command, RecipeArguments& arguments, Command which)
    : arguments_(arguments) {
  after_ = command.add_option("--after", arguments.after, "between: the opening marker");
  before_ = command.add_option("--before", arguments.before, "between: the closing marker");
  occurrence_ = command.add_option("--occurrence", arguments.occurrence, "Which marker counts");
  command.add_flag("--ignore-case", arguments.ignore_case, "Letter case does not matter");
  group_ = command.add_option("--group", arguments.group, "pattern: the group to write");
  command.add_flag("--all", arguments.all, "pattern: every match");
  join_ = command.add_option("--join", arguments.join, "pattern: between the matches");
  count_ = command.add_option("--count", arguments.count, "code-units or characters");
  if (which == Command::kRun) {
    layout_ = command.add_option("--layout", arguments.layout, "one-sheet or per-sheet");
    format_ = command.add_option("--format", arguments.format, "workbook, jsonl or csv");
  } else {
    command.add_option("--cells", arguments.cells, "Cells with text per file")
        ->check(CLI::Range(1, 1000000));
  }
}

void RecipeOptions::NoteGiven(const CLI::Option* output, const CLI::Option* jobs) {
  const auto given = [](const CLI::Option* option) {
    return option != nullptr && option->count() > 0;
  };
  arguments_.has_after = given(after_);
  arguments_.has_before = given(before_);
  arguments_.has_occurrence = given(occurrence_);
  arguments_.has_group = given(group_);
  arguments_.has_join = given(join_);
  arguments_.has_count = given(count_);
  arguments_.has_layout = given(layout_);
  arguments_.has_format = given(format_);
  arguments_.has_output = given(output);
  arguments_.jobs_given = given(jobs);
}

bool NeedsRecipe(const RunArguments& run, const RecipeArguments& recipe) {
  const std::optional<std::int32_t> operation = ParseRecipeOperation(run.operation);
  const bool beyond_window = operation && *operation > 10;
  return beyond_window || recipe.has_after || recipe.has_before || recipe.has_occurrence ||
         recipe.ignore_case || recipe.has_group || recipe.all || recipe.has_join ||
         recipe.has_count || recipe.has_layout || recipe.has_format;
}

CheckedRecipe CheckRecipe(const RunArguments& run, const RecipeArguments& options) {
  CheckedRecipe checked;
  const std::optional<std::int32_t> parsed = ParseRecipeOperation(run.operation);
  if (!parsed) {
    throw UsageError("unknown operation '" + run.operation +
                     "': give 0 to 10 or a name such as alphabet, first-chars, between or "
                     "pattern");
  }
  const std::int32_t operation = *parsed;
  ExcelExtract::Recipe& recipe = checked.recipe;
  recipe.operation = operation;

  // Every option must belong to the operation.
  const bool markers = TakesMarkerOptions(operation);
  const bool pattern = operation == kPatternOperation;
  const bool between = operation == kBetweenOperation;
  Refuse(options.has_occurrence && !markers, "--occurrence", "after-text, before-text and between",
         operation);
  Refuse(options.ignore_case && !markers && !pattern, "--ignore-case",
         "after-text, before-text, between and pattern", operation);
  Refuse((options.has_after || options.has_before) && !between, "--after and --before", "between",
         operation);
  Refuse((options.has_group || options.all || options.has_join) && !pattern,
         "--group, --all and --join", "pattern", operation);
  Refuse(options.has_count && !CountsCharacters(operation), "--count",
         "first-chars, last-chars, after-position and before-position", operation);
  if (options.has_join && !options.all) throw UsageError("--join goes with --all");
  if (options.occurrence == 0) {
    throw UsageError(
        "--occurrence 0 names no occurrence: give 1 for the first, 2 for the second, -1 for the "
        "last, -2 for the one before it");
  }
  recipe.marker = {options.occurrence, options.ignore_case};
  if (options.count == "characters") {
    recipe.count = ExcelExtract::CountUnit::kCharacters;
  } else if (options.count != "code-units") {
    throw UsageError("unknown count '" + options.count + "': give code-units or characters");
  }

  // The parameter, as the operation reads it.
  const std::string name = NameOf(operation);
  if (between) {
    if (run.has_parameter) {
      throw UsageError("between takes its markers from --after and --before, not from --param");
    }
    if (!options.has_after || !options.has_before) {
      throw UsageError("between needs both markers: --after TEXT --before TEXT");
    }
    if (options.after.empty() || options.before.empty()) {
      throw UsageError("the markers of between (--after, --before) cannot be empty");
    }
    recipe.after = ToUtf16(options.after);
    recipe.before = ToUtf16(options.before);
  } else if (OperationTakesParameter(operation) || pattern) {
    if (!run.has_parameter) {
      throw UsageError("operation " + name + " asks for a parameter: give it with --param");
    }
    // The window's operations take --param as "run" takes it for them.
    if (operation <= 10) {
      if (const auto refusal = ParameterRefusal(operation, run.parameter))
        throw UsageError(*refusal);
    }
    if (CountsCharacters(operation)) {
      recipe.number = ConvertToInt16(ToUtf16(run.parameter));
    } else if (run.parameter.empty()) {
      throw UsageError("operation " + name + " expects a regular expression with --param");
    } else if (pattern) {
      ExcelExtract::PatternSettings settings;
      settings.pattern = ToUtf16(run.parameter);
      settings.group = ToUtf16(options.group);
      settings.all = options.all;
      settings.join = ToUtf16(options.join);
      settings.ignore_case = options.ignore_case;
      try {
        recipe.pattern = std::make_shared<const ExcelExtract::Pattern>(std::move(settings));
      } catch (const Failure& failure) {
        throw UsageError(failure.what());
      }
    } else {
      recipe.text = ToUtf16(run.parameter);
    }
  }

  // Where the results go.
  if (run.mode != "sheet" && run.mode != "workbook") {
    throw UsageError("unknown mode '" + run.mode + "': give sheet or workbook");
  }
  checked.mode = run.mode == "workbook" ? ExcelExtract::OutputMode::kNewWorkbook
                                        : ExcelExtract::OutputMode::kNewSheet;
  if (options.layout == "per-sheet") {
    checked.layout = ExcelExtract::Layout::kPerSheet;
  } else if (options.layout != "one-sheet") {
    throw UsageError("unknown layout '" + options.layout + "': give one-sheet or per-sheet");
  }
  if (options.format == "jsonl") {
    checked.format = RecordFormat::kJsonLines;
  } else if (options.format == "csv") {
    checked.format = RecordFormat::kCsv;
  } else if (options.format != "workbook") {
    throw UsageError("unknown format '" + options.format + "': give workbook, jsonl or csv");
  }
  if (checked.format != RecordFormat::kWorkbook) {
    const std::string format = "--format " + options.format;
    if (options.has_output || run.overwrite) {
      throw UsageError(format +
                       " writes records to standard output: --output and --overwrite "
                       "are for saved workbooks");
    }
    if (options.has_layout) {
      throw UsageError(format + " writes one record per cell: --layout is for saved workbooks");
    }
    if (options.jobs_given) {
      throw UsageError(format + " reads one workbook at a time, in list order: leave out --jobs");
    }
  }
  return checked;
}

}  // namespace brintova::cli
