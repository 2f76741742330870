// "brintova-cli run" in-process on real workbooks: usage errors before anything is touched,
// result names, --overwrite, folders, failures among the files, --param as the window takes
// it, and --jobs leaving every part of every result as it is with one job.
#include "cli/run_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli_test_support.h"

namespace brintova::cli {
namespace {

namespace fs = std::filesystem;
using testing::CommandResult;
using testing::ReadBytes;
using testing::RunInProcess;
using testing::SamplePath;
using testing::ScratchFolder;
using testing::ZipEntries;

const std::vector<std::string> kSamples = {"International Text.xlsx", "Invoice Template.xltx",
                                           "Legacy Inventory.xls", "Orders and Phones.xlsx",
                                           "Product IDs with Chart.xlsx"};

std::string Summary(int processed, int failed, int saved) {
  std::ostringstream line;
  line << "brintova-cli: " << processed << " workbook" << (processed == 1 ? "" : "s")
       << " processed, " << failed << " failed, " << saved << " result" << (saved == 1 ? "" : "s")
       << " saved\n";
  return line.str();
}

std::string Listing(const std::string& file) {
  const CommandResult result = RunInProcess({"text", file});
  EXPECT_EQ(result.status, kExitSuccess) << file << ": " << result.err;
  return result.out;
}

// The samples copied into `folder` of `scratch`.
void CopySamples(const ScratchFolder& scratch, const std::string& folder) {
  for (const std::string& name : kSamples) scratch.Copy(SamplePath(name), folder + "/" + name);
}

TEST(RunCommand, RefusesABadCommandLineBeforeTouchingAnything) {
  ScratchFolder scratch;
  const std::string book = scratch.Copy(SamplePath("Orders and Phones.xlsx"), "in/Book.xlsx");
  fs::create_directories(scratch.File("empty"));
  std::ofstream(scratch.File("plain")) << "a file, no folder";
  const std::string out = scratch.File("out");
  struct Row {
    std::vector<std::string> arguments;
    std::string says;
  };
  const std::vector<Row> rows = {
      {{"--operation", "extract-numbers", "--output", out, book}, "unknown operation"},
      {{"--operation", "11", "--output", out, book}, "unknown operation"},
      {{"--operation", "user-defined", "--output", out, book}, "--param"},
      {{"--operation", "9", "--output", out, book}, "--param"},
      {{"--operation", "first-chars", "--param", "abc", "--output", out, book},
       "first-chars expects a number of characters from 1 to 32767"},
      {{"--operation", "10", "--param", "-3", "--output", out, book},
       "before-position expects a character position from 1 to 32767"},
      {{"--operation", "user-defined", "--param", "", "--output", out, book},
       "user-defined expects a text"},
      {{"--operation", "6", "--param", "", "--mode", "workbook", "--output", out, book},
       "before-text expects a text"},
      {{"--operation", "numbers", "--output", out}, "no files"},
      {{"--operation", "numbers", "--output", out, scratch.File("empty")}, "hold no files"},
      {{"--operation", "numbers", "--mode", "book", "--output", out, book}, "mode"},
      {{"--operation", "numbers", "--jobs", "0", "--output", out, book}, "--jobs"},
      {{"--operation", "numbers", book}, "--output"},
      {{"--output", out, book}, "--operation"},
      {{"--operation", "numbers", "--output", scratch.File("plain/out"), book}, "plain/out"},
      {{"--operation", "numbers", "--output", scratch.File("plain"), book}, "not a folder"},
      {{"--operation", "numbers", "--output", out, "--frobnicate", book}, "frobnicate"},
  };
  const std::string before = ReadBytes(book);
  for (const Row& row : rows) {
    std::vector<std::string> arguments{"run"};
    arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
    const CommandResult result = RunInProcess(arguments);
    const std::string line = arguments[1] + " " + arguments[2] + " ...";
    EXPECT_EQ(result.status, kExitUsage) << line << "\n" << result.err;
    EXPECT_NE(result.err.find(row.says), std::string::npos) << line << "\n" << result.err;
    EXPECT_NE(result.err.find("Try 'brintova-cli --help'"), std::string::npos) << line;
    EXPECT_EQ(result.out, "") << line;
    EXPECT_FALSE(fs::exists(out)) << line;
  }
  EXPECT_EQ(scratch.Entries(), (std::vector<std::string>{"empty", "in", "plain"}));
  EXPECT_EQ(ReadBytes(book), before);
}

TEST(RunCommand, SavesEveryResultUnderItsSourcesNameAndSumsUp) {
  ScratchFolder scratch;
  CopySamples(scratch, "in");
  std::vector<std::string> arguments{"run",      "--operation",          "numbers", "--jobs", "1",
                                     "--output", scratch.File("new/out")};
  for (const std::string& name : kSamples) arguments.push_back(scratch.File("in/" + name));
  const CommandResult result = RunInProcess(arguments);
  EXPECT_EQ(result.status, kExitSuccess) << result.err;
  // No progress line without a terminal; the legacy source's result is announced as .xlsx.
  EXPECT_EQ(result.err, "brintova-cli: " + scratch.File("in/Legacy Inventory.xls") +
                            ": the Excel 97-2003 format is read only; the result is saved as " +
                            scratch.File("new/out/Legacy Inventory.xlsx") + "\n" +
                            Summary(5, 0, 5));
  EXPECT_EQ(scratch.Entries("new/out"),
            (std::vector<std::string>{"International Text.xlsx", "Invoice Template.xltx",
                                      "Legacy Inventory.xlsx", "Orders and Phones.xlsx",
                                      "Product IDs with Chart.xlsx"}));
  for (const std::string& name : kSamples)
    EXPECT_EQ(ReadBytes(scratch.File("in/" + name)), ReadBytes(SamplePath(name)));

  // Sheet mode: the source's sheets follow, unchanged, the new sheet of digits.
  const std::string source = Listing(SamplePath("Orders and Phones.xlsx"));
  const std::string saved = Listing(scratch.File("new/out/Orders and Phones.xlsx"));
  ASSERT_GT(saved.size(), source.size());
  EXPECT_EQ(saved.substr(saved.size() - source.size()), source);
  std::istringstream added(saved.substr(0, saved.size() - source.size()));
  int lines = 0;
  for (std::string line; std::getline(added, line); ++lines) {
    EXPECT_EQ(line.find_first_not_of("0123456789", line.rfind('\t') + 1), std::string::npos)
        << line;
  }
  EXPECT_GT(lines, 10);
}

TEST(RunCommand, NumbersSameNamesAndNeverWritesASource) {
  ScratchFolder scratch;
  scratch.Copy(SamplePath("Orders and Phones.xlsx"), "a/Book.xlsx");
  scratch.Copy(SamplePath("International Text.xlsx"), "b/Book.xlsx");
  scratch.Copy(SamplePath("Legacy Inventory.xls"), "b/book.xls");
  const CommandResult result = RunInProcess(
      {"run", "--operation", "0", "--output", scratch.File("out"), scratch.File("a/Book.xlsx"),
       scratch.File("b/Book.xlsx"), scratch.File("b/book.xls")});
  EXPECT_EQ(result.status, kExitSuccess) << result.err;
  EXPECT_EQ(scratch.Entries("out"),
            (std::vector<std::string>{"Book (2).xlsx", "Book.xlsx", "book (3).xlsx"}));
  EXPECT_NE(Listing(scratch.File("out/Book.xlsx")).find("Orders\t"), std::string::npos);
  EXPECT_NE(Listing(scratch.File("out/Book (2).xlsx")).find("Mixed text\t"), std::string::npos);

  // Saving beside the sources: a result never takes a source's name.
  const std::string before = ReadBytes(scratch.File("b/Book.xlsx"));
  const CommandResult beside = RunInProcess(
      {"run", "--operation", "0", "--overwrite", "--output", scratch.File("b"), scratch.File("b")});
  EXPECT_EQ(beside.status, kExitSuccess) << beside.err;
  EXPECT_EQ(ReadBytes(scratch.File("b/Book.xlsx")), before);
  EXPECT_EQ(scratch.Entries("b").size(), 4u);
}

TEST(RunCommand, ReplacesExistingResultsOnlyWithOverwrite) {
  ScratchFolder scratch;
  const std::string book = scratch.Copy(SamplePath("Orders and Phones.xlsx"), "in/Book.xlsx");
  const std::string other = scratch.Copy(SamplePath("International Text.xlsx"), "in/Other.xlsx");
  fs::create_directories(scratch.File("out"));
  std::ofstream(scratch.File("out/Book.xlsx")) << "kept";
  const std::vector<std::string> arguments{
      "run", "--operation", "numbers", "--output", scratch.File("out"), book, other};

  const CommandResult refused = RunInProcess(arguments);
  EXPECT_EQ(refused.status, kExitFailure);
  EXPECT_NE(refused.err.find("out/Book.xlsx exists; give --overwrite"), std::string::npos)
      << refused.err;
  EXPECT_NE(refused.err.find("nothing was run"), std::string::npos);
  EXPECT_EQ(ReadBytes(scratch.File("out/Book.xlsx")), "kept");
  EXPECT_EQ(scratch.Entries("out"), std::vector<std::string>{"Book.xlsx"});

  std::vector<std::string> overwrite = arguments;
  overwrite.push_back("--overwrite");
  const CommandResult replaced = RunInProcess(overwrite);
  EXPECT_EQ(replaced.status, kExitSuccess) << replaced.err;
  EXPECT_TRUE(ZipEntries(scratch.File("out/Book.xlsx")).contains("xl/workbook.xml"));
  EXPECT_EQ(scratch.Entries("out"), (std::vector<std::string>{"Book.xlsx", "Other.xlsx"}));
}

TEST(RunCommand, WalksAFolderAsADroppedOne) {
  ScratchFolder scratch;
  scratch.Copy(SamplePath("Orders and Phones.xlsx"), "in/Top.xlsx");
  scratch.Copy(SamplePath("Legacy Inventory.xls"), "in/sub/Deep.xls");
  scratch.Copy(SamplePath("Orders and Phones.xlsx"), "in/~$Top.xlsx");           // a lock file
  scratch.Copy(SamplePath("Orders and Phones.xlsx"), "in/.hidden/Secret.xlsx");  // hidden folder
  const CommandResult result = RunInProcess(
      {"run", "--operation", "alphabet", "--output", scratch.File("out"), scratch.File("in/")});
  EXPECT_EQ(result.status, kExitSuccess) << result.err;
  EXPECT_EQ(result.err.substr(result.err.rfind("brintova-cli: ")), Summary(2, 0, 2));
  EXPECT_NE(result.err.find("Deep.xls: the Excel 97-2003 format is read only; the result is "
                            "saved as " +
                            scratch.File("out/Deep.xlsx")),
            std::string::npos)
      << result.err;
  EXPECT_EQ(scratch.Entries("out"), (std::vector<std::string>{"Deep.xlsx", "Top.xlsx"}));
}

TEST(RunCommand, ReportsANonWorkbookAndProcessesTheRest) {
  ScratchFolder scratch;
  const std::string first = scratch.Copy(SamplePath("Orders and Phones.xlsx"), "in/First.xlsx");
  std::ofstream(scratch.File("in/Notes.xlsx")) << "not a workbook";
  const std::string last = scratch.Copy(SamplePath("Legacy Inventory.xls"), "in/Last.xls");
  const CommandResult result =
      RunInProcess({"run", "--operation", "numbers", "--mode", "workbook", "--jobs", "2",
                    "--output", scratch.File("out"), first, scratch.File("in/Notes.xlsx"), last,
                    scratch.File("in/Missing.xlsx")});
  EXPECT_EQ(result.status, kExitFailure);
  // Each failure as the error box words it, under the workbook's name, in list order.
  const std::size_t notes =
      result.err.find("Application Error, " + scratch.File("in/Notes.xlsx") + ":\n");
  const std::size_t missing =
      result.err.find("Application Error, " + scratch.File("in/Missing.xlsx") + ":\n");
  ASSERT_NE(notes, std::string::npos) << result.err;
  ASSERT_NE(missing, std::string::npos) << result.err;
  EXPECT_LT(notes, missing);
  EXPECT_NE(result.err.find("Form1.PushButton7_Click at line 110", notes), std::string::npos)
      << result.err;
  EXPECT_EQ(result.err.find('\r'), std::string::npos);
  EXPECT_EQ(result.err.substr(result.err.rfind("brintova-cli: ")), Summary(4, 2, 2));
  EXPECT_EQ(scratch.Entries("out"), (std::vector<std::string>{"First.xlsx", "Last.xlsx"}));
}

TEST(RunCommand, ReportsRowsPastTheGridAndSavesWhatFits) {
  ScratchFolder scratch;
  std::string rows;
  for (int row = 1; row <= 1048576 + 2; ++row) rows += row % 1000 == 0 ? "x\n" : "\n";
  std::ofstream(scratch.File("Long.csv"), std::ios::binary) << rows;
  const CommandResult result = RunInProcess({"run", "--operation", "alphabet", "--output",
                                             scratch.File("out"), scratch.File("Long.csv")});
  EXPECT_EQ(result.status, kExitFailure);
  EXPECT_NE(result.err.find("brintova-cli: Not all of " + scratch.File("Long.csv") +
                            " fits on a worksheet: 2 rows after row 1,048,576 did not fit"),
            std::string::npos)
      << result.err;
  EXPECT_EQ(result.err.substr(result.err.rfind("brintova-cli: ")), Summary(1, 1, 1));
  EXPECT_EQ(scratch.Entries("out"), (std::vector<std::string>{"Long.xlsx"}));
}

TEST(RunCommand, EscapesControlCharactersInEverythingItPrints) {
  ScratchFolder scratch;
  const std::string name = "\x1b[31mred\x07.csv";
  std::ofstream(scratch.File(name), std::ios::binary) << "plain,a\x1b]0;title\x07"
                                                         "b\xc2\x9b\n";
  const CommandResult listed = RunInProcess({"text", scratch.File(name)});
  EXPECT_EQ(listed.status, kExitSuccess) << listed.err;
  // The sheet is named after the file ("[" cannot be in a sheet name).
  EXPECT_EQ(listed.out,
            "\\x1b_31mred\\x07\tA1\tplain\n"
            "\\x1b_31mred\\x07\tB1\ta\\x1b]0;title\\x07b\\x9b\n");

  std::ofstream(scratch.File("\x1b[2Jgone.xlsx")) << "not a workbook";
  const CommandResult failed =
      RunInProcess({"run", "--operation", "alphabet", "--output", scratch.File("out"),
                    scratch.File("\x1b[2Jgone.xlsx")});
  EXPECT_EQ(failed.status, kExitFailure);
  EXPECT_NE(failed.err.find("\\x1b[2Jgone.xlsx"), std::string::npos) << failed.err;
  EXPECT_EQ(failed.err.find('\x1b'), std::string::npos) << failed.err;
}

TEST(RunCommand, TakesParamAsTheWindowsInputBoxDoes) {
  ScratchFolder scratch;
  const std::string book = scratch.Copy(SamplePath("Orders and Phones.xlsx"), "in/Book.xlsx");
  const auto result_of = [&](const std::string& operation, const std::string& param,
                             const std::string& mode) {
    const std::string out = scratch.File("out " + operation + " " + param + " " + mode);
    const CommandResult result =
        RunInProcess({"run", "--operation", operation, "--param", param, "--mode", mode,
                      "--overwrite", "--output", out, book});
    EXPECT_EQ(result.status, kExitSuccess) << operation << " " << param << ": " << result.err;
    return ZipEntries(out + "/Book.xlsx");
  };
  // A number is rounded to even. (What no workbook could use, such as "abc" or an empty text,
  // is refused as a usage error before the run.)
  EXPECT_EQ(result_of("last-chars", "2.5", "sheet"), result_of("last-chars", "2", "sheet"));
  EXPECT_EQ(result_of("8", "3.5", "sheet"), result_of("8", "4", "sheet"));
  EXPECT_NE(result_of("8", "2", "sheet"), result_of("8", "4", "sheet"));
  // A marker that no cell holds: in workbook mode the new workbook is saved empty.
  result_of("after-text", "no cell holds this", "workbook");
  EXPECT_EQ(Listing(scratch.File("out after-text no cell holds this workbook/Book.xlsx")), "");
  // A parameter is ignored by the operations that ask for none.
  EXPECT_EQ(result_of("numbers", "ignored", "sheet"), result_of("1", "", "sheet"));
}

// A workbook written by openpyxl holds no result for its 12 formula cells: the run reads them
// as empty, saves its result all the same, and says so for that workbook in either mode.
TEST(RunCommand, SaysHowManyFormulaCellsWereReadAsEmpty) {
  ScratchFolder scratch;
  const std::string uncalculated = scratch.Copy(
      std::string(BRINTOVA_TEST_DATA) + "/uncalculated_formulas.xlsx", "in/Prices.xlsx");
  const std::string plain = scratch.Copy(SamplePath("Orders and Phones.xlsx"), "in/Orders.xlsx");
  for (const std::string mode : {"sheet", "workbook"}) {
    const CommandResult result =
        RunInProcess({"run", "--operation", "numbers", "--mode", mode, "--jobs", "1", "--output",
                      scratch.File("out-" + mode), plain, uncalculated});
    EXPECT_EQ(result.status, kExitSuccess) << result.err;
    const std::string about = mode == "sheet" ? "the workbook" : "Prices.xlsx";
    const std::string of = mode == "sheet" ? "" : " of Prices.xlsx";
    EXPECT_EQ(result.err, "brintova-cli: " + uncalculated + ": 12 formula cells" + of +
                              " have no stored result and were read as empty; open and save " +
                              about + " in a spreadsheet application to calculate them\n" +
                              Summary(2, 0, 2))
        << mode;
  }
}

TEST(RunCommand, GivesTheSamePartsWithFourJobsAsWithOne) {
  ScratchFolder scratch;
  CopySamples(scratch, "in/a");
  CopySamples(scratch, "in/b");
  for (const char* mode : {"sheet", "workbook"}) {
    std::map<std::string, std::vector<std::string>> entries;
    for (const char* jobs : {"1", "4"}) {
      const std::string out = scratch.File(std::string("out-") + mode + "-" + jobs);
      const CommandResult result =
          RunInProcess({"run", "--operation", "before-text", "--param", "-", "--mode", mode,
                        "--jobs", jobs, "--output", out, scratch.File("in")});
      ASSERT_EQ(result.status, kExitSuccess) << result.err;
      // Sheet mode names the two legacy sources' results first, one line each.
      const std::size_t summary = result.err.rfind("brintova-cli: ");
      EXPECT_EQ(result.err.substr(summary), Summary(10, 0, 10));
      EXPECT_EQ(std::count(result.err.begin(), result.err.begin() + summary, '\n'),
                std::string(mode) == "sheet" ? 2 : 0);
      entries[jobs] = scratch.Entries(fs::path(out).filename().string());
    }
    ASSERT_EQ(entries["1"], entries["4"]);
    ASSERT_EQ(entries["1"].size(), 10u);
    for (const std::string& name : entries["1"]) {
      const auto one = ZipEntries(scratch.File(std::string("out-") + mode + "-1/" + name));
      const auto four = ZipEntries(scratch.File(std::string("out-") + mode + "-4/" + name));
      ASSERT_EQ(one.size(), four.size()) << mode << " " << name;
      for (const auto& [part, bytes] : one) {
        ASSERT_TRUE(four.contains(part)) << mode << " " << name << " " << part;
        EXPECT_TRUE(four.at(part) == bytes) << mode << " " << name << " " << part;
      }
    }
  }
}

TEST(RunCommand, DrawsTheProgressLineOnlyForATerminal) {
  ScratchFolder scratch;
  const std::string book = scratch.Copy(SamplePath("Orders and Phones.xlsx"), "Book.xlsx");
  RunArguments arguments;
  arguments.operation = "numbers";
  arguments.output = scratch.File("out");
  arguments.inputs = {book};
  std::ostringstream terminal;
  EXPECT_EQ(RunCommand(arguments, terminal, true), kExitSuccess);
  EXPECT_NE(terminal.str().find("\r\x1b[Kbrintova-cli: 1/1 workbooks, "), std::string::npos)
      << terminal.str();
  // The summary replaces the progress line.
  EXPECT_NE(terminal.str().find("\r\x1b[K" + Summary(1, 0, 1)), std::string::npos);

  arguments.overwrite = true;
  std::ostringstream pipe;
  EXPECT_EQ(RunCommand(arguments, pipe, false), kExitSuccess);
  EXPECT_EQ(pipe.str(), Summary(1, 0, 1));
}

}  // namespace
}  // namespace brintova::cli
