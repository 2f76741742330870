// The window's events reaching the handlers the program wires: drops from the desktop, the
// list's keys and double-clicks, the push buttons, a pick in the drop-down, the option buttons,
// and a failure that escapes a handler.
#include <gtest/gtest.h>

#include <thread>

#include "platform/failure.h"
#include "platform/text.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file_queries.h"
#include "platform/win32/win32_shell.h"
#include "support/win32/desktop_driver.h"
#include "support/win32/scratch_folder.h"
#include "win32ui/layout.h"
#include "window_fixture.h"

namespace brintova::win32ui {
namespace {

using Rows = std::vector<std::u16string>;

class WindowEvents : public WindowTest {
 protected:
  void SetUp() override { Start(); }

  void Select(int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(Control(u"ListView1"), LVM_SETITEMSTATE, static_cast<WPARAM>(row - 1),
                 reinterpret_cast<LPARAM>(&item));
  }
  void Key(int key) {
    SendMessageW(Control(u"ListView1"), WM_KEYDOWN, static_cast<WPARAM>(key), 0);
    SendMessageW(Control(u"ListView1"), WM_KEYUP, static_cast<WPARAM>(key), 0);
  }
  void Fill(const Rows& rows) {
    for (const std::u16string& row : rows) desktop.window().ListView1().Add(row);
  }
};

TEST_F(WindowEvents, ADropAddsItsPathsInOrderFoldersWalked) {
  wintest::ScratchFolder scratch;
  scratch.File(u"Folder\\a.xls");
  scratch.File(u"Folder\\Sub\\b.txt");
  scratch.File(u"Folder\\~$lock.xls");
  scratch.Folder(u"Hidden", FILE_ATTRIBUTE_HIDDEN);
  const std::u16string german = scratch.File(u"\u00dcberweisung J\u00e4n.xlsx");
  const std::u16string chinese = scratch.File(u"\u62a5\u8868.xls");
  std::u16string deep_relative;
  for (int i = 0; i < 7; ++i) deep_relative += std::u16string(40, u'd') + u"\\";
  const std::u16string deep = scratch.File(deep_relative + u"deep.xls");
  ASSERT_GT(deep.size(), 260u);

  Fill({u"C:\\already.xls"});
  SendMessageW(Control(u"ListView1"), WM_DROPFILES,
               reinterpret_cast<WPARAM>(
                   MakeDrop({german, scratch.At(u"Folder"), chinese, scratch.At(u"Hidden"), deep})),
               0);
  const Rows expected = {u"C:\\already.xls",
                         german,
                         scratch.At(u"Folder\\a.xls"),
                         scratch.At(u"Folder\\Sub\\b.txt"),
                         chinese,
                         scratch.At(u"Hidden"),
                         deep};
  EXPECT_EQ(desktop.window().list_view().Count(), static_cast<std::int32_t>(expected.size()));
  EXPECT_EQ(ShownRows(), expected);
  EXPECT_TRUE(dialogs.boxes.size() == 1) << "only start-up's spreadsheet warning";
}

// The three buttons that fill the list, each through the system's own dialog where it has one.
TEST_F(WindowEvents, TheSamplesBesideTheProgramAreListed) {
  dialogs.yes_no_answers = {MessageResult::kNo};  // do not open the folder
  SendMessageW(Control(u"PushButton2"), BM_CLICK, 0, 0);
  const std::u16string samples = Win32Shell().ProgramFolder() + u"\\Samples";
  Rows expected;
  for (const std::u16string& name : Win32FileQueries().ListDirectory(samples, u"*.*", 6)) {
    expected.push_back(samples + u"\\" + name);
  }
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(ShownRows(), expected);
  EXPECT_EQ(dialogs.boxes.back().buttons, MessageButtons::kYesNo);
}

TEST_F(WindowEvents, AddExcelFilesListsWhatTheOpenFileDialogChose) {
  wintest::ScratchFolder scratch;
  scratch.File(u"Jan.xls");
  scratch.File(u"F\u00e4rg.xlsx");
  SetCurrentDirectoryW(win32::Wide(scratch.path()).c_str());
  wintest::BoxAnswerer user(std::u16string(u"Add File(s) - Hold Ctrl to select multiple files"),
                            [](HWND box) {
                              HWND name = GetDlgItem(box, 0x47C);  // the file-name field
                              if (name == nullptr) name = GetDlgItem(box, 0x480);
                              SetWindowTextW(name, L"\"Jan.xls\" \"F\u00e4rg.xlsx\"");
                              wintest::Click(box, IDOK);
                            });
  SendMessageW(Control(u"PushButton3"), BM_CLICK, 0, 0);
  user.Join();
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  SetCurrentDirectoryW(temp);
  EXPECT_TRUE(user.found());
  EXPECT_EQ(ShownRows(), (Rows{scratch.At(u"Jan.xls"), scratch.At(u"F\u00e4rg.xlsx")}));
}

TEST_F(WindowEvents, AddAllListsTheTreeOfTheFolderPickedInTheBrowser) {
  // Right below the drive: the browser selects deeper folders only after expanding the tree.
  const std::u16string folder =
      u"C:\\Brintova Add All " + DecimalText(static_cast<long long>(GetCurrentProcessId()));
  wintest::RemoveTree(folder);
  ASSERT_TRUE(CreateDirectoryW(win32::Wide(folder).c_str(), nullptr));
  for (const char16_t* name : {u"\\a.xls", u"\\b.xlsx", u"\\~$a.xls"}) {
    CloseHandle(CreateFileW(win32::Wide(folder + name).c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_NEW, 0, nullptr));
  }
  dialogs.input_answers = {u"xls"};
  std::thread user([&] {
    const HWND browser = wintest::WaitForFolderBrowser();
    if (browser == nullptr) return;
    SendMessageW(browser, BFFM_SETSELECTIONW, TRUE,
                 reinterpret_cast<LPARAM>(win32::Wide(folder).c_str()));
    wintest::Click(browser, IDOK);
  });
  SendMessageW(Control(u"PushButton6"), BM_CLICK, 0, 0);
  user.join();
  wintest::RemoveTree(folder);
  EXPECT_EQ(ShownRows(), (Rows{folder + u"\\a.xls"}));
  EXPECT_EQ(desktop.window().MousePointer(), kPointerDefault);
}

TEST_F(WindowEvents, TheDeleteKeyAndADoubleClickRemoveTheSelectedRowOnly) {
  Fill({u"C:\\1.xls", u"C:\\2.xls", u"C:\\3.xls", u"C:\\4.xls"});
  Key(VK_DELETE);  // nothing selected: nothing happens, nothing is said
  EXPECT_EQ(ShownRows().size(), 4u);
  Select(2);
  Key(VK_BACK);
  EXPECT_EQ(ShownRows().size(), 4u);
  Key(VK_DELETE);
  EXPECT_EQ(ShownRows(), (Rows{u"C:\\1.xls", u"C:\\3.xls", u"C:\\4.xls"}));

  Select(3);
  // A double-click on a row: the list tells the window, whose handler removes the selection.
  RECT row{};
  row.left = LVIR_BOUNDS;
  SendMessageW(Control(u"ListView1"), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
  const LPARAM at = MAKELPARAM(row.left + 5, (row.top + row.bottom) / 2);
  SendMessageW(Control(u"ListView1"), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageW(Control(u"ListView1"), WM_LBUTTONUP, 0, at);
  Pump();
  const Rows left = ShownRows();
  EXPECT_EQ(left.size(), 2u);
  EXPECT_EQ(dialogs.boxes.size(), 1u) << "removal says nothing";
}

TEST_F(WindowEvents, ClearListEmptiesTheList) {
  Fill({u"C:\\1.xls", u"C:\\2.xls"});
  SendMessageW(Control(u"PushButton1"), BM_CLICK, 0, 0);
  Pump();
  EXPECT_TRUE(ShownRows().empty());
  EXPECT_EQ(desktop.window().list_view().Count(), 0);
}

TEST_F(WindowEvents, PickingAnOperationRemembersItAtOnce) {
  ASSERT_EQ(StoredOperation(), u"0");
  SendMessageW(Control(u"Combo1"), WM_KEYDOWN, VK_DOWN, 0);
  SendMessageW(Control(u"Combo1"), WM_KEYUP, VK_DOWN, 0);
  Pump();
  EXPECT_EQ(desktop.window().Combo1().ListIndex(), 1);
  EXPECT_EQ(StoredOperation(), u"1");
  desktop.window().Combo1().SetListIndex(10);  // as start-up selects: the click runs too
  EXPECT_EQ(StoredOperation(), u"10");
  ForgetOperation();
}

TEST_F(WindowEvents, TheTwoOptionButtonsAreOneGroupAcrossTheFrames) {
  Win32MainWindow& window = desktop.window();
  SendMessageW(Control(u"Option2"), BM_CLICK, 0, 0);
  EXPECT_TRUE(window.Option2().Value());
  EXPECT_FALSE(window.Option1().Value());
  SendMessageW(Control(u"Option1"), BM_CLICK, 0, 0);
  EXPECT_TRUE(window.Option1().Value());
  EXPECT_FALSE(window.Option2().Value());
}

TEST_F(WindowEvents, AFailureEscapingAHandlerIsShownAndTheWindowGoesOn) {
  desktop.window().events().push_button2_click = [] {
    throw Failure(u"Die Datei \u00abJ\u00e4n\u00bb fehlt");
  };
  wintest::BoxAnswerer answerer(u"Brintova", [](HWND box) { wintest::Click(box, IDOK); });
  SendMessageW(Control(u"PushButton2"), BM_CLICK, 0, 0);
  answerer.Join();
  ASSERT_TRUE(answerer.found());
  EXPECT_EQ(answerer.text(), u"Die Datei \u00abJ\u00e4n\u00bb fehlt");
  EXPECT_TRUE(IsWindow(desktop.window().hwnd()));
}

TEST_F(WindowEvents, HoveringFollowsTheRulesAndLeavesTheHourglass) {
  Win32MainWindow& window = desktop.window();
  SendMessageW(Control(u"PushButton7"), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(window.MousePointer(), kPointerCustom);
  SendMessageW(Control(u"ListView1"), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(window.MousePointer(), kPointerDefault);
  SendMessageW(Control(u"PushButton3"), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  // The window's background inside a frame is the frame's.
  const PixelRect frame = ToPixels(PlacementOf(u"Frame2"), window.dots_per_inch());
  SendMessageW(window.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(frame.left + 2, frame.top + 10));
  EXPECT_EQ(window.MousePointer(), kPointerDefault);
  window.SetMousePointer(kPointerBusy);
  SendMessageW(Control(u"PushButton1"), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  SendMessageW(window.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(window.MousePointer(), kPointerBusy);
}

}  // namespace
}  // namespace brintova::win32ui
