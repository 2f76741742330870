// What the command line shows or streams instead of saving: the preview (first cells, nothing
// written, a table whose columns line up on a terminal, TSV otherwise) and the records of
// --format jsonl and csv, which must parse and carry the texts the saved workbooks hold.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cell_listing.h"
#include "cli/preview_command.h"
#include "cli/run_command.h"
#include "cli_test_support.h"
#include "extract/result_layout.h"
#include "platform/text.h"

namespace brintova::cli {
namespace {

using testing::CommandResult;
using testing::DataPath;
using testing::ReadBytes;
using testing::RunExecutable;
using testing::RunInProcess;
using testing::SamplePath;
using testing::ScratchFolder;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(TerminalColumns, CountWideCharactersTwiceAndCombiningMarksNotAtAll) {
  EXPECT_EQ(TerminalColumns(u"abc"), 3u);
  EXPECT_EQ(TerminalColumns(u"日本"), 4u);
  EXPECT_EQ(TerminalColumns(u"\U0001F44D\U0001F3FD"), 2u);
  EXPECT_EQ(TerminalColumns(u"\U0001F1E9\U0001F1EA"), 2u);
  EXPECT_EQ(TerminalColumns(u"e\u0301"), 1u);
  EXPECT_EQ(TerminalColumns(u"Ａ"), 2u);  // full-width A
  EXPECT_EQ(FitColumns(u"abcdef", 6), u"abcdef");
  EXPECT_EQ(FitColumns(u"abcdef", 4), u"abc…");
  EXPECT_EQ(FitColumns(u"日本語テキスト", 5), u"日本…");
  EXPECT_EQ(FitColumns(u"日本語テキスト", 6), u"日本…");  // a wide character never half shown
  EXPECT_EQ(FitColumns(u"ae\u0301\U0001F44D\U0001F3FDz", 4), u"ae\u0301…");
}

TEST(Preview, ShowsTheFirstCellsOfEachWorkbookAndWritesNothing) {
  ScratchFolder scratch;
  const std::string book = scratch.Copy(DataPath("recipe_sheets.xlsx"), "in/Book.xlsx");
  const std::string before = ReadBytes(book);
  const CommandResult result = RunInProcess({"preview", "--operation", "between", "--after", "[",
                                             "--before", "]", "--cells", "4", scratch.File("in")});
  EXPECT_EQ(result.status, kExitSuccess) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(Lines(result.out),
            (std::vector<std::string>{
                "file\tsheet\tcell\ttext\tresult\twritten",
                book + "\tOrders\tB2\tOrder [A-17] shipped 2024-03-05 to STRAẞE 5\tA-17\tyes",
                book + "\tOrders\tC3\tLittle red Riding Hood's red hood\t\tno",
                book + "\tOrders\tD4\t👍🏽🇩🇪e\u0301 tail\t\tno",
                book + "\tPhones\tB2\tPhone [555-0100] of Ärger, ärger\t555-0100\tyes"}));
  EXPECT_EQ(ReadBytes(book), before);
  EXPECT_EQ(scratch.Entries("in"), std::vector<std::string>{"Book.xlsx"});
  EXPECT_EQ(scratch.Entries(), std::vector<std::string>{"in"});
}

TEST(Preview, LinesUpItsTableOnATerminalWhateverTheCharactersWidth) {
  ScratchFolder scratch;
  const std::string book = scratch.Copy(DataPath("recipe_sheets.xlsx"), "Book.xlsx");
  const char* argv[] = {"brintova-cli", "preview", "--operation", "first-chars",
                        "--param",      "3",       "--count",     "characters",
                        "--cells",      "3",       book.c_str()};
  std::ostringstream out, err;
  const int status = CommandLineMain(static_cast<int>(std::size(argv)), argv, out, err,
                                     /*err_is_terminal=*/false, /*out_is_terminal=*/true);
  EXPECT_EQ(status, kExitSuccess) << err.str();
  const std::vector<std::string> lines = Lines(out.str());
  ASSERT_EQ(lines.size(), 7u) << out.str();
  EXPECT_EQ(lines[0], book);
  EXPECT_EQ(lines[5], "  (more cells with text follow)");
  // Every row's "Result" column starts where the heading's does, in terminal columns.
  const std::u16string heading = ToUtf16(lines[1]);
  const std::size_t result_at = TerminalColumns(heading.substr(0, heading.find(u"Result")));
  const std::vector<std::u16string> results = {u"Ord", u"Lit",
                                               u"\U0001F44D\U0001F3FD\U0001F1E9"
                                               u"\U0001F1EAe\u0301"};
  for (std::size_t row = 0; row < 3; ++row) {
    const std::u16string line = ToUtf16(lines[2 + row]);
    const std::size_t at = line.rfind(results[row]);
    ASSERT_NE(at, std::u16string::npos) << lines[2 + row];
    EXPECT_EQ(TerminalColumns(line.substr(0, at)), result_at) << lines[2 + row];
  }
}

TEST(Preview, ReportsACellWhoseRuleFailsAndAWorkbookThatCannotBeRead) {
  ScratchFolder scratch;
  const std::string book = scratch.Copy(DataPath("recipe_sheets.xlsx"), "Book.xlsx");
  const CommandResult result =
      RunInProcess({"preview", "--operation", "pattern", "--param", "^(a+)+$", "--cells", "50",
                    book, scratch.File("Missing.xlsx")});
  EXPECT_EQ(result.status, kExitFailure);
  EXPECT_NE(result.out.find("\tE5\t" + std::string(40, 'a') + "!\t\tfailed\n"), std::string::npos)
      << result.out;
  EXPECT_NE(result.err.find(book + ", sheet Quarterly revenue by region 245, cell E5: The pattern "
                                   "gave up"),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("Missing.xlsx"), std::string::npos) << result.err;
}

TEST(Preview, EscapesControlCharactersInFileNamesAndMessagesAsRecordsDo) {
  ScratchFolder scratch;
  const std::string book = scratch.File("\x1b[31mred\x07.csv");
  std::ofstream(book, std::ios::binary) << "a\x1b]0;title\x07"
                                           "b\n";
  const std::string broken = scratch.File("\x1b[2Jgone.xlsx");
  std::ofstream(broken) << "not a workbook";

  const char* argv[] = {"brintova-cli", "preview", "--operation", "first-chars", "--param",
                        "1",            book.c_str(), broken.c_str()};
  std::ostringstream out, err;
  const int status = CommandLineMain(static_cast<int>(std::size(argv)), argv, out, err,
                                     /*err_is_terminal=*/false, /*out_is_terminal=*/true);
  EXPECT_EQ(status, kExitFailure);
  EXPECT_EQ(Lines(out.str()).at(0), scratch.File("\\x1b[31mred\\x07.csv")) << out.str();
  EXPECT_NE(out.str().find("a\\x1b]0;title\\x07b"), std::string::npos) << out.str();
  EXPECT_EQ(out.str().find('\x1b'), std::string::npos) << out.str();
  EXPECT_NE(err.str().find("\\x1b[2Jgone.xlsx"), std::string::npos) << err.str();
  EXPECT_EQ(err.str().find('\x1b'), std::string::npos) << err.str();

  for (const char* format : {"jsonl", "csv"}) {
    const CommandResult records =
        RunInProcess({"run", "--operation", "alphabet", "--format", format, broken});
    EXPECT_EQ(records.status, kExitFailure);
    EXPECT_NE(records.err.find("\\x1b[2Jgone.xlsx"), std::string::npos) << records.err;
    EXPECT_EQ(records.err.find('\x1b'), std::string::npos) << records.err;
  }
}

// Every record against the workbook a per-sheet run saves from the same files.
TEST(Records, JsonLinesParseAndCarryTheTextsOfTheSavedWorkbooks) {
  ScratchFolder scratch;
  std::vector<std::string> books;
  for (const std::string name : {"International Text.xlsx", "Orders and Phones.xlsx",
                                 "Legacy Inventory.xls", "Product IDs with Chart.xlsx"}) {
    books.push_back(scratch.Copy(SamplePath(name), "in/" + name));
  }
  books.push_back(scratch.Copy(DataPath("recipe_sheets.xlsx"), "in/recipe_sheets.xlsx"));
  const std::vector<std::string> operation = {"--operation",  "after-text", "--param",      "-",
                                              "--occurrence", "-1",         "--ignore-case"};
  std::vector<std::string> save = {"run"};
  save.insert(save.end(), operation.begin(), operation.end());
  save.insert(save.end(), {"--layout", "per-sheet", "--output", scratch.File("out")});
  save.insert(save.end(), books.begin(), books.end());
  const CommandResult saved = RunInProcess(save);
  ASSERT_EQ(saved.status, kExitSuccess) << saved.err;

  std::vector<std::string> stream = {"run"};
  stream.insert(stream.end(), operation.begin(), operation.end());
  stream.insert(stream.end(), {"--format", "jsonl"});
  stream.insert(stream.end(), books.begin(), books.end());
  const CommandResult records = RunInProcess(stream);
  ASSERT_EQ(records.status, kExitSuccess) << records.err;

  // The saved result sheets, as "text" lists them: (file, result sheet, cell) -> text.
  std::map<std::string, std::string> listed;
  for (const std::string& book : books) {
    const std::string stem =
        book.substr(book.rfind('/') + 1, book.rfind('.') - book.rfind('/') - 1);
    const CommandResult listing = RunInProcess({"text", scratch.File("out/" + stem + ".xlsx")});
    for (const std::string& line : Lines(listing.out)) {
      const std::size_t first = line.find('\t'), second = line.find('\t', first + 1);
      if (line.substr(0, first).ends_with(" results")) {
        listed[book + "|" + line.substr(0, second)] = line.substr(second + 1);
      }
    }
  }
  ASSERT_GT(listed.size(), 5u);
  std::size_t non_empty = 0;
  for (const std::string& line : Lines(records.out)) {
    const nlohmann::json record = nlohmann::json::parse(line);  // throws on a broken line
    ASSERT_EQ(record.size(), 5u) << line;
    const std::string sheet = record.at("sheet");
    const std::string result = record.at("result");
    const std::string result_sheet = ToUtf8(
        ExcelExtract::ResultSheetName(ToUtf16(sheet), [](std::u16string_view) { return false; }));
    const std::string key = record.at("file").get<std::string>() + "|" + result_sheet + "\t" +
                            record.at("cell").get<std::string>();
    if (result.empty()) {
      EXPECT_FALSE(listed.contains(key)) << line;
      continue;
    }
    ++non_empty;
    ASSERT_TRUE(listed.contains(key)) << line;
    EXPECT_EQ(listed[key], EscapeField(ToUtf16(result))) << line;
  }
  EXPECT_EQ(non_empty, listed.size()) << "a saved result that no record carries";
  EXPECT_NE(records.err.find("5 workbooks read, 0 failed"), std::string::npos) << records.err;
}

TEST(Records, CsvQuotesWhatNeedsItAndKeepsEmptyResults) {
  const CommandResult result = RunInProcess({"run", "--operation", "after-text", "--param", "ärger",
                                             "--format", "csv", DataPath("recipe_sheets.xlsx")});
  EXPECT_EQ(result.status, kExitSuccess) << result.err;
  const std::string file = DataPath("recipe_sheets.xlsx");
  EXPECT_EQ(result.out, "file,sheet,cell,text,result\r\n" + file +
                            ",Phones,B2,\"Phone [555-0100] of Ärger, ärger\",\r\n");
  EXPECT_EQ(result.err, "brintova-cli: 1 workbook read, 0 failed, 1 record written\n");
}

TEST(Records, StreamFromTheExecutableWithTheSummaryOnStandardError) {
  ScratchFolder scratch;
  const CommandResult result =
      RunExecutable({"run", "--operation", "between", "--after", "[", "--before", "]", "--format",
                     "jsonl", DataPath("recipe_sheets.xlsx")},
                    scratch);
  EXPECT_EQ(result.status, kExitSuccess) << result.err;
  const std::vector<std::string> lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 3u) << result.out;
  EXPECT_EQ(nlohmann::json::parse(lines[1]).at("result"), "555-0100");
  EXPECT_EQ(result.err, "brintova-cli: 1 workbook read, 0 failed, 3 records written\n");
  EXPECT_EQ(scratch.Entries(), std::vector<std::string>{});
}

}  // namespace
}  // namespace brintova::cli
