// "run" beyond the window's operations, in-process on real workbooks: options refused before
// anything is touched, each marker, between, pattern and character option reaching the saved
// workbook, a pattern that gives up on one cell, and the per-sheet layout on three sheets that
// share addresses (one named with 31 characters).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "cli/command_line.h"
#include "cli/run_command.h"
#include "cli_test_support.h"

namespace brintova::cli {
namespace {

namespace fs = std::filesystem;
using testing::CommandResult;
using testing::DataPath;
using testing::ReadBytes;
using testing::RunInProcess;
using testing::ScratchFolder;

const std::string kLongSheet = "Quarterly revenue by region 245";
const std::string kLongResults = "Quarterly revenue by re results";

// Sheet -> cell -> displayed text, as "text" lists a workbook.
using Cells = std::map<std::string, std::map<std::string, std::string>>;

Cells Listing(const std::string& file, std::vector<std::string>* sheet_order = nullptr) {
  const CommandResult result = RunInProcess({"text", file});
  EXPECT_EQ(result.status, kExitSuccess) << file << ": " << result.err;
  Cells cells;
  std::istringstream lines(result.out);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t first = line.find('\t');
    const std::size_t second = line.find('\t', first + 1);
    const std::string sheet = line.substr(0, first);
    if (sheet_order != nullptr && (sheet_order->empty() || sheet_order->back() != sheet)) {
      sheet_order->push_back(sheet);
    }
    cells[sheet][line.substr(first + 1, second - first - 1)] = line.substr(second + 1);
  }
  return cells;
}

// Runs `arguments` (after "run") on a copy of the fixture and lists the saved result.
struct Saved {
  ScratchFolder scratch;
  CommandResult result;
  Cells cells;

  explicit Saved(std::vector<std::string> arguments, int expected_status = kExitSuccess) {
    const std::string book = scratch.Copy(DataPath("recipe_sheets.xlsx"), "in/Book.xlsx");
    arguments.insert(arguments.begin(), "run");
    for (const std::string& tail : {std::string("--output"), scratch.File("out"), book}) {
      arguments.push_back(tail);
    }
    result = RunInProcess(arguments);
    EXPECT_EQ(result.status, expected_status) << result.err;
    if (fs::exists(scratch.File("out/Book.xlsx"))) cells = Listing(scratch.File("out/Book.xlsx"));
  }
  // The result sheet of the one-sheet layout in sheet mode.
  std::map<std::string, std::string>& results() { return cells["Sheet1"]; }
};

TEST(ManualText, ShowsAnExampleOfEveryOptionBeyondTheWindowsRun) {
  const std::string manual = ManualText("1");
  const std::size_t examples = manual.find("\nEXAMPLES\n");
  ASSERT_NE(examples, std::string::npos);
  std::vector<std::string> lines;
  std::istringstream in(manual.substr(examples));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  for (const char* option :
       {"--occurrence -1", "--ignore-case", "--operation between --after", "--operation pattern",
        "--group", "--all --join", "--count characters", "--layout per-sheet", "--format jsonl",
        "--format csv", "brintova-cli preview"}) {
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [&](const std::string& line) {
                              return line.find(option) != std::string::npos;
                            }))
        << option;
    // And the option itself is explained above the examples.
    const std::string name = std::string(option).substr(0, std::string(option).find(' '));
    if (name.starts_with("--")) {
      EXPECT_NE(manual.find("    " + name), std::string::npos) << name;
    }
  }
}

TEST(RecipeCommand, RefusesWhatCannotWorkBeforeTouchingAnything) {
  ScratchFolder scratch;
  const std::string book = scratch.Copy(DataPath("recipe_sheets.xlsx"), "in/Book.xlsx");
  const std::string out = scratch.File("out");
  struct Row {
    std::vector<std::string> arguments;
    std::string says;
  };
  const std::vector<Row> rows = {
      {{"--operation", "after-text", "--param", "-", "--occurrence", "0"}, "--occurrence 0"},
      {{"--operation", "numbers", "--occurrence", "2"}, "--occurrence is for"},
      {{"--operation", "first-chars", "--param", "2", "--ignore-case"}, "--ignore-case is for"},
      {{"--operation", "between", "--after", "["}, "both markers"},
      {{"--operation", "between", "--after", "[", "--before", ""}, "cannot be empty"},
      {{"--operation", "between", "--param", "[", "--after", "[", "--before", "]"}, "not from"},
      {{"--operation", "after-text", "--after", "["}, "--after and --before are for between"},
      {{"--operation", "pattern"}, "--param"},
      {{"--operation", "pattern", "--param", ""}, "expects a regular expression"},
      {{"--operation", "pattern", "--param", "(open"}, "missing closing parenthesis"},
      {{"--operation", "pattern", "--param", "(a)", "--group", "2"}, "no group 2"},
      {{"--operation", "pattern", "--param", "(?<x>a)", "--group", "y"}, "no group named"},
      {{"--operation", "pattern", "--param", "a", "--join", ";"}, "--join goes with --all"},
      {{"--operation", "after-text", "--param", "-", "--all"}, "--all and --join are for pattern"},
      {{"--operation", "after-text", "--param", "-", "--count", "characters"}, "--count is for"},
      {{"--operation", "first-chars", "--param", "2", "--count", "letters"}, "unknown count"},
      {{"--operation", "first-chars", "--param", "abc", "--count", "characters"}, "not 'abc'"},
      {{"--operation", "first-chars", "--param", "3kg", "--count", "characters"}, "not '3kg'"},
      {{"--operation", "first-chars", "--param", "99999", "--count", "characters"}, "1 to 32767"},
      {{"--operation", "after-position", "--param", "0.4", "--count", "characters"},
       "a character position from 1"},
      {{"--operation", "numbers", "--layout", "sideways"}, "unknown layout"},
      {{"--operation", "numbers", "--format", "xml"}, "unknown format"},
      {{"--operation", "numbers", "--format", "jsonl", "--layout", "per-sheet"}, "--layout is"},
      {{"--operation", "numbers", "--format", "csv", "--jobs", "2"}, "leave out --jobs"},
      {{"--operation", "betwixt", "--after", "[", "--before", "]"}, "unknown operation"},
      {{"--operation", "user-defined", "--param", "", "--layout", "per-sheet"}, "expects a text"},
  };
  const std::string before = ReadBytes(book);
  for (const Row& row : rows) {
    std::vector<std::string> arguments{"run"};
    arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
    const bool streams =
        std::find(arguments.begin(), arguments.end(), "--format") != arguments.end();
    if (!streams) arguments.insert(arguments.end(), {"--output", out});
    arguments.push_back(book);
    const CommandResult result = RunInProcess(arguments);
    std::string line;
    for (const std::string& argument : row.arguments) line += argument + " ";
    EXPECT_EQ(result.status, kExitUsage) << line << "\n" << result.err;
    EXPECT_NE(result.err.find(row.says), std::string::npos) << line << "\n" << result.err;
    EXPECT_EQ(result.out, "") << line;
    EXPECT_FALSE(fs::exists(out)) << line;
  }
  // Records on standard output leave no room for an output folder.
  const CommandResult both =
      RunInProcess({"run", "--operation", "numbers", "--format", "jsonl", "--output", out, book});
  EXPECT_EQ(both.status, kExitUsage);
  EXPECT_NE(both.err.find("--output and --overwrite are for saved workbooks"), std::string::npos);
  EXPECT_EQ(ReadBytes(book), before);
  EXPECT_EQ(scratch.Entries(), std::vector<std::string>{"in"});
}

TEST(RecipeCommand, MarkerOptionsCutAtTheChosenOccurrenceIgnoringCaseInEveryScript) {
  Saved last({"--operation", "after-text", "--param", "red", "--occurrence", "-1"});
  EXPECT_EQ(last.results()["C3"], " hood");
  EXPECT_EQ(last.results().count("B2"), 0u) << "no \"red\" anywhere in B2 of any sheet";

  Saved second(
      {"--operation", "before-text", "--param", "RED", "--occurrence", "2", "--ignore-case"});
  EXPECT_EQ(second.results()["C3"], "Little red Riding Hood's ");

  // "ärger" and "Ärger": the first is found ignoring case, the exact one otherwise.
  Saved folded({"--operation", "after-text", "--param", "ärger", "--ignore-case"});
  EXPECT_EQ(folded.cells["Sheet1"]["B2"], ", ärger") << "Phones!B2 is the last sheet with B2";
  Saved sharp({"--operation", "before-text", "--param", "straße", "--ignore-case", "--layout",
               "per-sheet"});
  EXPECT_EQ(sharp.cells["Orders results"]["B2"], "Order [A-17] shipped 2024-03-05 to ");

  Saved between(
      {"--operation", "between", "--after", "[", "--before", "]", "--layout", "per-sheet"});
  EXPECT_EQ(between.cells["Orders results"]["B2"], "A-17");
  EXPECT_EQ(between.cells["Phones results"]["B2"], "555-0100");
  EXPECT_EQ(between.cells[kLongResults]["B2"], "North");
  EXPECT_EQ(between.cells["Orders results"].count("C3"), 0u);
}

TEST(RecipeCommand, PatternWritesNamedGroupsAndEveryMatch) {
  Saved year({"--operation", "pattern", "--param", "(?<year>\\d{4})-(?<month>\\d\\d)", "--group",
              "month", "--layout", "per-sheet"});
  EXPECT_EQ(year.cells["Orders results"]["B2"], "03");
  EXPECT_EQ(year.cells["Phones results"]["C3"], "12");
  EXPECT_EQ(year.cells[kLongResults]["B2"], "01");

  Saved all({"--operation", "pattern", "--param", "\\d+", "--all", "--join", "|", "--layout",
             "per-sheet", "--mode", "workbook"});
  EXPECT_EQ(all.cells["Orders results"]["B2"], "17|2024|03|05|5");
  EXPECT_EQ(all.cells["Phones results"]["B2"], "555|0100");
}

TEST(RecipeCommand, APatternThatGivesUpFailsThatCellAndTheRunGoesOn) {
  Saved run({"--operation", "pattern", "--param", "^(a+)+$|Region", "--layout", "per-sheet"},
            kExitFailure);
  EXPECT_NE(run.result.err.find("Book.xlsx, sheet " + kLongSheet +
                                ", cell E5: The pattern gave "
                                "up on this cell"),
            std::string::npos)
      << run.result.err;
  EXPECT_NE(run.result.err.find("1 workbook processed, 1 failed, 1 result saved"),
            std::string::npos)
      << run.result.err;
  EXPECT_EQ(run.cells[kLongResults]["B2"], "Region");
  EXPECT_EQ(run.cells[kLongResults].count("E5"), 0u);
}

TEST(RecipeCommand, CountingCharactersKeepsEmojiFlagsAndAccentsWhole) {
  Saved units({"--operation", "first-chars", "--param", "3", "--layout", "per-sheet"});
  Saved characters({"--operation", "first-chars", "--param", "3", "--count", "characters",
                    "--layout", "per-sheet"});
  // 👍🏽 🇩🇪 é: three characters, ten code units.
  EXPECT_EQ(characters.cells["Orders results"]["D4"],
            "\U0001F44D\U0001F3FD\U0001F1E9\U0001F1EAe\u0301");
  // Three code units: the emoji and half of its skin tone, which no file can hold whole.
  const std::string cut = units.cells["Orders results"]["D4"];
  EXPECT_EQ(cut.substr(0, 4), "\U0001F44D");
  EXPECT_NE(cut, characters.cells["Orders results"]["D4"].substr(0, cut.size()));
  Saved last({"--operation", "last-chars", "--param", "6", "--count", "characters", "--layout",
              "per-sheet"});
  EXPECT_EQ(last.cells["Orders results"]["D4"], "e\u0301 tail");
}

TEST(PerSheetLayout, KeepsTheResultsOfSheetsSharingAddressesApart) {
  Saved one({"--operation", "alphabet", "--layout", "one-sheet"});
  EXPECT_EQ(one.results()["B2"], "RegionNorth") << "the last sheet's B2 wins in one sheet";

  Saved per({"--operation", "alphabet", "--layout", "per-sheet"});
  std::vector<std::string> sheets;
  Listing(per.scratch.File("out/Book.xlsx"), &sheets);
  EXPECT_EQ(sheets, (std::vector<std::string>{"Orders results", "Phones results", kLongResults,
                                              "Orders", "Phones", kLongSheet}));
  EXPECT_EQ(per.cells["Orders results"]["B2"], "OrderAshippedtoSTRAE");
  EXPECT_EQ(per.cells["Phones results"]["B2"], "Phoneofrgerrger");
  EXPECT_EQ(per.cells[kLongResults]["B2"], "RegionNorth");
  EXPECT_EQ(per.cells["Orders"], Listing(DataPath("recipe_sheets.xlsx"))["Orders"]);

  Saved workbook({"--operation", "alphabet", "--layout", "per-sheet", "--mode", "workbook"});
  EXPECT_EQ(workbook.cells.size(), 3u);
  EXPECT_EQ(workbook.cells["Phones results"]["C3"], "call");
}

}  // namespace
}  // namespace brintova::cli
