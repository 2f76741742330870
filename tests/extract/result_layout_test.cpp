// Where a recipe's results land: one result sheet per worksheet (three sheets sharing
// addresses, a 31-character name, names already taken), in both output modes; the one-sheet
// layout matching the window's operations cell for cell; cells whose rule fails; and the visit
// that writes nothing.
#include "extract/result_layout.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "extract/excel_extract.h"
#include "extract/recipe.h"
#include "fakes/fake_server.h"
#include "fakes/fake_window.h"
#include "platform/text.h"

namespace brintova::ExcelExtract {
namespace {

using testing::ChartSheet;
using testing::FakeForm;
using testing::FakeServer;
using testing::FakeSheetContent;
using testing::FakeWorkbook;
using testing::Worksheet;

const std::u16string kLongName = u"Quarterly revenue by region 24";  // 30 characters
const std::u16string kLongest = u"Quarterly revenue by region 245";  // 31, the most allowed

// "<text>!" for every cell.
std::optional<CellResult> Exclaim(std::u16string_view text, OutputMode) {
  return CellResult{std::u16string(text) + u"!"};
}

struct Book {
  FakeServer server;
  std::shared_ptr<Workbook> source;
  std::shared_ptr<Workbook> output;

  explicit Book(std::vector<FakeSheetContent> sheets, bool new_workbook = false) {
    server.AddFile(u"C:\\in\\a.xlsx", std::move(sheets));
    source = server.CreateObject(u"Excel.Application")->Workbooks().Open(u"C:\\in\\a.xlsx");
    if (new_workbook) output = server.CreateObject(u"Excel.Application")->Workbooks().Add();
  }
  FakeWorkbook& source_book() { return *server.instance(1).workbooks()[0]; }
  FakeWorkbook& output_book() { return *server.instance(2).workbooks()[0]; }
  void Write(Layout layout, const CellRule& rule = Exclaim) {
    WriteResults(*source, output.get(), output ? OutputMode::kNewWorkbook : OutputMode::kNewSheet,
                 layout, rule, [](std::u16string_view, CellPosition, const Failure& failure) {
                   ADD_FAILURE() << "unexpected failure: " << failure.what();
                 });
  }
};

Recipe Operation(std::int32_t operation, std::u16string text = u"", std::int16_t number = 0) {
  Recipe recipe;
  recipe.operation = operation;
  recipe.text = std::move(text);
  recipe.number = number;
  return recipe;
}

std::vector<std::u16string> Names(const FakeWorkbook& book) {
  std::vector<std::u16string> names;
  for (const auto& sheet : book.sheets()) names.push_back(sheet->name());
  return names;
}

std::vector<FakeSheetContent> ThreeSheetsSharingB2() {
  return {Worksheet(u"Orders", {{"B2", u"order"}, {"C3", u"only orders"}}),
          Worksheet(u"Phones", {{"B2", u"phone"}}), Worksheet(kLongest, {{"B2", u"long"}})};
}

TEST(PerSheetLayout, GivesEachWorksheetItsOwnSheetInFrontOfTheSource) {
  Book book(ThreeSheetsSharingB2());
  book.Write(Layout::kPerSheet);

  const std::u16string shortened = u"Quarterly revenue by re results";  // 23 + 8 characters
  EXPECT_EQ(shortened.size(), kMaxSheetName);
  EXPECT_EQ(Names(book.source_book()),
            (std::vector<std::u16string>{u"Orders results", u"Phones results", shortened, u"Orders",
                                         u"Phones", kLongest}));
  FakeWorkbook& b = book.source_book();
  EXPECT_EQ(b.sheet(u"Orders results").stored("B2"), u"order!");
  EXPECT_EQ(b.sheet(u"Orders results").stored("C3"), u"only orders!");
  EXPECT_EQ(b.sheet(u"Phones results").stored("B2"), u"phone!");
  EXPECT_EQ(b.sheet(u"Phones results").stored("C3"), std::nullopt);
  EXPECT_EQ(b.sheet(shortened).stored("B2"), u"long!");
  EXPECT_EQ(b.sheet(u"Orders").stored("B2"), u"order") << "the source sheets stay as they were";
}

TEST(PerSheetLayout, FillsANewWorkbookStartingWithItsOwnSheet) {
  Book book(ThreeSheetsSharingB2(), /*new_workbook=*/true);
  book.Write(Layout::kPerSheet);
  EXPECT_EQ(Names(book.output_book()),
            (std::vector<std::u16string>{u"Orders results", u"Phones results",
                                         u"Quarterly revenue by re results"}));
  EXPECT_EQ(book.output_book().sheet(u"Phones results").stored("B2"), u"phone!");
  EXPECT_EQ(Names(book.source_book()),
            (std::vector<std::u16string>{u"Orders", u"Phones", kLongest}));
}

TEST(PerSheetLayout, StepsAroundNamesTakenInAnyLetterCase) {
  Book book({Worksheet(u"Data", {{"A1", u"d"}}), Worksheet(u"DATA RESULTS", {{"A1", u"r"}}),
             ChartSheet(u"data results (2)"), Worksheet(u"Empty")});
  book.Write(Layout::kPerSheet);
  EXPECT_EQ(
      Names(book.source_book()),
      (std::vector<std::u16string>{u"Data results (3)", u"DATA RESULTS results", u"Empty results",
                                   u"Data", u"DATA RESULTS", u"data results (2)", u"Empty"}));
  EXPECT_EQ(book.source_book().sheet(u"Data results (3)").stored("A1"), u"d!");
  EXPECT_TRUE(book.source_book().sheet(u"Empty results").cells().empty());
}

TEST(OneSheetLayout, LetsTheLastWorksheetWinAsTheWindowDoes) {
  Book book(ThreeSheetsSharingB2());
  book.Write(Layout::kOneSheet);
  EXPECT_EQ(Names(book.source_book()),
            (std::vector<std::u16string>{u"Sheet1", u"Orders", u"Phones", kLongest}));
  EXPECT_EQ(book.source_book().sheet(u"Sheet1").stored("B2"), u"long!");
  EXPECT_EQ(book.source_book().sheet(u"Sheet1").stored("C3"), u"only orders!");
}

// The recipe path with default options must put exactly what the window's operations put,
// format included, in both modes.
TEST(OneSheetLayout, MatchesTheWindowsOperationsCellForCell) {
  const std::vector<FakeSheetContent> sheets = {
      Worksheet(u"A", {{"A1", u"ABCDEF"}, {"B2", u"ID00123"}, {"C3", u"x-y-z"}, {"D4", u"7"}}),
      Worksheet(u"B", {{"B2", u"Order #A-17, 3 pcs."}, {"E5", u"ab"}})};
  struct Row {
    const char* what;
    Recipe recipe;
    std::function<void(Form&, Workbook*, Workbook*)> window;
  };
  const auto text_op = [](auto op, std::u16string text) {
    return [op, text](Form& f, Workbook* s, Workbook* o) { op(f, s, text, o); };
  };
  const auto number_op = [](auto op, std::int16_t x) {
    return [op, x](Form& f, Workbook* s, Workbook* o) { op(f, s, x, o); };
  };
  const std::vector<Row> rows = {
      {"alphabet", Operation(0), ExtractAlphabet},
      {"non-alphanumeric", Operation(3), ExtractNonAlphanumeric},
      {"user-defined", Operation(4, u"-3"), text_op(ExtractUserDefined, u"-3")},
      {"after-text", Operation(5, u"-"), text_op(ExtractAfterText, u"-")},
      {"before-text", Operation(6, u"-"), text_op(ExtractBeforeText, u"-")},
      {"first-chars", Operation(7, u"", 2), number_op(ExtractFirstChars, 2)},
      {"last-chars", Operation(8, u"", 5), number_op(ExtractLastChars, 5)},
      {"after-position", Operation(9, u"", 6), number_op(ExtractAfterPosition, 6)},
      {"before-position", Operation(10, u"", 2), number_op(ExtractBeforePosition, 2)},
  };
  for (const Row& row : rows) {
    for (const bool new_workbook : {false, true}) {
      SCOPED_TRACE(std::string(row.what) + (new_workbook ? ", new workbook" : ", new sheet"));
      Book ours(sheets, new_workbook);
      ours.Write(Layout::kOneSheet, MakeCellRule(row.recipe));
      Book window(sheets, new_workbook);
      FakeForm form;
      form.option1.value = !new_workbook;
      form.option2.value = new_workbook;
      row.window(form, window.source.get(), window.output.get());
      const FakeWorkbook& a = new_workbook ? ours.output_book() : ours.source_book();
      const FakeWorkbook& b = new_workbook ? window.output_book() : window.source_book();
      ASSERT_EQ(Names(a), Names(b));
      for (std::size_t i = 0; i < a.sheets().size(); ++i) {
        const auto& ours_cells = a.sheets()[i]->cells();
        const auto& window_cells = b.sheets()[i]->cells();
        ASSERT_EQ(ours_cells.size(), window_cells.size());
        for (auto it = ours_cells.begin(), jt = window_cells.begin(); it != ours_cells.end();
             ++it, ++jt) {
          EXPECT_EQ(it->first, jt->first);
          EXPECT_EQ(ToUtf8(it->second.text), ToUtf8(jt->second.text));
          EXPECT_EQ(ToUtf8(it->second.number_format), ToUtf8(jt->second.number_format));
        }
      }
    }
  }
}

TEST(WriteResults, LeavesACellWhoseRuleFailsAndGoesOn) {
  Book book({Worksheet(u"S", {{"A1", u"ok"}, {"B1", u"bad"}, {"C1", u"fine"}})});
  std::vector<std::string> failures;
  WriteResults(
      *book.source, nullptr, OutputMode::kNewSheet, Layout::kOneSheet,
      [](std::u16string_view text, OutputMode) -> std::optional<CellResult> {
        if (text == u"bad") throw Failure("too hard");
        return CellResult{std::u16string(text)};
      },
      [&](std::u16string_view sheet, CellPosition cell, const Failure& failure) {
        failures.push_back(ToUtf8(sheet) + " R" + std::to_string(cell.row) + "C" +
                           std::to_string(cell.column) + ": " + failure.what());
      });
  EXPECT_EQ(failures, std::vector<std::string>{"S R1C2: too hard"});
  const auto& result = book.source_book().sheet(u"Sheet1");
  EXPECT_EQ(result.stored("A1"), u"ok");
  EXPECT_EQ(result.stored("B1"), std::nullopt);
  EXPECT_EQ(result.stored("C1"), u"fine");
}

TEST(VisitResults, ReportsEveryCellInWalkOrderWritesNothingAndStopsWhenAsked) {
  Book book({Worksheet(u"One", {{"C1", u"a-b"}, {"A2", u"ab"}}),
             Worksheet(u"Two", {{"A1", u"x-"}, {"B1", u"y-z"}})});
  std::vector<std::string> seen;
  VisitResults(*book.source, OutputMode::kNewSheet, MakeCellRule(Operation(6, u"-")),
               [&](const CellOutcome& outcome) {
                 seen.push_back(ToUtf8(outcome.sheet) + " R" + std::to_string(outcome.cell.row) +
                                "C" + std::to_string(outcome.cell.column) + " " +
                                ToUtf8(outcome.text) + " -> " +
                                (outcome.result ? ToUtf8(outcome.result->text) : "(none)"));
                 return seen.size() < 3;
               });
  EXPECT_EQ(seen, (std::vector<std::string>{"One R1C3 a-b -> a", "One R2C1 ab -> (none)",
                                            "Two R1C1 x- -> x"}));
  EXPECT_EQ(Names(book.source_book()), (std::vector<std::u16string>{u"One", u"Two"}));
  EXPECT_EQ(book.server.calls("Sheet.SetCellValue"), 0);
}

TEST(ResultSheetName, ShortensTheSourceNameWithoutSplittingACharacter) {
  const auto none = [](std::u16string_view) { return false; };
  EXPECT_EQ(ResultSheetName(u"Orders", none), u"Orders results");
  EXPECT_EQ(ResultSheetName(kLongName, none), u"Quarterly revenue by re results");
  // 22 letters and an emoji of two code units: the emoji would end at 24 > 23, so it goes.
  const std::u16string emoji_name = std::u16string(22, u'x') + u"\U0001F600";
  EXPECT_EQ(ResultSheetName(emoji_name, none), std::u16string(22, u'x') + u" results");
  // A flag is one character of four code units: kept whole or left out whole.
  const std::u16string flag_name = std::u16string(20, u'x') + u"\U0001F1E9\U0001F1EA";
  EXPECT_EQ(ResultSheetName(flag_name, none), std::u16string(20, u'x') + u" results");
  // Spaces the cut leaves at the end go, so no name shows two spaces before "results".
  EXPECT_EQ(ResultSheetName(std::u16string(22, u'x') + u" tail", none),
            std::u16string(22, u'x') + u" results");
  std::vector<std::u16string> taken = {u"Orders results", u"Orders results (2)"};
  const auto in_taken = [&](std::u16string_view name) {
    return std::find(taken.begin(), taken.end(), name) != taken.end();
  };
  EXPECT_EQ(ResultSheetName(u"Orders", in_taken), u"Orders results (3)");
  taken = {u"Quarterly revenue by re results"};
  EXPECT_EQ(ResultSheetName(kLongName, in_taken), u"Quarterly revenue b results (2)");
}

}  // namespace
}  // namespace brintova::ExcelExtract
