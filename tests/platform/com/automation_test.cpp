// The extraction run driving the stand-in spreadsheet application through automation, out of
// process: what arrives there and in which order, what the user sees, which instances stay.
#include "extract/automation.h"

#include <chrono>

#include "extract/excel_extract.h"
#include "extract/extraction_run.h"
#include "extract/run_fixture.h"
#include "fakes/recording_server.h"
#include "platform/com/com_objects.h"
#include "platform/com/dispatch.h"
#include "platform/com/standin_support.h"
#include "platform/text.h"

namespace brintova::com::testing {
namespace {

using brintova::testing::RecordingServer;
using brintova::testing::RunFixture;

// The run of RunFixture, with the stand-in behind the recording wrapper.
struct AutomationRun : RunFixture {
  ComSpreadsheetServer com = StandInServer();
  RecordingServer com_recording{com};
  Ports com_ports{form, dialogs, settings, files, shell, com_recording};
  FixtureFiles files_on_disk;

  // Quits every instance still running, so that none is left for the next test.
  ~AutomationRun() {
    for (int i = 0; i < 8; ++i) {
      try {
        com.GetObject(kSpreadsheetProgId)->Quit();
      } catch (const Failure&) {
        break;
      }
    }
  }
};

std::vector<std::u16string> Lines(const std::u16string& text) {
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(u'\n', start)) != std::u16string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// Whether `expected` appears in `calls` in this order (other calls may come between).
::testing::AssertionResult InOrder(const std::vector<std::u16string>& calls,
                                   const std::vector<std::u16string>& expected) {
  std::size_t next = 0;
  for (const auto& call : calls) {
    if (next < expected.size() && call == expected[next]) ++next;
  }
  if (next == expected.size()) return ::testing::AssertionSuccess();
  std::string all;
  for (const auto& call : calls) all += "  " + ToUtf8(call) + "\n";
  return ::testing::AssertionFailure()
         << "missing or out of order: " << ToUtf8(expected[next]) << "\nreceived:\n"
         << all;
}

// What the application receives for one workbook, operation 2, in each output mode.
TEST(PushButton7Click, CallsArriveInTheRunsOrderInEachOutputMode) {
  {
    AutomationRun run;
    const std::u16string path = run.files_on_disk.Path(u"one_cell.xlsx");
    run.List({path});
    run.Choose(2);
    PushButton7_Click(run.com_ports);
    EXPECT_TRUE(run.ErrorBoxes().empty());
    auto shown = run.com.GetObject(kSpreadsheetProgId);
    EXPECT_TRUE(InOrder(
        Lines(StandInCalls(*shown)),
        {u"Workbooks.Open " + path, u"Workbooks.Count", u"Workbooks.Item 1",
         u"one_cell.xlsx.Sheets.Item 1", u"one_cell.xlsx.Sheets.Add Before:=<Data>",
         u"one_cell.xlsx.Worksheets.Count", u"Data.UsedRange", u"Data!Range.Value2",
         u"Data.Cells 2 2", u"Data!Range.Text", u"Sheet1.Cells 2 2", u"Sheet1!Range.NumberFormat=@",
         u"Sheet1.Cells 2 2", u"Sheet1!Range.Value=AB12", u"Application.Visible=True"}));
  }
  {
    AutomationRun run;
    run.NewWorkbookMode();
    run.List({run.files_on_disk.Path(u"one_cell.xlsx")});
    run.Choose(2);
    PushButton7_Click(run.com_ports);
    EXPECT_TRUE(run.ErrorBoxes().empty());
    auto output = run.com.GetObject(kSpreadsheetProgId);
    EXPECT_TRUE(
        InOrder(Lines(StandInCalls(*output)),
                {u"Workbooks.Add", u"Book1.Sheets.Item 1", u"Sheet1.Cells 2 2",
                 u"Sheet1!Range.NumberFormat=@", u"Book1.Sheets.Item 1", u"Sheet1.Cells 2 2",
                 u"Sheet1!Range.Value=AB12", u"Application.Visible=True"}));
    // The source instance is told to quit after the output was shown.
    const int shown_at = run.com_recording.IndexOf("app2.Visible=true");
    EXPECT_GE(shown_at, 0);
    EXPECT_GT(run.com_recording.IndexOf("app1.Quit", shown_at), shown_at);
  }
}

TEST(OpenWorkbookInNewExcel, SendsFileNameAndEditableByNameOnlyForPathsEndingInXlt) {
  AutomationRun run;
  struct Case {
    std::u16string path;
    std::u16string expected_call;
  };
  const std::u16string xlt = run.files_on_disk.Path(u"template.xlt");
  const std::u16string upper = run.files_on_disk.Path(u"TEMPLATE.XLT");
  const std::u16string xlsx = run.files_on_disk.Path(u"one_cell.xlsx");
  for (const Case& c :
       {Case{xlt, u"Workbooks.Open Filename:=" + xlt + u" Editable:=True"},
        Case{upper, u"Workbooks.Open " + upper}, Case{xlsx, u"Workbooks.Open " + xlsx}}) {
    SCOPED_TRACE(ToUtf8(c.path));
    auto app = ExcelExtract::OpenWorkbookInNewExcel(run.com, c.path);
    const auto calls = Lines(StandInCalls(*app));
    ASSERT_GE(calls.size(), 2u);  // the last one is the look at the calls itself
    EXPECT_EQ(ToUtf8(calls[calls.size() - 2]), ToUtf8(c.expected_call));
    EXPECT_EQ(app->Workbooks().Count(), 1);
    app->Quit();
  }
}

TEST(IsExcelRunning, IsTrueOnlyWhileAnInstanceIsVisible) {
  AutomationRun run;
  EXPECT_FALSE(ExcelExtract::IsExcelRunning(run.com));
  auto app = run.com.CreateObject(kSpreadsheetProgId);
  EXPECT_FALSE(ExcelExtract::IsExcelRunning(run.com)) << "an invisible instance is not found";
  app->SetVisible(true);
  EXPECT_TRUE(ExcelExtract::IsExcelRunning(run.com));
  app->Quit();
  EXPECT_FALSE(ExcelExtract::IsExcelRunning(run.com));
}

TEST(PushButton7Click, WarnsBeforeTheSecondRunWhileAResultInstanceIsVisible) {
  AutomationRun run;
  run.List({run.files_on_disk.Path(u"one_cell.xlsx")});
  run.Choose(2);
  PushButton7_Click(run.com_ports);
  ASSERT_EQ(run.dialogs.boxes.size(), 1u);
  EXPECT_EQ(run.dialogs.boxes[0].text, u"Done.");

  run.dialogs.yes_no_answers.push_back(MessageResult::kNo);
  PushButton7_Click(run.com_ports);
  ASSERT_EQ(run.dialogs.boxes.size(), 2u);
  EXPECT_EQ(run.dialogs.boxes[1].text, ExcelExtract::kExcelOpenWarningText);
  EXPECT_EQ(run.dialogs.boxes[1].buttons, MessageButtons::kYesNo);
}

TEST(PushButton7Click, ShowsTheApplicationsOwnDescriptionOfAFailure) {
  AutomationRun run;
  const std::u16string missing = run.files_on_disk.Path(u"missing.xlsx");
  run.List({missing, run.files_on_disk.Path(u"one_cell.xlsx")});
  run.Choose(1);
  PushButton7_Click(run.com_ports);
  ASSERT_EQ(run.ErrorBoxes().size(), 1u);
  EXPECT_TRUE(run.ErrorBoxes()[0].starts_with(u"File not found: " + missing + u"\r\n"))
      << ToUtf8(run.ErrorBoxes()[0]);
  EXPECT_EQ(run.ErrorLines(), std::vector<int>{110});
  EXPECT_EQ(run.dialogs.boxes.back().text, u"Done.");
}

// New-workbook mode: the source instance is told to quit and its process ends once the run
// lets go of it; the output instance stays, visible, with the results.
TEST(PushButton7Click, NewWorkbookModeEndsTheSourceProcessAndLeavesTheOutputVisible) {
  AutomationRun run;
  run.NewWorkbookMode();
  run.List({run.files_on_disk.Path(u"one_cell.xlsx")});
  run.Choose(1);
  // Instances of earlier tests end shortly after they were let go.
  for (int wait = 0; wait < 150 && StandInProcesses() > 0; ++wait) Sleep(100);
  ASSERT_EQ(StandInProcesses(), 0);
  PushButton7_Click(run.com_ports);
  EXPECT_TRUE(run.ErrorBoxes().empty());

  auto output = run.com.GetObject(kSpreadsheetProgId);
  const auto source_quit = run.com_recording.IndexOf("app1.Quit");
  ASSERT_GE(source_quit, 0);
  EXPECT_EQ(output->Workbooks().Count(), 1);
  EXPECT_EQ(output->Workbooks().Item(1)->Sheets().Item(1)->Cells(2, 2).Text(), u"12");
  // Only the output instance is left.
  for (int wait = 0; wait < 100 && StandInProcesses() > 1; ++wait) Sleep(100);
  EXPECT_EQ(StandInProcesses(), 1);
}

TEST(Operations, ResultsThatLookLikeNumbersDatesOrFormulasStayText) {
  AutomationRun run;
  for (const bool new_sheet : {true, false}) {
    SCOPED_TRACE(new_sheet ? "new sheet" : "new workbook");
    auto source_app = run.com.CreateObject(kSpreadsheetProgId);
    auto source = source_app->Workbooks().Open(run.files_on_disk.Path(u"retyped_texts.xlsx"));
    std::shared_ptr<Application> output_app;
    std::shared_ptr<Workbook> output;
    if (!new_sheet) {
      output_app = run.com.CreateObject(kSpreadsheetProgId);
      output = output_app->Workbooks().Add();
      run.NewWorkbookMode();
    }
    ExcelExtract::ExtractAfterPosition(run.form, source.get(), 1, output.get());
    auto sheet = (new_sheet ? source : output)->Sheets().Item(1);
    EXPECT_EQ(sheet->Cells(1, 1).Text(), u"007");
    EXPECT_EQ(sheet->Cells(1, 2).Text(), u"1-2");
    EXPECT_EQ(sheet->Cells(1, 3).Text(), u"=A1");
    EXPECT_EQ(sheet->Cells(2, 1).Text(), u"ID00123");
    // The same texts written without the text format come back changed: the check can fail.
    sheet->Cells(5, 1).SetValue(u"007");
    sheet->Cells(5, 2).SetValue(u"1-2");
    sheet->Cells(5, 3).SetValue(u"=A1");
    EXPECT_EQ(sheet->Cells(5, 1).Text(), u"7");
    EXPECT_EQ(sheet->Cells(5, 2).Text(), u"2-Jan");
    EXPECT_EQ(sheet->Cells(5, 3).Text(), u"007");
    source_app->Quit();
    if (output_app) output_app->Quit();
  }
}

// Content at A1 and XFD1048576 only: 17 billion positions, found with a few block reads and
// counts; the results are those of a visit of every position (A1 and XFD1048576 only).
TEST(Operations, ASheetUsingTheFirstAndLastCellFinishesInMoments) {
  AutomationRun run;
  auto app = run.com.CreateObject(kSpreadsheetProgId);
  auto source = app->Workbooks().Open(run.files_on_disk.Path(u"sparse_corners.xlsx"));
  StandInCalls(*app);
  const auto start = std::chrono::steady_clock::now();
  ExcelExtract::ExtractAlphabet(run.form, source.get(), nullptr);
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
  const auto calls = Lines(StandInCalls(*app));
  int texts = 0;
  for (const auto& call : calls) texts += call.ends_with(u".Text") ? 1 : 0;
  EXPECT_EQ(texts, 2) << "one Text read per cell with content";
  EXPECT_LT(calls.size(), 400u);
  EXPECT_LT(seconds.count(), 30.0);
  auto result = source->Sheets().Item(1);
  EXPECT_EQ(result->Name(), u"Sheet1");
  EXPECT_EQ(result->Cells(1, 1).Text(), u"topleft");
  EXPECT_EQ(result->Cells(1048576, 16384).Text(), u"bottomright");
  EXPECT_EQ(result->UsedRangeEnd(), (CellPosition{1048576, 16384}));
  app->Quit();
}

}  // namespace
}  // namespace brintova::com::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new brintova::com::testing::ApartmentEnvironment);
  return RUN_ALL_TESTS();
}
