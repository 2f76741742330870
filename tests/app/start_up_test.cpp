#include "app/start_up.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/error_report.h"
#include "app/operation_setting.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_server.h"
#include "fakes/fake_settings.h"
#include "fakes/fake_window.h"
#include "fakes/present_files.h"
#include "platform/text.h"

namespace brintova {
namespace {

using testing::CallLog;

class StartUp : public ::testing::Test {
 protected:
  StartUp() {
    form.combo.on_click = [this] { Combo1_Click(ports); };
  }

  void StoreOperation(std::u16string value) {
    settings.values[{u"Korvane", u"Brintova", u"Combo1"}] = std::move(value);
  }
  std::u16string StoredOperation() {
    return settings.values.at({u"Korvane", u"Brintova", u"Combo1"});
  }
  // The lines of every "Application Error" box shown, in order.
  std::vector<std::u16string> ErrorBoxes() {
    std::vector<std::u16string> texts;
    for (const auto& box : dialogs.boxes) {
      if (box.title == u"Application Error") texts.push_back(box.text);
    }
    return texts;
  }

  testing::FakeForm form;
  testing::ScriptedDialogs dialogs;
  testing::MemorySettings settings;
  testing::PresentFiles files;
  testing::RecordingShell shell;
  testing::FakeServer server;
  Ports ports{form, dialogs, settings, files, shell, server};
};

std::vector<std::string> Captions() {
  std::vector<std::string> lines;
  for (const auto caption : kOperationCaptions)
    lines.push_back("Combo1.AddItem " + ToUtf8(caption));
  return lines;
}

TEST_F(StartUp, FirstStartRunsEveryStepInOrderAndSavesZero) {
  Form_Load(ports);

  CallLog expected = {"Form.SetLeft 10335",
                      "Form.SetTop 5047",
                      "Form.SetCaption Brintova",
                      "Form.SetApplicationIcon",
                      "ListView1.AddColumnHeader Excel File(s)",
                      "ListView1.SetColumnHeaderWidth 7000"};
  for (const auto& line : Captions()) expected.push_back(line);
  expected.push_back("Combo1.SetListIndex 0");
  EXPECT_EQ(form.log, expected);
  EXPECT_EQ(form.combo.entries.size(), 11u);
  EXPECT_EQ(form.combo.entries.back(), u"Extract All Characters Before x Numeric Position");
  EXPECT_EQ(StoredOperation(), u"0");
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_EQ(server.calls("CreateObject"), 1);
  // Both optional files were looked for beside the program.
  EXPECT_EQ(files.asked,
            (std::vector<std::u16string>{u"/opt/brintova/x/o.cjs", u"/opt/brintova/HAND-M.CUR"}));
}

TEST_F(StartUp, SkinAndCursorBesideTheProgramAreApplied) {
  files.paths = {u"/opt/brintova/x/o.cjs", u"/opt/brintova/HAND-M.CUR"};
  form.skin.property1 = 6;
  Form_Load(ports);

  const CallLog skin_and_cursor(form.log.begin() + 2, form.log.begin() + 10);
  EXPECT_EQ(skin_and_cursor,
            (CallLog{"Form.SetBackColor 2147483663", "Skin.Method2 /opt/brintova/x/o.cjs|",
                     "Skin.Property1", "Skin.SetProperty1 7", "Skin.SetProperty5 true",
                     "Skin.SetProperty10 true", "Skin.Method3 4242",
                     "Form.LoadMouseIcon /opt/brintova/HAND-M.CUR"}));
  for (const auto* name : {u"Frame1", u"Frame2", u"Option1", u"Option2"}) {
    EXPECT_EQ(form.control(name).back_colour, kColourButtonFace) << ToUtf8(name);
  }
  for (const auto* name : {u"ListView1", u"Combo1"}) {
    EXPECT_EQ(form.control(name).back_colour, kColourWhite) << ToUtf8(name);
  }
}

TEST_F(StartUp, WithoutSkinTheColoursStayWhiteAndNoSkinCallIsMade) {
  Form_Load(ports);
  EXPECT_EQ(form.back_colour, kColourWhite);
  for (const auto& line : form.log) EXPECT_NE(line.rfind("Skin.", 0), 0u) << line;
  EXPECT_TRUE(form.mouse_icon.empty());
}

TEST_F(StartUp, AFailureWhileCentringStillRunsEveryLaterStep) {
  form.fail_center = Failure(u"Invalid procedure call or argument", 5);
  files.paths = {u"/opt/brintova/HAND-M.CUR"};
  StoreOperation(u"8");
  Form_Load(ports);

  ASSERT_EQ(ErrorBoxes().size(), 1u);
  EXPECT_EQ(ErrorBoxes()[0],
            HandlerErrorMessage(u"Invalid procedure call or argument", kFormLoadTag, 100));
  EXPECT_EQ(form.mouse_icon, u"/opt/brintova/HAND-M.CUR");
  EXPECT_EQ(form.caption, u"Brintova");
  EXPECT_EQ(form.list_view.headers, std::vector<std::u16string>{u"Excel File(s)"});
  EXPECT_EQ(form.combo.entries.size(), 11u);
  EXPECT_EQ(form.combo.list_index, 8);
  EXPECT_EQ(server.calls("CreateObject"), 1);
}

TEST_F(StartUp, ACursorFileThatIsNoCursorIsReportedAtLine106) {
  files.paths = {u"/opt/brintova/HAND-M.CUR"};
  form.fail_mouse_icon = Failure(u"\"/opt/brintova/HAND-M.CUR\" is not a cursor file");
  Form_Load(ports);
  ASSERT_EQ(ErrorBoxes().size(), 1u);
  EXPECT_NE(ErrorBoxes()[0].find(u"not a cursor file\r\n"), std::u16string::npos);
  EXPECT_NE(ErrorBoxes()[0].find(u"at line 106\r\r"), std::u16string::npos);
  EXPECT_EQ(form.caption, u"Brintova");
  EXPECT_EQ(form.combo.list_index, 0);
}

TEST_F(StartUp, ABadSkinIsReportedAtLine102AndTheRestOfTheSkinIsSkipped) {
  files.paths = {u"/opt/brintova/x/o.cjs", u"/opt/brintova/HAND-M.CUR"};
  form.skin.fail_method2 = Failure(u"o.cjs is not a valid style sheet");
  Form_Load(ports);
  ASSERT_EQ(ErrorBoxes().size(), 1u);
  EXPECT_NE(ErrorBoxes()[0].find(u"at line 102\r\r"), std::u16string::npos);
  for (const auto& line : form.log) {
    EXPECT_EQ(line.find("Skin.SetProperty"), std::string::npos) << line;
    EXPECT_EQ(line.find("Skin.Method3"), std::string::npos) << line;
  }
  EXPECT_EQ(form.mouse_icon, u"/opt/brintova/HAND-M.CUR");  // start-up went on at 104
}

struct StoredCase {
  std::u16string stored;
  std::int32_t selected;  // -1: no selection
  bool reported;          // a box at line 154
};

TEST_F(StartUp, RestoresTheSavedOperation) {
  const StoredCase cases[] = {
      {u"8", 8, false},     {u"10", 10, false},   {u"-1", -1, false},   {u"2.5", 2, false},
      {u"3.5", 4, false},   {u"-0.5", 0, false},  {u" 7 ", 7, false},   {u"abc", -1, true},
      {u"", -1, true},      {u"5abc", -1, true},  {u"11", -1, true},    {u"-2", -1, true},
      {u"10.5", 10, false}, {u"10.51", -1, true}, {u"40000", -1, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("stored \"" + ToUtf8(c.stored) + "\"");
    testing::FakeForm fresh;
    testing::ScriptedDialogs boxes;
    testing::MemorySettings store;
    store.values[{u"Korvane", u"Brintova", u"Combo1"}] = c.stored;
    Ports p{fresh, boxes, store, files, shell, server};
    fresh.combo.on_click = [&p] { Combo1_Click(p); };
    Form_Load(p);

    EXPECT_EQ(fresh.combo.list_index, c.selected);
    ASSERT_EQ(boxes.boxes.size(), c.reported ? 1u : 0u);
    const std::u16string stored_after = store.values.at({u"Korvane", u"Brintova", u"Combo1"});
    if (c.reported) {
      EXPECT_EQ(boxes.boxes[0].text,
                HandlerErrorMessage(u"The saved operation \"" + c.stored +
                                        u"\" is not a number from -1 to 10; pick an operation "
                                        u"in the list to replace it",
                                    kFormLoadTag, 154));
      EXPECT_EQ(stored_after, c.stored);  // kept until the user picks an entry
    } else {
      EXPECT_EQ(stored_after, DecimalText(c.selected));  // written back by the click
    }
  }
}

TEST_F(StartUp, AnUnreadableSettingsStoreIsReportedAtLine154AndStartUpGoesOn) {
  settings.fail_reads = true;
  server.FailOn("CreateObject", Failure(u"ActiveX component can't create object", 429));
  Form_Load(ports);
  ASSERT_EQ(dialogs.boxes.size(), 2u);
  EXPECT_EQ(dialogs.boxes[0].text,
            HandlerErrorMessage(u"The settings file cannot be read", kFormLoadTag, 154));
  EXPECT_EQ(dialogs.boxes[1].text, kExcelMissingMessage);  // the check still ran
  EXPECT_EQ(form.combo.list_index, -1);
  EXPECT_EQ(settings.saves, 0);
}

TEST_F(StartUp, TellsWhenTheSpreadsheetServerCannotBeCreated) {
  server.FailOn("CreateObject", Failure(u"ActiveX component can't create object", 429));
  Form_Load(ports);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text,
            u"Excel is not installed on this computer. You need to have it installed to use "
            u"this software without error.");
  EXPECT_EQ(dialogs.boxes[0].buttons, MessageButtons::kOk);
  EXPECT_EQ(dialogs.boxes[0].icon, MessageIcon::kNone);
  EXPECT_EQ(dialogs.boxes[0].title, u"Brintova");
  // The box is start-up's last act: the window is shown after it.
  EXPECT_EQ(form.log.back(), "Combo1.SetListIndex 0");
}

TEST_F(StartUp, TheServerCheckReleasesTheInstanceUnshown) {
  CheckExcelInstalled(ports);
  ASSERT_EQ(server.instances().size(), 1u);
  EXPECT_EQ(server.calls("Application.SetVisible"), 0);
  EXPECT_EQ(server.calls("Application.Quit"), 0);
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST(FileExists, AnswersFalseOnAnyFailure) {
  testing::PresentFiles files;
  files.paths = {u"/a/b.xls"};
  EXPECT_TRUE(FileExists(files, u"/a/b.xls"));
  EXPECT_FALSE(FileExists(files, u"/a/c.xls"));
  EXPECT_FALSE(FileExists(files, u""));
}

}  // namespace
}  // namespace brintova
