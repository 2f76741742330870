// The window as start-up leaves it, at the system's resolution: every control at its design
// place converted to pixels, the fonts, the list's column, the drop-down's entries, the
// remembered operation in the registry. One test runs the window at 96 and at 144 dots per inch,
// each in a process of its own started after the registry names that resolution.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/operation_setting.h"
#include "app/start_up.h"
#include "platform/text.h"
#include "platform/win32/registry_settings_store.h"
#include "platform/win32/wide_text.h"
#include "support/win32/desktop_driver.h"
#include "support/win32/processes.h"
#include "win32ui/layout.h"
#include "window_fixture.h"

namespace brintova::win32ui {
namespace {

using win32::Wide;

// Set in the process the resolution test starts: the resolution the window must have.
constexpr char kExpectedDpiVariable[] = "BRINTOVA_EXPECTED_DPI";

PixelRect PlaceOf(HWND control, HWND parent) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

int FontHeightOf(HWND control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
  return font.lfHeight;
}

class WindowLayout : public WindowTest {};

TEST_F(WindowLayout, OpensWithItsControlsAtTheDesignGeometry) {
  const char* expected = std::getenv(kExpectedDpiVariable);
  if (expected == nullptr) GTEST_SKIP() << "runs in the processes WindowLayoutAtResolutions starts";
  const int dpi = std::atoi(expected);
  Start();
  Win32MainWindow& window = desktop.window();
  ASSERT_EQ(window.dots_per_inch(), dpi);

  RECT client{};
  GetClientRect(window.hwnd(), &client);
  EXPECT_EQ(client.right, TwipsToPixels(kClientWidthTwips, dpi));
  EXPECT_EQ(client.bottom, TwipsToPixels(kClientHeightTwips, dpi));
  for (const Placement& placement : kPlacements) {
    EXPECT_EQ(PlaceOf(Control(placement.name), window.hwnd()), ToPixels(placement.rect, dpi))
        << ToUtf8(placement.name) << " at " << dpi << " dpi";
  }
  EXPECT_EQ(FontHeightOf(Control(u"PushButton7")), FontHeight(11.25, dpi));
  EXPECT_EQ(FontHeightOf(Control(u"ListView1")), FontHeight(9, dpi));
  EXPECT_EQ(FontHeightOf(Control(u"Option1")), FontHeight(9, dpi));

  // The list's one column.
  wchar_t header[64] = {};
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = header;
  column.cchTextMax = 64;
  ASSERT_TRUE(
      SendMessageW(Control(u"ListView1"), LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)));
  EXPECT_EQ(win32::FromWide(header), u"Excel File(s)");
  EXPECT_EQ(column.cx, TwipsToPixels(kColumnWidthTwips, dpi));
  EXPECT_FALSE(
      SendMessageW(Control(u"ListView1"), LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column)));
}

TEST_F(WindowLayout, StartUpFillsTheWindowAndRemembersTheOperation) {
  Start();
  Win32MainWindow& window = desktop.window();
  EXPECT_EQ(wintest::WindowText(window.hwnd()), u"Brintova");
  EXPECT_NE(SendMessageW(window.hwnd(), WM_GETICON, ICON_SMALL, 0), 0);
  ASSERT_EQ(window.Combo1().ListCount(), 11);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(window.Combo1().List(i), kOperationCaptions[i]);
  EXPECT_EQ(window.Combo1().ListIndex(), 0);
  EXPECT_TRUE(window.Option1().Value());
  EXPECT_FALSE(window.Option2().Value());
  EXPECT_EQ(window.ProgressBar1().Value(), 0);
  // The first start saves the selection it makes.
  EXPECT_EQ(StoredOperation(), u"0");
  // Without the spreadsheet application the warning came, before the window showed.
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, kExcelMissingMessage);
  EXPECT_EQ(dialogs.boxes[0].title, u"Brintova");
  EXPECT_FALSE(dialogs.window_visible[0]);
  EXPECT_TRUE(IsWindowVisible(window.hwnd()));
  // The list's tooltip.
  wchar_t tip[512] = {};
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = window.hwnd();
  tool.uId = reinterpret_cast<UINT_PTR>(Control(u"ListView1"));
  tool.lpszText = tip;
  SendMessageW(window.list_tooltip(), TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
  EXPECT_EQ(win32::FromWide(tip),
            u"Drag and drop files here. Double-click item to remove it. Move bar to right and "
            u"out of window to reveal full names.");
}

TEST_F(WindowLayout, ADisplayOfAnotherResolutionLaysTheWindowOutAgain) {
  Start();
  Win32MainWindow& window = desktop.window();
  const int dpi = window.dots_per_inch() == 144 ? 96 : 144;
  RECT suggested{40, 30, 40 + TwipsToPixels(kClientWidthTwips, dpi),
                 30 + TwipsToPixels(kClientHeightTwips, dpi)};
  SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
               reinterpret_cast<LPARAM>(&suggested));
  ASSERT_EQ(window.dots_per_inch(), dpi);
  RECT client{};
  GetClientRect(window.hwnd(), &client);
  EXPECT_EQ(client.right, TwipsToPixels(kClientWidthTwips, dpi));
  EXPECT_EQ(client.bottom, TwipsToPixels(kClientHeightTwips, dpi));
  for (const Placement& placement : kPlacements) {
    EXPECT_EQ(PlaceOf(Control(placement.name), window.hwnd()), ToPixels(placement.rect, dpi))
        << ToUtf8(placement.name) << " at " << dpi << " dpi";
  }
  EXPECT_EQ(FontHeightOf(Control(u"PushButton1")), FontHeight(11.25, dpi));
  EXPECT_NEAR(window.list_view().ColumnWidthTwips(0), kColumnWidthTwips, 15);
}

// The controls the Tab key stops at, in order.
std::vector<std::u16string> TabStops(WindowTest& test, HWND window) {
  std::vector<std::u16string> order;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) == 0) continue;
    for (const Placement& placement : kPlacements) {
      if (test.desktop.window().ControlWindow(placement.name) == child) {
        order.emplace_back(placement.name);
      }
    }
  }
  return order;
}

TEST_F(WindowLayout, TabOrderFollowsTheTabIndexAndFramesTakeNoFocus) {
  Start();
  // The option buttons are one stop: the chosen one.
  EXPECT_EQ(
      TabStops(*this, desktop.window().hwnd()),
      (std::vector<std::u16string>{u"ListView1", u"Option1", u"PushButton3", u"PushButton6",
                                   u"PushButton7", u"Combo1", u"PushButton1", u"PushButton2"}));
  SendMessageW(Control(u"Option2"), BM_CLICK, 0, 0);
  EXPECT_EQ(
      TabStops(*this, desktop.window().hwnd()),
      (std::vector<std::u16string>{u"ListView1", u"Option2", u"PushButton3", u"PushButton6",
                                   u"PushButton7", u"Combo1", u"PushButton1", u"PushButton2"}));
}

TEST_F(WindowLayout, ARememberedOperationIsSelectedAtStartAndABadOneReported) {
  RegistrySettingsStore settings;
  settings.SaveSetting(kSettingsApplication, kSettingsSection, kOperationKey, u"8");
  desktop.Start();
  EXPECT_EQ(desktop.window().Combo1().ListIndex(), 8);
  EXPECT_EQ(StoredOperation(), u"8");

  WatchingDialogs other_dialogs;
  Win32Desktop second(&other_dialogs);
  settings.SaveSetting(kSettingsApplication, kSettingsSection, kOperationKey, u"eleven");
  second.Start();
  EXPECT_EQ(second.window().Combo1().ListIndex(), -1);
  ASSERT_EQ(other_dialogs.boxes.size(), 2u);  // the report, then the spreadsheet warning
  EXPECT_NE(other_dialogs.boxes[0].text.find(u"at line 154"), std::u16string::npos);
  EXPECT_EQ(StoredOperation(), u"eleven");  // kept until the user picks an entry
  ForgetOperation();
}

// The registry value the system reads its resolution from when a process starts.
void SetSystemDpi(int dpi) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const DWORD value = static_cast<DWORD>(dpi);
  RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                 sizeof(value));
  RegCloseKey(key);
}

TEST(WindowLayoutAtResolutions, At96And144DotsPerInch) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  for (const int dpi : {144, 96}) {
    SetSystemDpi(dpi);
    SetEnvironmentVariableA(kExpectedDpiVariable, std::to_string(dpi).c_str());
    const wintest::ProcessResult run = wintest::RunProcess(
        u"\"" + win32::FromWide(self) +
        u"\" --gtest_filter=WindowLayout.OpensWithItsControlsAtTheDesignGeometry");
    SetEnvironmentVariableA(kExpectedDpiVariable, nullptr);
    EXPECT_EQ(run.exit_code, 0u) << "at " << dpi << " dpi:\n" << run.output;
    EXPECT_NE(run.output.find("[  PASSED  ] 1 test"), std::string::npos) << run.output;
  }
  SetSystemDpi(96);
}

}  // namespace
}  // namespace brintova::win32ui
