// The frame of every operation: which cells it visits, where results land, the order of its
// server calls, and that the walk's time follows the cells with content, not the used area.
#include "extract/cell_walk.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "extract/excel_extract.h"
#include "fakes/fake_server.h"
#include "fakes/fake_window.h"
#include "fakes/recording_server.h"
#include "platform/text.h"

namespace brintova::ExcelExtract {
namespace {

using testing::At;
using testing::ChartSheet;
using testing::FakeForm;
using testing::FakeServer;
using testing::FakeSheet;
using testing::FakeSheetContent;
using testing::RecordingServer;
using testing::Worksheet;

// A rule that writes "<text>!" and records what it was given.
struct EchoRule {
  std::vector<std::u16string> seen;
  CellRule rule() {
    return [this](std::u16string_view text, OutputMode) {
      seen.emplace_back(text);
      return std::optional<CellResult>(CellResult{std::u16string(text) + u"!"});
    };
  }
};

struct Walk {
  FakeServer server;
  RecordingServer recording{server};
  FakeForm form;
  std::shared_ptr<Workbook> source;
  std::shared_ptr<Workbook> output;

  explicit Walk(std::vector<FakeSheetContent> sheets, bool new_sheet = true) {
    form.option1.value = new_sheet;
    form.option2.value = !new_sheet;
    server.AddFile(u"C:\\in\\a.xlsx", std::move(sheets));
    source = recording.CreateObject(u"Excel.Application")->Workbooks().Open(u"C:\\in\\a.xlsx");
    if (!new_sheet) output = recording.CreateObject(u"Excel.Application")->Workbooks().Add();
  }
  void Run(const CellRule& rule) { WalkCells(form, source.get(), output.get(), rule); }
  testing::FakeWorkbook& source_book() { return *server.instance(1).workbooks()[0]; }
  FakeSheet& result_sheet() {
    return output ? *server.instance(2).workbooks()[0]->sheets()[0] : *source_book().sheets()[0];
  }
};

TEST(CellWalk, StartsAtA1AndWritesOnlyWhereTextIs) {
  for (const bool answers : {true, false}) {
    SCOPED_TRACE(answers ? "server tells the next cell" : "server visits every position");
    Walk walk({Worksheet(u"Data", {{"C5", u"c5"}, {"E9", u"e9"}})});
    walk.server.answers_next_cell = answers;
    EchoRule echo;
    walk.Run(echo.rule());
    EXPECT_EQ(echo.seen, (std::vector<std::u16string>{u"c5", u"e9"}));
    const FakeSheet& out = walk.result_sheet();
    EXPECT_EQ(out.name(), u"Sheet1");
    EXPECT_EQ(out.cells().size(), 2u);
    EXPECT_EQ(out.stored("C5"), u"c5!");
    EXPECT_EQ(out.stored("E9"), u"e9!");
    if (!answers) {
      // A1:E9 of Data plus A1 of the inserted, still empty sheet.
      EXPECT_EQ(walk.server.calls("Sheet.CellText"), 45 + 1);
    }
  }
}

TEST(CellWalk, LaterWorksheetsOverwriteAndDecliningRulesKeepEarlierResults) {
  Walk walk({Worksheet(u"One", {{"B2", u"first"}, {"A1", u"only-first"}}),
             Worksheet(u"Two", {{"B2", u"second"}, {"C3", u"skip"}})});
  walk.Run([](std::u16string_view text, OutputMode) -> std::optional<CellResult> {
    if (text == u"skip") return std::nullopt;
    return CellResult{std::u16string(text)};
  });
  const FakeSheet& out = walk.result_sheet();
  EXPECT_EQ(out.stored("B2"), u"second");
  EXPECT_EQ(out.stored("A1"), u"only-first");
  EXPECT_EQ(out.stored("C3"), std::nullopt);

  Walk declining({Worksheet(u"One", {{"B2", u"keep"}}), Worksheet(u"Two", {{"B2", u"no"}})});
  declining.Run([](std::u16string_view text, OutputMode) -> std::optional<CellResult> {
    if (text == u"no") return std::nullopt;
    return CellResult{std::u16string(text)};
  });
  EXPECT_EQ(declining.result_sheet().stored("B2"), u"keep");
}

TEST(CellWalk, InsertsBeforeAChartSheetAndSkipsCharts) {
  Walk walk({ChartSheet(u"Chart1"), Worksheet(u"Data", {{"A1", u"x"}}), ChartSheet(u"Chart2")});
  EchoRule echo;
  walk.Run(echo.rule());
  const auto& sheets = walk.source_book().sheets();
  ASSERT_EQ(sheets.size(), 4u);
  EXPECT_EQ(sheets[0]->name(), u"Sheet1");
  EXPECT_EQ(sheets[1]->name(), u"Chart1");
  EXPECT_EQ(echo.seen, (std::vector<std::u16string>{u"x"}));
  EXPECT_EQ(sheets[0]->stored("A1"), u"x!");
}

TEST(CellWalk, NewSheetTakesTheFirstFreeName) {
  Walk walk({Worksheet(u"Sheet1"), Worksheet(u"Sheet3")});
  walk.Run(EchoRule().rule());
  EXPECT_EQ(walk.source_book().sheets()[0]->name(), u"Sheet2");
}

TEST(CellWalk, AFailingCellEndsTheWalkAndKeepsWhatWasWritten) {
  FakeSheetContent data = Worksheet(u"Data", {{"A1", u"a"}, {"B2", u"b"}, {"D4", u"d"}});
  data.failing_cells.emplace_back(At("C3"), Failure(u"Unable to get the Text property"));
  for (const bool new_sheet : {true, false}) {
    Walk walk({data, Worksheet(u"Later", {{"A2", u"later"}})}, new_sheet);
    EchoRule echo;
    try {
      walk.Run(echo.rule());
      ADD_FAILURE() << "the walk must pass the failure on";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.description(), u"Unable to get the Text property");
    }
    EXPECT_EQ(echo.seen, (std::vector<std::u16string>{u"a", u"b"}));
    EXPECT_EQ(walk.result_sheet().cells().size(), 2u);
    EXPECT_EQ(walk.result_sheet().stored("B2"), u"b!");
  }
}

TEST(CellWalk, NewWorkbookModeWithoutAnOutputWorkbookFailsAtTheFirstWrite) {
  Walk walk({Worksheet(u"Data", {{"A1", u"a"}})}, /*new_sheet=*/false);
  try {
    WalkCells(walk.form, walk.source.get(), nullptr, EchoRule().rule());
    ADD_FAILURE() << "an unset output workbook must fail";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.number(), kFailureObjectNotSet);
  }
  EXPECT_EQ(walk.source_book().sheets().size(), 1u) << "new-workbook mode inserts no sheet";
}

TEST(CellWalk, NewSheetModeInsertsFirstAndFormatsJustBeforeTheValue) {
  Walk walk({Worksheet(u"Data", {{"A1", u"ID00123"}, {"B1", u"ab"}})});
  walk.recording.log.clear();
  ExtractLastChars(walk.form, walk.source.get(), 5, walk.output.get());
  EXPECT_EQ(walk.recording.log, (std::vector<std::string>{
                                    "a.xlsx.Sheets.Item 1",
                                    "a.xlsx.Sheets.Add before=Data",
                                    "a.xlsx.Worksheets",
                                    "a.xlsx!Sheet1.UsedRange",
                                    "a.xlsx!Sheet1.NextCellWithContent(1,1)(1,1)",
                                    "a.xlsx!Data.UsedRange",
                                    "a.xlsx!Data.NextCellWithContent(1,1)(1,2)",
                                    "a.xlsx!Data.Cells(1,1).Text",
                                    "a.xlsx!Sheet1.Cells(1,1).NumberFormat=@",
                                    "a.xlsx!Sheet1.Cells(1,1).Value=00123",
                                    "a.xlsx!Data.NextCellWithContent(1,2)(1,2)",
                                    "a.xlsx!Data.Cells(1,2).Text",
                                }));
}

TEST(CellWalk, NewWorkbookModeLooksUpTheFirstSheetForEveryWrite) {
  Walk walk({Worksheet(u"Data", {{"A1", u"ID00123"}, {"A2", u"xy"}})}, /*new_sheet=*/false);
  walk.recording.log.clear();
  ExtractLastChars(walk.form, walk.source.get(), 1, walk.output.get());
  EXPECT_EQ(walk.recording.log, (std::vector<std::string>{
                                    "a.xlsx.Worksheets",
                                    "a.xlsx!Data.UsedRange",
                                    "a.xlsx!Data.NextCellWithContent(1,1)(2,1)",
                                    "a.xlsx!Data.Cells(1,1).Text",
                                    "Book1.Sheets.Item 1",
                                    "Book1!Sheet1.Cells(1,1).NumberFormat=@",
                                    "Book1.Sheets.Item 1",
                                    "Book1!Sheet1.Cells(1,1).Value=3",
                                    "a.xlsx!Data.NextCellWithContent(2,1)(2,1)",
                                    "a.xlsx!Data.Cells(2,1).Text",
                                    "Book1.Sheets.Item 1",
                                    "Book1!Sheet1.Cells(2,1).NumberFormat=@",
                                    "Book1.Sheets.Item 1",
                                    "Book1!Sheet1.Cells(2,1).Value=y",
                                }));
  EXPECT_EQ(walk.source_book().sheets().size(), 1u) << "the source workbook is left unchanged";
}

// The application re-types an assigned string ("007" as 7, "1-2" as a date, "=A1" as a
// formula) unless the cell is formatted as text, so every write of every rule comes right
// after "@" on the same cell.
TEST(CellWalk, EveryWriteIsPrecededByTheTextFormatOnTheSameCell) {
  for (const bool new_sheet : {true, false}) {
    SCOPED_TRACE(new_sheet ? "new sheet" : "new workbook");
    Walk walk({Worksheet(u"Data", {{"A1", u"007"}, {"B2", u"1-2"}, {"C3", u"=A1"}})}, new_sheet);
    walk.recording.log_reads = false;
    walk.recording.log.clear();
    walk.Run([](std::u16string_view text, OutputMode) {
      return std::optional<CellResult>(CellResult{std::u16string(text)});
    });
    const std::string out = new_sheet ? "a.xlsx!Sheet1" : "Book1!Sheet1";
    int values = 0;
    for (std::size_t i = 0; i < walk.recording.log.size(); ++i) {
      const std::string& entry = walk.recording.log[i];
      const std::size_t at = entry.find(".Value=");
      if (at == std::string::npos) continue;
      ++values;
      ASSERT_GE(i, new_sheet ? 1u : 2u) << entry;
      const std::size_t format = new_sheet ? i - 1 : i - 2;  // new workbook: Sheets(1) between
      EXPECT_EQ(walk.recording.log[format], entry.substr(0, at) + ".NumberFormat=@") << entry;
    }
    EXPECT_EQ(values, 3);
    const FakeSheet& result = walk.result_sheet();
    for (const char* cell : {"A1", "B2", "C3"}) EXPECT_EQ(result.number_format(cell), u"@");
    EXPECT_EQ(result.stored("A1"), u"007");
    EXPECT_EQ(result.stored("C3"), u"=A1");
  }
}

TEST(CellWalk, RereadsTheOptionButtonsForEveryCellWithText) {
  Walk new_sheet({Worksheet(u"Data", {{"A1", u"a"}, {"C3", u"c"}, {"E5", u"e"}})});
  new_sheet.server.answers_next_cell = false;  // empty cells read too, but check no button
  new_sheet.Run(EchoRule().rule());
  EXPECT_EQ(new_sheet.form.option1.reads, 1 + 3);
  EXPECT_EQ(new_sheet.form.option2.reads, 0);

  Walk new_book({Worksheet(u"Data", {{"A1", u"a"}, {"C3", u"c"}, {"E5", u"e"}})}, false);
  new_book.Run(EchoRule().rule());
  EXPECT_EQ(new_book.form.option1.reads, 1 + 3);
  EXPECT_EQ(new_book.form.option2.reads, 3);

  // Neither button set: nothing is written, nothing fails.
  Walk neither({Worksheet(u"Data", {{"A1", u"a"}})}, false);
  neither.form.option2.value = false;
  EchoRule echo;
  neither.Run(echo.rule());
  EXPECT_TRUE(echo.seen.empty());
  EXPECT_TRUE(neither.result_sheet().cells().empty());
}

TEST(CellWalk, SeventeenBillionPositionsTakeNoTimeWhenTheServerTellsTheNextCell) {
  for (const bool new_sheet : {true, false}) {
    Walk walk({Worksheet(u"Huge", {{"A1", u"top"}, {"XFD1048576", u"bottom"}})}, new_sheet);
    walk.recording.log_reads = false;
    const auto start = std::chrono::steady_clock::now();
    ExtractAlphabet(walk.form, walk.source.get(), walk.output.get());
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::milliseconds(500));
    const FakeSheet& out = walk.result_sheet();
    EXPECT_EQ(out.cells().size(), 2u);
    EXPECT_EQ(out.stored("A1"), u"top");
    EXPECT_EQ(out.stored("XFD1048576"), u"bottom");
    EXPECT_LT(walk.server.calls("Sheet.CellText"), 10);
  }
}

// Random sparse sheets: a server that tells the next cell and one that cannot must give the
// same result sheet, and both must read every cell that has text.
TEST(CellWalk, SkippingEmptyPositionsGivesTheSameResultsAsVisitingEveryOne) {
  std::mt19937 random(20150219);
  for (int round = 0; round < 40; ++round) {
    std::vector<FakeSheetContent> sheets;
    const int sheet_count = 1 + static_cast<int>(random() % 3);
    for (int s = 0; s < sheet_count; ++s) {
      FakeSheetContent sheet = Worksheet(u"S" + DecimalText(s));
      const int cells = static_cast<int>(random() % 8);
      for (int c = 0; c < cells; ++c) {
        const CellPosition at{1 + static_cast<std::int32_t>(random() % 30),
                              1 + static_cast<std::int32_t>(random() % 12)};
        // Some cells hold an empty text: stored, but skipped like empty ones.
        sheet.cells.emplace_back(at, random() % 5 == 0 ? u"" : u"t" + DecimalText(random() % 9));
      }
      sheets.push_back(std::move(sheet));
    }
    std::map<std::pair<std::int32_t, std::int32_t>, testing::FakeCell> results[2];
    std::vector<std::u16string> seen[2];
    for (const bool answers : {true, false}) {
      Walk walk(sheets, round % 2 == 0);
      walk.server.answers_next_cell = answers;
      EchoRule echo;
      walk.Run(echo.rule());
      results[answers] = walk.result_sheet().cells();
      seen[answers] = echo.seen;
    }
    EXPECT_EQ(seen[true], seen[false]) << "round " << round;
    ASSERT_EQ(results[true].size(), results[false].size()) << "round " << round;
    for (const auto& [key, cell] : results[false]) {
      EXPECT_EQ(results[true][key].text, cell.text) << "round " << round;
    }
  }
}

}  // namespace
}  // namespace brintova::ExcelExtract
