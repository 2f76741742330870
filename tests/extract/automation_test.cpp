// Opening a listed workbook in a fresh instance, detecting a running instance, and the warning.
#include "extract/automation.h"

#include <gtest/gtest.h>

#include "fakes/fake_dialogs.h"
#include "fakes/fake_server.h"
#include "fakes/recording_server.h"
#include "platform/text.h"

namespace brintova::ExcelExtract {
namespace {

using testing::FakeServer;
using testing::RecordingServer;
using testing::ScriptedDialogs;
using testing::Worksheet;

TEST(OpenWorkbookInNewExcel, OpensOnlyExactXltPathsByNameAndEditable) {
  struct Case {
    std::u16string path;
    std::string expected_open;
  };
  const Case cases[] = {
      {u"C:\\Data\\Plan.xlt", "app1.Workbooks.Open fileName=C:\\Data\\Plan.xlt Editable=true"},
      {u"C:\\Data\\PLAN.XLT", "app1.Workbooks.Open C:\\Data\\PLAN.XLT"},
      {u"C:\\Data\\Plan.xltx", "app1.Workbooks.Open C:\\Data\\Plan.xltx"},
      {u"C:\\Data\\Plan.xls", "app1.Workbooks.Open C:\\Data\\Plan.xls"},
      {u"xlt", "app1.Workbooks.Open fileName=xlt Editable=true"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.path));
    FakeServer server;
    server.AddFile(c.path, {Worksheet(u"Sheet1", {{"A1", u"x"}})});
    RecordingServer recording(server);
    const auto application = OpenWorkbookInNewExcel(recording, c.path);
    EXPECT_EQ(recording.log, (std::vector<std::string>{"CreateObject Excel.Application -> app1",
                                                       c.expected_open}));
    ASSERT_EQ(server.instances().size(), 1u);
    EXPECT_FALSE(server.instance(1).visible()) << "the instance stays invisible";
    EXPECT_EQ(application->Workbooks().Count(), 1);
  }
}

TEST(OpenWorkbookInNewExcel, StartsANewInstanceOnEveryCall) {
  FakeServer server;
  server.AddFile(u"/d/a.xlsx", {Worksheet(u"Sheet1")});
  const auto first = OpenWorkbookInNewExcel(server, u"/d/a.xlsx");
  const auto second = OpenWorkbookInNewExcel(server, u"/d/a.xlsx");
  EXPECT_NE(first.get(), second.get());
  EXPECT_EQ(server.instances().size(), 2u);
}

TEST(OpenWorkbookInNewExcel, PassesFailuresOn) {
  FakeServer server;
  try {
    OpenWorkbookInNewExcel(server, u"/d/missing.xlsx");
    ADD_FAILURE() << "a missing file must fail";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.description(), u"File not found: /d/missing.xlsx");
  }
  try {
    OpenWorkbookInNewExcel(server, u"ab");
    ADD_FAILURE() << "a path shorter than three characters must fail";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.number(), kFailureInvalidArgument);
  }
  server.FailOn("CreateObject", Failure(u"ActiveX component can't create object", 429));
  EXPECT_THROW(OpenWorkbookInNewExcel(server, u"/d/missing.xlsx"), Failure);
}

TEST(IsExcelRunning, AnswersTrueOnlyForAVisibleInstanceStillOpen) {
  FakeServer server;
  EXPECT_FALSE(IsExcelRunning(server));
  server.CreateObject(u"Excel.Application");  // invisible: not the active object
  EXPECT_FALSE(IsExcelRunning(server));
  auto& user = server.StartUserInstance();
  EXPECT_TRUE(IsExcelRunning(server));
  user.Quit();
  EXPECT_FALSE(IsExcelRunning(server));
}

TEST(IsExcelRunning, SwallowsEveryFailure) {
  FakeServer server;
  server.StartUserInstance();
  server.FailOn("Application.Value", Failure(u"The RPC server is unavailable."), 0, 1);
  EXPECT_FALSE(IsExcelRunning(server));
  server.FailOn("GetObject", Failure(u"Automation error"), 0, 1);
  EXPECT_FALSE(IsExcelRunning(server));
  EXPECT_TRUE(IsExcelRunning(server));
}

TEST(ExcelOpenWarning, AsksOnlyWhenExcelRunsAndStopsOnNo) {
  FakeServer server;
  ScriptedDialogs dialogs;
  EXPECT_FALSE(ExcelOpenWarning(server, dialogs));
  EXPECT_TRUE(dialogs.boxes.empty());

  server.StartUserInstance();
  dialogs.yes_no_answers = {MessageResult::kNo, MessageResult::kYes};
  EXPECT_TRUE(ExcelOpenWarning(server, dialogs));
  EXPECT_FALSE(ExcelOpenWarning(server, dialogs));
  ASSERT_EQ(dialogs.boxes.size(), 2u);
  const auto& box = dialogs.boxes[0];
  EXPECT_EQ(box.text,
            u"Excel may be open. It is recommended that you close Excel first.\r"
            u"Use Ctrl+Alt+Del > Task Manager > EXCEL.EXE if necessary.\r\n\r\n"
            u"Would you like to proceed anyway?");
  EXPECT_EQ(box.buttons, MessageButtons::kYesNo);
  EXPECT_EQ(box.icon, MessageIcon::kNone);
  EXPECT_EQ(box.title, u"Brintova");
}

}  // namespace
}  // namespace brintova::ExcelExtract
