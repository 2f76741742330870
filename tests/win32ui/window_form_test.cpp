// The window as the handlers reach it through the Form port: centring, the pointer states and
// the hand cursor file, the skin step's colours, the progress bar's range.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/start_up.h"
#include "fakes/fake_file_queries.h"
#include "platform/failure.h"
#include "platform/text.h"
#include "platform/win32/win32_file_queries.h"
#include "platform/win32/win32_shell.h"
#include "support/win32/scratch_folder.h"
#include "win32ui/layout.h"
#include "window_fixture.h"

namespace brintova::win32ui {
namespace {

std::u16string DescriptionOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const Failure& failure) {
    return failure.description();
  }
  return u"(no failure)";
}

class WindowForm : public WindowTest {};

TEST_F(WindowForm, StartUpCentresTheWindowOnTheScreen) {
  Start();
  RECT rect{};
  GetWindowRect(desktop.window().hwnd(), &rect);
  const int screen_width = GetSystemMetrics(SM_CXSCREEN);
  const int screen_height = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_NEAR(rect.left, (screen_width - (rect.right - rect.left)) / 2, 1);
  EXPECT_NEAR(rect.top, (screen_height - (rect.bottom - rect.top)) / 2, 1);
}

TEST_F(WindowForm, TheHandCursorShowsInPointerState99) {
  Win32MainWindow& window = desktop.window();
  window.SetMousePointer(kPointerCustom);  // no cursor loaded yet: the arrow
  SendMessageW(window.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window.hwnd()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));

  window.LoadMouseIcon(Win32Shell().ProgramFolder() + u"\\HAND-M.CUR");
  ASSERT_NE(window.custom_cursor(), nullptr);
  SendMessageW(window.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window.hwnd()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), window.custom_cursor());

  window.SetMousePointer(kPointerBusy);
  SendMessageW(window.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window.hwnd()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
}

TEST_F(WindowForm, CursorFilesThatCannotBeReadFailNamingTheFile) {
  wintest::ScratchFolder scratch;
  Win32MainWindow& window = desktop.window();
  const std::u16string missing = scratch.At(u"HAND-M.CUR");
  EXPECT_NE(DescriptionOf([&] { window.LoadMouseIcon(missing); }).find(missing),
            std::u16string::npos);
  const std::u16string text_file = scratch.File(u"not a cursor.cur");
  EXPECT_NE(DescriptionOf([&] { window.LoadMouseIcon(text_file); }).find(u"not a cursor"),
            std::u16string::npos);
  EXPECT_EQ(window.custom_cursor(), nullptr);
  EXPECT_NE(DescriptionOf([&] { window.SetMousePointer(16); }), u"(no failure)");
  EXPECT_EQ(window.MousePointer(), kPointerDefault);
}

TEST_F(WindowForm, TheSkinStepTurnsTheFramesAndOptionsToButtonFace) {
  Win32MainWindow& window = desktop.window();
  wintest::ScratchFolder program;
  Win32FileQueries files;
  testing::FakeShell shell;
  shell.program_folder = program.path();
  Ports ports{window, dialogs, desktop.ports().settings, files, shell, desktop.ports().server};

  ApplySkin(ports);  // no skin file: nothing changes
  EXPECT_EQ(window.BackColourOf(window.hwnd()), RGB(255, 255, 255));
  EXPECT_EQ(window.BackColourOf(Control(u"Frame1")), RGB(255, 255, 255));
  EXPECT_FALSE(window.skin_engine().applied());

  program.File(u"x\\o.cjs");
  ApplySkin(ports);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  for (const char16_t* name : {u"Frame1", u"Frame2", u"Option1", u"Option2"}) {
    EXPECT_EQ(window.BackColourOf(Control(name)), face) << ToUtf8(name);
  }
  EXPECT_EQ(window.BackColourOf(window.hwnd()), face);
  EXPECT_EQ(window.BackColourOf(Control(u"ListView1")), CLR_INVALID) << "left as it was";
  EXPECT_TRUE(window.skin_engine().applied());
}

TEST_F(WindowForm, ControlsComeInCreationOrderAndOnlyVisibleOnesHaveColours) {
  std::vector<std::u16string> names;
  for (brintova::Control* control : desktop.window().Controls()) names.push_back(control->Name());
  EXPECT_EQ(names, (std::vector<std::u16string>{
                       u"ListView1", u"Frame2", u"Combo1", u"CommonDialog1", u"Frame1", u"Option2",
                       u"Option1", u"ProgressBar1", u"PushButton3", u"PushButton6", u"PushButton7",
                       u"PushButton1", u"PushButton2", u"SkinFramework1"}));
  brintova::Control* dialog = desktop.window().Controls()[3];
  EXPECT_NE(DescriptionOf([&] { dialog->SetBackColor(kColourButtonFace); }), u"(no failure)");
  EXPECT_NE(DescriptionOf([&] { desktop.window().SetBackColor(0x800000FF); }), u"(no failure)");
}

TEST_F(WindowForm, TheProgressBarTakesWholePercentages) {
  ProgressBar& bar = desktop.window().ProgressBar1();
  bar.SetValue(40);
  EXPECT_EQ(bar.Value(), 40);
  EXPECT_NE(DescriptionOf([&] { bar.SetValue(101); }), u"(no failure)");
  EXPECT_NE(DescriptionOf([&] { bar.SetValue(-1); }), u"(no failure)");
  EXPECT_EQ(bar.Value(), 40);
}

}  // namespace
}  // namespace brintova::win32ui
