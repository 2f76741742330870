// "Start Extracting" on real workbook files through the embedded engine, in both output modes:
// the result sheets' displayed texts, the inserted sheet's place, and a file that is missing.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>

#include "engine/model/cell.h"
#include "engine/server/embedded_server.h"
#include "extract/extraction_run.h"
#include "extract/run_fixture.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova {
namespace {

using engine::EmbeddedServer;

std::u16string Fixture(const char* name) {
  return ToUtf16(std::string(BRINTOVA_TEST_DATA) + "/" + name);
}

std::string A1(CellPosition cell) { return engine::model::CellReference(cell.row, cell.column); }

// Every cell of the sheet that shows text, by its A1 name.
std::map<std::string, std::u16string> Texts(Sheet& sheet) {
  std::map<std::string, std::u16string> texts;
  const CellPosition end = sheet.UsedRangeEnd();
  for (std::int32_t row = 1; row <= end.row; ++row) {
    for (std::int32_t column = 1; column <= end.column; ++column) {
      std::u16string text = sheet.Cells(row, column).Text();
      if (!text.empty()) texts[A1({row, column})] = std::move(text);
    }
  }
  return texts;
}

std::vector<std::u16string> SheetNames(Workbook& book) {
  std::vector<std::u16string> names;
  for (std::int32_t i = 1; i <= book.Sheets().Count(); ++i) {
    names.push_back(book.Sheets().Item(i)->Name());
  }
  return names;
}

struct EngineRun {
  testing::FakeForm form;
  testing::ScriptedDialogs dialogs;
  testing::MemorySettings settings;
  testing::UnusedFileQueries files;
  testing::UnusedShell shell;
  EmbeddedServer server;
  Ports ports{form, dialogs, settings, files, shell, server};

  explicit EngineRun(bool new_sheet) {
    form.option1.value = new_sheet;
    form.option2.value = !new_sheet;
  }
  std::vector<std::u16string> ErrorTexts() const {
    std::vector<std::u16string> texts;
    for (const auto& box : dialogs.boxes) {
      if (box.title == u"Application Error") texts.push_back(box.text);
    }
    return texts;
  }
};

TEST(ExtractThroughEngine, NewSheetModeInsertsTheResultSheetFirst) {
  EngineRun run(/*new_sheet=*/true);
  run.form.list_view.rows = {Fixture("extract_cells_and_charts.xlsx")};
  run.form.combo.list_index = 1;  // ExtractNumbers
  PushButton7_Click(run.ports);
  EXPECT_TRUE(run.ErrorTexts().empty()) << ToUtf8(run.ErrorTexts().at(0));

  const auto shown = run.server.VisibleInstances();
  ASSERT_EQ(shown.size(), 1u);
  auto book = shown[0]->Workbooks().Item(1);
  EXPECT_EQ(SheetNames(*book),
            (std::vector<std::u16string>{u"Sheet1", u"Chart1", u"Data", u"More"}));
  // More's "second" in B2 overwrites Data's digits with the empty string, and its "Café" in H1
  // gives the empty string too; F3 shows nothing and is skipped.
  EXPECT_EQ(
      Texts(*book->Sheets().Item(1)),
      (std::map<std::string, std::u16string>{
          {"A1", u"173"}, {"C5", u"00123"}, {"D6", u"5"}, {"E9", u"25"}, {"A10", u"20150219"}}));
  EXPECT_EQ(book->Sheets().Item(3)->Cells(2, 2).Text(), u"1,234.50") << "source unchanged";
}

TEST(ExtractThroughEngine, NewWorkbookModeFillsTheNewWorkbookAndLeavesTheSourceAlone) {
  EngineRun run(/*new_sheet=*/false);
  run.form.list_view.rows = {Fixture("extract_cells_and_charts.xlsx"),
                             Fixture("extract_used_range_from_c5.xlsx")};
  run.form.combo.list_index = 8;  // ExtractLastChars
  run.dialogs.input_answers = {u"5", u"2"};
  PushButton7_Click(run.ports);
  EXPECT_TRUE(run.ErrorTexts().empty()) << ToUtf8(run.ErrorTexts().at(0));

  const auto shown = run.server.VisibleInstances();
  ASSERT_EQ(shown.size(), 2u) << "the source instances have quit";
  auto first = shown[0]->Workbooks().Item(1);
  EXPECT_EQ(SheetNames(*first), (std::vector<std::u16string>{u"Sheet1"}));
  EXPECT_EQ(Texts(*first->Sheets().Item(1)),
            (std::map<std::string, std::u16string>{
                {"A1", u" pcs."}, {"B2", u"econd"}, {"C5", u"00123"}, {"A10", u"02-19"}}));
  auto second = shown[1]->Workbooks().Item(1);
  EXPECT_EQ(Texts(*second->Sheets().Item(1)),
            (std::map<std::string, std::u16string>{{"C5", u"EF"}, {"E9", u"yz"}}));
}

TEST(ExtractThroughEngine, AMissingFileIsReportedAtItsOpeningStepAndTheRunGoesOn) {
  EngineRun run(/*new_sheet=*/true);
  const std::u16string missing = Fixture("no_such_workbook.xlsx");
  run.form.list_view.rows = {missing, Fixture("extract_used_range_from_c5.xlsx")};
  run.form.combo.list_index = 7;  // ExtractFirstChars
  run.dialogs.input_answers = {u"2"};
  PushButton7_Click(run.ports);

  ASSERT_EQ(run.ErrorTexts().size(), 1u);
  EXPECT_EQ(run.ErrorTexts()[0].substr(0, run.ErrorTexts()[0].find(u'\r')),
            u"File not found: " + missing);
  EXPECT_NE(run.ErrorTexts()[0].find(u"PushButton7_Click at line 110\r"), std::u16string::npos);
  const auto shown = run.server.VisibleInstances();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(Texts(*shown[0]->Workbooks().Item(1)->Sheets().Item(1)),
            (std::map<std::string, std::u16string>{{"C5", u"AB"}, {"E9", u"xy"}}));
  EXPECT_EQ(run.dialogs.boxes.back().text, u"Done.");
}

TEST(ExtractThroughEngine, ASheetUsedToItsLastCellRunsInMoments) {
  for (const bool new_sheet : {true, false}) {
    EngineRun run(new_sheet);
    run.form.list_view.rows = {Fixture("extract_far_corners.xlsx")};
    run.form.combo.list_index = 1;  // ExtractNumbers
    const auto start = std::chrono::steady_clock::now();
    PushButton7_Click(run.ports);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_TRUE(run.ErrorTexts().empty());
    const auto shown = run.server.VisibleInstances();
    ASSERT_EQ(shown.size(), 1u);
    Sheet& result = *shown[0]->Workbooks().Item(1)->Sheets().Item(1);
    EXPECT_EQ(result.Cells(1, 1).Text(), u"7");
    EXPECT_EQ(result.Cells(1048576, 16384).Text(), u"9");
    EXPECT_EQ(result.NextCellWithContent({1, 2}, {1048576, 16384}), (CellPosition{1048576, 16384}))
        << "nothing else was written";
  }
}

// A walk sets the same code on every cell it writes; a different code is still checked, and an
// invalid one taken for the code checked before it would store a format nothing can show.
TEST(ExtractThroughEngine, EachNewFormatCodeIsCheckedAndTheLastValidOneStillTakes) {
  EmbeddedServer server;
  auto book = server.CreateObject(kSpreadsheetProgId)->Workbooks().Add();
  Sheet& sheet = *book->Sheets().Item(1);
  sheet.Cells(1, 1).SetNumberFormat(u"0.00");
  sheet.Cells(1, 2).SetNumberFormat(u"0.00");
  for (const std::u16string_view invalid : {u"0.00\"", u"[Red", u"0.00;;;;"}) {
    try {
      sheet.Cells(1, 3).SetNumberFormat(invalid);
      ADD_FAILURE() << "an invalid code was taken: " << ToUtf8(invalid);
    } catch (const Failure& failure) {
      EXPECT_NE(std::string(failure.what()).find("is not valid"), std::string::npos)
          << failure.what();
    }
  }
  sheet.Cells(2, 1).SetNumberFormat(u"0.00");
  sheet.Cells(2, 1).SetValue(u"x");
  EXPECT_EQ(sheet.Cells(2, 1).Text(), u"x");
  EXPECT_EQ(sheet.UsedRangeEnd(), (CellPosition{2, 2})) << "the refused cell was not formatted";
}

}  // namespace
}  // namespace brintova
