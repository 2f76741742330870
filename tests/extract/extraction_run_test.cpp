// "Start Extracting" end to end on the fake server: the order of its server calls in each
// mode, the prompts and answers, the resume rule with its line numbers, progress and pointer.
#include "extract/extraction_run.h"

#include <gtest/gtest.h>

#include "app/error_report.h"
#include "extract/run_fixture.h"
#include "platform/text.h"

namespace brintova {
namespace {

using testing::FakeWorkbook;
using testing::RunFixture;
using testing::Worksheet;

constexpr int kFirstChars = 7;
constexpr int kLastChars = 8;
constexpr int kAfterPosition = 9;

struct ExtractionRun : RunFixture {
  // Workbooks /in/1.xlsx, /in/2.xlsx, ... each with "ABCDEF" in B2 of sheet "Data".
  void ListWorkbooks(int count) {
    for (int i = 1; i <= count; ++i) {
      const std::u16string path = u"/in/" + DecimalText(i) + u".xlsx";
      server.AddFile(path, {Worksheet(u"Data", {{"B2", u"ABCDEF"}})});
      List({path});
    }
  }
  void Answer(std::vector<std::u16string> answers) {
    for (auto& a : answers) dialogs.input_answers.push_back(std::move(a));
  }
  // The workbook holding the results of listed workbook `n` (in the order processed), given
  // the instances the run created: one per workbook in new-sheet mode, two otherwise.
  FakeWorkbook& SourceBook(int instance) { return *server.instance(instance).workbooks()[0]; }
  bool DoneShown() const {
    return !dialogs.boxes.empty() && dialogs.boxes.back().text == u"Done." &&
           dialogs.boxes.back().buttons == MessageButtons::kOk &&
           dialogs.boxes.back().icon == MessageIcon::kNone &&
           dialogs.boxes.back().title == u"Brintova";
  }
};

TEST(RunFixture, ReadsTheLineNumbersOfErrorBoxes) {
  RunFixture fixture;
  ReportHandlerError(fixture.dialogs, u"x", kPushButton7Tag, 186);
  ReportHandlerError(fixture.dialogs, u"at line 5", kPushButton7Tag, 1000);
  fixture.dialogs.MessageBox(u"Done.", MessageButtons::kOk, MessageIcon::kNone, u"Brintova");
  EXPECT_EQ(fixture.ErrorLines(), (std::vector<int>{186, 1000}));
}

TEST(PushButton7Click, AnEmptyListDoesNothingAtAll) {
  ExtractionRun run;
  run.form.mouse_pointer = kPointerCustom;
  run.form.progress_bar.value = 40;
  PushButton7_Click(run.ports);
  EXPECT_TRUE(run.dialogs.boxes.empty());
  EXPECT_TRUE(run.recording.log.empty());
  EXPECT_EQ(run.form.mouse_pointer, kPointerCustom);
  EXPECT_EQ(run.form.progress_bar.value, 40);
}

TEST(PushButton7Click, NewSheetModeInsertsTheSheetThenShowsTheSourceInstance) {
  ExtractionRun run;
  run.ListWorkbooks(1);
  run.Choose(kLastChars);
  run.Answer({u"2"});
  PushButton7_Click(run.ports);

  EXPECT_EQ(run.recording.EntriesStartingWith("app"),
            (std::vector<std::string>{"app1.Workbooks.Open /in/1.xlsx", "app1.Workbooks.Count",
                                      "app1.Workbooks.Item 1", "app1.Visible=true"}));
  const int add = run.recording.IndexOf("1.xlsx.Sheets.Add before=Data");
  const int walk = run.recording.IndexOf("1.xlsx.Worksheets");
  const int format = run.recording.IndexOf("1.xlsx!Sheet1.Cells(2,2).NumberFormat=@");
  const int value = run.recording.IndexOf("1.xlsx!Sheet1.Cells(2,2).Value=EF");
  const int shown = run.recording.IndexOf("app1.Visible=true");
  EXPECT_EQ(run.recording.log[0], "GetObject Excel.Application");  // the running-Excel test
  EXPECT_GT(add, 0);
  EXPECT_LT(add, walk);
  EXPECT_EQ(format + 1, value) << "the text format is set just before the value";
  EXPECT_LT(value, shown);
  EXPECT_EQ(shown, static_cast<int>(run.recording.log.size()) - 1);
  EXPECT_EQ(run.recording.EntriesStartingWith("CreateObject").size(), 1u);

  ASSERT_EQ(run.dialogs.input_boxes.size(), 1u);
  EXPECT_EQ(run.dialogs.input_boxes[0].prompt, u"Enter number of last characters: ");
  EXPECT_EQ(run.dialogs.input_boxes[0].title, u"Brintova");
  EXPECT_EQ(run.dialogs.input_boxes[0].default_text, u"");
  EXPECT_TRUE(run.ErrorBoxes().empty());
  EXPECT_TRUE(run.DoneShown());
  EXPECT_EQ(run.form.log,
            (std::vector<std::string>{"Form.SetMousePointer 11", "Form.SetMousePointer 11",
                                      "Form.SetMousePointer 11", "Form.SetMousePointer 0"}));
  EXPECT_EQ(run.form.progress_bar.history, (std::vector<std::int32_t>{100, 0}));
  EXPECT_EQ(run.SourceBook(1).sheet(u"Sheet1").stored("B2"), u"EF");
  EXPECT_TRUE(run.server.instance(1).visible());
}

TEST(PushButton7Click, NewWorkbookModeShowsTheOutputInstanceThenQuitsTheSource) {
  ExtractionRun run;
  run.NewWorkbookMode();
  run.ListWorkbooks(1);
  run.Choose(kFirstChars);
  run.Answer({u"2"});
  PushButton7_Click(run.ports);

  EXPECT_EQ(run.recording.EntriesStartingWith("app"),
            (std::vector<std::string>{"app1.Workbooks.Open /in/1.xlsx", "app1.Workbooks.Count",
                                      "app1.Workbooks.Item 1", "app2.Workbooks.Add",
                                      "app2.Visible=true", "app1.Quit"}));
  const auto& log = run.recording.log;
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], "app2.Visible=true");
  EXPECT_EQ(log.back(), "app1.Quit");
  EXPECT_EQ(run.recording.IndexOf("1.xlsx.Sheets.Add before=Data"), -1);
  EXPECT_LT(run.recording.IndexOf("app2.Workbooks.Add"),
            run.recording.IndexOf("1.xlsx.Worksheets"));
  EXPECT_NE(run.recording.IndexOf("Book1!Sheet1.Cells(2,2).Value=AB"), -1);

  EXPECT_TRUE(run.server.instance(1).quit());
  EXPECT_TRUE(run.server.instance(2).visible());
  EXPECT_EQ(run.server.instance(2).workbooks()[0]->sheet(u"Sheet1").stored("B2"), u"AB");
  EXPECT_EQ(run.SourceBook(1).sheets().size(), 1u);
  EXPECT_TRUE(run.DoneShown());
}

TEST(PushButton7Click, EachWorkbookTakesItsOwnAnswer) {
  for (const bool new_sheet : {true, false}) {
    SCOPED_TRACE(new_sheet ? "new sheet" : "new workbook");
    ExtractionRun run;
    if (!new_sheet) run.NewWorkbookMode();
    run.ListWorkbooks(3);
    run.Choose(kFirstChars);
    run.Answer({u"3", u"abc", u"2"});
    PushButton7_Click(run.ports);

    EXPECT_EQ(run.dialogs.input_boxes.size(), 3u);
    EXPECT_TRUE(run.ErrorBoxes().empty());
    const int per_book = new_sheet ? 1 : 2;
    auto result = [&](int book) -> std::optional<std::u16string> {
      FakeWorkbook& shown =
          new_sheet ? run.SourceBook(book) : *run.server.instance(2 * book).workbooks()[0];
      if (shown.sheets()[0]->name() != u"Sheet1") return std::nullopt;
      return shown.sheets()[0]->stored("B2");
    };
    ASSERT_EQ(run.server.instances().size(), 3u * per_book);
    EXPECT_EQ(result(1), u"ABC");
    EXPECT_EQ(result(2), std::nullopt) << "no answer, no result";
    EXPECT_EQ(result(3), u"AB");
    if (new_sheet) {
      EXPECT_EQ(run.SourceBook(2).sheets().size(), 1u) << "shown unchanged";
    }
    for (int i = 1; i <= 3; ++i) {
      EXPECT_TRUE(run.server.instance(i * per_book).visible()) << "workbook " << i;
    }
  }
}

TEST(PushButton7Click, CancelAndNoChoiceOpenAndShowEveryWorkbookUnchanged) {
  struct Case {
    const char* what;
    int operation;
    std::size_t prompts;
  };
  for (const Case c : {Case{"cancel in the input box", 4, 2}, Case{"no operation", -1, 0},
                       Case{"an index beyond the list", 11, 0}}) {
    SCOPED_TRACE(c.what);
    ExtractionRun run;
    run.ListWorkbooks(2);
    run.Choose(c.operation);
    PushButton7_Click(run.ports);  // no answers scripted: every input box is cancelled
    EXPECT_EQ(run.dialogs.input_boxes.size(), c.prompts);
    EXPECT_TRUE(run.ErrorBoxes().empty());
    EXPECT_EQ(run.server.calls("Sheets.Add"), 0);
    EXPECT_TRUE(run.server.instance(1).visible());
    EXPECT_TRUE(run.server.instance(2).visible());
    EXPECT_TRUE(run.DoneShown());
  }
}

TEST(PushButton7Click, PromptsNameTheirParameter) {
  const std::pair<int, std::u16string> cases[] = {
      {4, u"Enter text or characters to extract: "},  {5, u"Enter text or characters to extract: "},
      {6, u"Enter text or characters to extract: "},  {7, u"Enter number of first characters: "},
      {8, u"Enter number of last characters: "},      {9, u"Enter numeric position of character: "},
      {10, u"Enter numeric position of character: "},
  };
  for (const auto& [operation, prompt] : cases) {
    ExtractionRun run;
    run.ListWorkbooks(1);
    run.Choose(operation);
    PushButton7_Click(run.ports);
    ASSERT_EQ(run.dialogs.input_boxes.size(), 1u) << operation;
    EXPECT_EQ(run.dialogs.input_boxes[0].prompt, prompt) << operation;
  }
}

// Every operation through the run, so the dispatch table's entries are the right ones.
TEST(PushButton7Click, DispatchesEveryIndexToItsOperation) {
  const struct {
    int operation;
    std::u16string answer;
    std::optional<std::u16string> result;
  } cases[] = {
      {0, u"", u"ABCDEF"}, {1, u"", u""},     {2, u"", u"ABCDEF"},   {3, u"", u""},
      {4, u"CA", u"AC"},   {5, u"CD", u"EF"}, {6, u"CD", u"AB"},     {7, u"2", u"AB"},
      {8, u"2", u"EF"},    {9, u"6", u"F"},   {10, u"6", u"ABCDEF"},
  };
  for (const auto& c : cases) {
    ExtractionRun run;
    run.ListWorkbooks(1);
    run.Choose(c.operation);
    if (!c.answer.empty()) run.Answer({c.answer});
    PushButton7_Click(run.ports);
    EXPECT_TRUE(run.ErrorBoxes().empty()) << c.operation;
    EXPECT_EQ(run.SourceBook(1).sheets()[0]->stored("B2"), c.result) << c.operation;
  }
}

TEST(PushButton7Click, NumbersRoundHalvesToEvenAndPositiveFractionsBecomeZero) {
  const struct {
    int operation;
    std::u16string answer;
    std::optional<std::u16string> result;  // B2 of the inserted sheet
    std::vector<int> error_lines;
  } cases[] = {
      {kLastChars, u"2.5", u"EF", {}},
      {kLastChars, u"3.5", u"CDEF", {}},
      {kFirstChars, u"0.4", u"", {}},  // passes the test, arrives as 0
      {kFirstChars, u"0", std::nullopt, {}},
      {kFirstChars, u"-3", std::nullopt, {}},
      {kFirstChars, u" 2", u"AB", {}},
      {kFirstChars, u"5abc", std::nullopt, {170}},
      {kLastChars, u"40000", std::nullopt, {178}},
      {kAfterPosition, u"0.4", std::nullopt, {186}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.answer));
    ExtractionRun run;
    run.ListWorkbooks(1);
    run.Choose(c.operation);
    run.Answer({c.answer});
    PushButton7_Click(run.ports);
    EXPECT_EQ(run.ErrorLines(), c.error_lines);
    const auto& sheets = run.SourceBook(1).sheets();
    const bool inserted = sheets[0]->name() == u"Sheet1";
    EXPECT_EQ(inserted ? sheets[0]->stored("B2") : std::nullopt, c.result);
    EXPECT_TRUE(run.server.instance(1).visible()) << "the run goes on to show the workbook";
    EXPECT_TRUE(run.DoneShown());
  }
}

TEST(PushButton7Click, ProgressShowsTheShareStartedThenZero) {
  ExtractionRun run;
  run.ListWorkbooks(4);
  run.Choose(-1);
  PushButton7_Click(run.ports);
  EXPECT_EQ(run.form.progress_bar.history, (std::vector<std::int32_t>{25, 50, 75, 100, 0}));

  ExtractionRun thirds;
  thirds.ListWorkbooks(3);
  thirds.Choose(-1);
  PushButton7_Click(thirds.ports);
  EXPECT_EQ(thirds.form.progress_bar.history, (std::vector<std::int32_t>{33, 66, 100, 0}));
}

TEST(PushButton7Click, ARunningExcelIsWarnedAboutOnceAndNoEndsTheRun) {
  ExtractionRun no;
  no.ListWorkbooks(2);
  no.server.StartUserInstance();
  no.dialogs.yes_no_answers = {MessageResult::kNo};
  no.form.progress_bar.value = 7;
  PushButton7_Click(no.ports);
  ASSERT_EQ(no.dialogs.boxes.size(), 1u);
  EXPECT_EQ(no.dialogs.boxes[0].buttons, MessageButtons::kYesNo);
  EXPECT_EQ(no.server.instances().size(), 1u) << "only the user's own instance";
  EXPECT_EQ(no.form.progress_bar.value, 7);
  EXPECT_TRUE(no.form.log.empty());

  ExtractionRun yes;
  yes.ListWorkbooks(2);
  yes.server.StartUserInstance();
  yes.dialogs.yes_no_answers = {MessageResult::kYes};
  yes.Choose(0);
  PushButton7_Click(yes.ports);
  EXPECT_EQ(yes.dialogs.boxes.size(), 2u);  // the warning and "Done."
  EXPECT_TRUE(yes.DoneShown());
  EXPECT_EQ(yes.server.instances().size(), 3u);
  EXPECT_EQ(yes.server.instance(2).workbooks()[0]->sheet(u"Sheet1").stored("B2"), u"ABCDEF");
}

TEST(PushButton7Click, AWorkbookThatDoesNotOpenIsReportedAndSkipped) {
  for (const bool new_sheet : {true, false}) {
    SCOPED_TRACE(new_sheet ? "new sheet" : "new workbook");
    ExtractionRun run;
    if (!new_sheet) run.NewWorkbookMode();
    run.ListWorkbooks(1);
    run.List({u"/in/missing.xlsx"});
    run.server.AddFile(u"/in/3.xlsx", {Worksheet(u"Data", {{"B2", u"ABCDEF"}})});
    run.List({u"/in/3.xlsx"});
    run.Choose(kFirstChars);
    run.Answer({u"1", u"2"});
    PushButton7_Click(run.ports);

    ASSERT_EQ(run.ErrorBoxes().size(), 1u);
    EXPECT_EQ(run.ErrorBoxes()[0],
              HandlerErrorMessage(u"File not found: /in/missing.xlsx", kPushButton7Tag, 110));
    EXPECT_EQ(run.dialogs.input_boxes.size(), 2u) << "no prompt for the failed workbook";
    // The first workbook's objects are not touched again: one sheet inserted, shown once.
    const int per_book = new_sheet ? 1 : 2;
    FakeWorkbook& first = run.SourceBook(1);
    EXPECT_EQ(first.sheets().size(), new_sheet ? 2u : 1u);
    EXPECT_EQ(run.recording.EntriesStartingWith("app1.Visible").size(), new_sheet ? 1u : 0u);
    EXPECT_EQ(run.recording.EntriesStartingWith("app1.Quit").size(), new_sheet ? 0u : 1u);
    // The failed open left an instance without a workbook; the third workbook got its own.
    const int third = 1 + per_book + 1;
    ASSERT_EQ(run.server.instances().size(), static_cast<std::size_t>(third + per_book - 1));
    EXPECT_TRUE(run.server.instance(per_book + 1).workbooks().empty());
    FakeWorkbook& third_result =
        new_sheet ? run.SourceBook(third) : *run.server.instance(third + 1).workbooks()[0];
    EXPECT_EQ(third_result.sheet(u"Sheet1").stored("B2"), u"AB");
    EXPECT_EQ(run.form.progress_bar.history, (std::vector<std::int32_t>{33, 66, 100, 0}));
    EXPECT_TRUE(run.DoneShown());
  }
}

TEST(PushButton7Click, WithoutExcelEveryWorkbookFailsToOpenAndTheRunStillEnds) {
  ExtractionRun run;
  run.ListWorkbooks(3);
  run.Choose(4);
  run.server.FailOn("CreateObject", Failure(u"ActiveX component can't create object", 429));
  PushButton7_Click(run.ports);
  EXPECT_EQ(run.ErrorLines(), (std::vector<int>{110, 110, 110}));
  EXPECT_TRUE(run.dialogs.input_boxes.empty());
  EXPECT_TRUE(run.DoneShown());
  EXPECT_EQ(run.form.mouse_pointer, kPointerDefault);
}

// A failing step is reported with its own line and the run goes on with the next step.
TEST(PushButton7Click, FailuresAreReportedAtTheirStepsLine) {
  const struct {
    const char* call;
    int skip;
    bool new_sheet;
    std::vector<int> lines;
  } cases[] = {
      // No source workbook: the operation then fails at its call.
      {"Workbooks.Count", 0, true, {114, 126}},
      {"Workbooks.Add", 0, false, {122, 126}},
      // The output instance cannot start: its workbook, the operation's writes and showing it
      // fail in turn; the source instance still quits.
      {"CreateObject", 1, false, {120, 122, 126, 202}},
      {"Application.SetVisible", 0, true, {198}},
      {"Application.SetVisible", 0, false, {202}},
      {"Application.Quit", 0, false, {204}},
      {"Sheets.Add", 0, true, {126}},
      {"Sheet.CellText", 0, true, {126}},
      {"Sheet.SetCellValue", 0, false, {126}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.call) + (c.new_sheet ? ", new sheet" : ", new workbook"));
    ExtractionRun run;
    if (!c.new_sheet) run.NewWorkbookMode();
    run.ListWorkbooks(1);
    run.Choose(0);
    run.server.FailOn(c.call, Failure(u"Automation error"), c.skip);
    PushButton7_Click(run.ports);
    EXPECT_EQ(run.ErrorLines(), c.lines);
    EXPECT_TRUE(run.DoneShown());
    if (!c.new_sheet && std::string(c.call) != "Application.Quit") {
      EXPECT_TRUE(run.server.instance(1).quit());
    }
  }
}

TEST(PushButton7Click, ReportsEveryFailureOfARunInOrder) {
  ExtractionRun run;
  run.ListWorkbooks(3);
  run.Choose(kAfterPosition);
  run.Answer({u"0.4", u"2", u"5abc"});
  PushButton7_Click(run.ports);
  ASSERT_EQ(run.ErrorLines(), (std::vector<int>{186, 186}));
  EXPECT_EQ(run.ErrorBoxes()[0],
            HandlerErrorMessage(u"Invalid procedure call or argument", kPushButton7Tag, 186));
  EXPECT_EQ(run.SourceBook(2).sheet(u"Sheet1").stored("B2"), u"BCDEF");
  EXPECT_EQ(run.dialogs.boxes.size(), 3u);  // two error boxes and "Done."
}

TEST(PushButton7Click, RunsAListLongerThan32767Rows) {
  ExtractionRun run;
  run.server.AddFile(u"/in/a.xlsx", {Worksheet(u"Data")});
  run.form.list_view.rows.assign(32770, u"/in/a.xlsx");
  run.Choose(-1);
  run.recording.log_reads = false;
  PushButton7_Click(run.ports);
  EXPECT_TRUE(run.ErrorBoxes().empty());
  EXPECT_EQ(run.server.instances().size(), 32770u);
  EXPECT_TRUE(run.server.instance(32770).visible());
  const auto& history = run.form.progress_bar.history;
  ASSERT_EQ(history.size(), 32771u);
  EXPECT_EQ(history[32767], 99);
  EXPECT_EQ(history[32768], 99);
  EXPECT_EQ(history[32769], 100);
  EXPECT_EQ(history.back(), 0);
  EXPECT_TRUE(run.DoneShown());
}

}  // namespace
}  // namespace brintova
