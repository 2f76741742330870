// The message and input boxes as the user meets them: shown modally, answered from a second
// thread the way a user would, and read back.
#include "platform/win32/win32_dialogs.h"

#include <gtest/gtest.h>

#include "app/error_report.h"
#include "platform/text.h"
#include "platform/win32/wide_text.h"
#include "support/win32/desktop_driver.h"

namespace brintova {
namespace {

using wintest::BoxAnswerer;
using wintest::Click;

TEST(Win32Dialogs, MessageBoxAnswersWithTheButtonPressed) {
  Win32Dialogs dialogs;
  struct Case {
    MessageButtons buttons;
    int press;
    MessageResult expected;
  };
  for (const Case& c : {Case{MessageButtons::kYesNo, IDYES, MessageResult::kYes},
                        Case{MessageButtons::kYesNo, IDNO, MessageResult::kNo},
                        Case{MessageButtons::kOk, IDOK, MessageResult::kOk}}) {
    bool has_no_button = false;
    BoxAnswerer answerer(u"Brintova", [&](HWND box) {
      has_no_button = GetDlgItem(box, IDNO) != nullptr;
      Click(box, c.press);
    });
    EXPECT_EQ(dialogs.MessageBox(u"Proceed?", c.buttons, MessageIcon::kNone, u"Brintova"),
              c.expected);
    answerer.Join();
    EXPECT_TRUE(answerer.found());
    EXPECT_EQ(answerer.text(), u"Proceed?");
    EXPECT_EQ(has_no_button, c.buttons == MessageButtons::kYesNo);
  }
}

TEST(Win32Dialogs, TheApplicationErrorBoxShowsTheWholeReport) {
  Win32Dialogs dialogs;
  BoxAnswerer answerer(u"Application Error", [](HWND box) { Click(box, IDOK); });
  ReportHandlerError(dialogs, u"Datei \u00abJ\u00e4n\u00bb fehlt", kFormLoadTag, 106);
  answerer.Join();
  ASSERT_TRUE(answerer.found());
  EXPECT_EQ(answerer.text(),
            HandlerErrorMessage(u"Datei \u00abJ\u00e4n\u00bb fehlt", kFormLoadTag, 106));
}

TEST(Win32Dialogs, InputBoxGivesTheTypedTextOnOk) {
  Win32Dialogs dialogs;
  std::u16string shown_default;
  DWORD selection_start = 1, selection_end = 0;
  BoxAnswerer answerer(u"Brintova", [&](HWND box) {
    shown_default = wintest::WindowText(GetDlgItem(box, kInputBoxTextId));
    SendMessageW(GetDlgItem(box, kInputBoxTextId), EM_GETSEL,
                 reinterpret_cast<WPARAM>(&selection_start),
                 reinterpret_cast<LPARAM>(&selection_end));
    SetDlgItemTextW(box, kInputBoxTextId, L"J\u00e4n \u4e2d\u6587");
    Click(box, IDOK);
  });
  const std::u16string prompt =
      u"Enter file extension to load:\r\r(* for all files, txt for all txt files)";
  EXPECT_EQ(dialogs.InputBox(prompt, u"Brintova", u"xls"), u"J\u00e4n \u4e2d\u6587");
  answerer.Join();
  ASSERT_TRUE(answerer.found());
  EXPECT_EQ(answerer.text(), prompt);
  EXPECT_EQ(shown_default, u"xls");
  // The default text is selected, so typing replaces it.
  EXPECT_EQ(selection_start, 0u);
  EXPECT_EQ(selection_end, 3u);
}

TEST(Win32Dialogs, InputBoxGivesTheDefaultOnOkAndNothingOnCancelOrClose) {
  Win32Dialogs dialogs;
  {
    BoxAnswerer answerer(u"Brintova", [](HWND box) { Click(box, IDOK); });
    EXPECT_EQ(dialogs.InputBox(u"Extension:", u"Brintova", u"xls"), u"xls");
  }
  {
    BoxAnswerer answerer(u"Brintova", [](HWND box) { Click(box, IDCANCEL); });
    EXPECT_EQ(dialogs.InputBox(u"Extension:", u"Brintova", u"xls"), u"");
  }
  {
    BoxAnswerer answerer(u"\u00dcbersicht", [](HWND box) { PostMessageW(box, WM_CLOSE, 0, 0); });
    EXPECT_EQ(dialogs.InputBox(u"Extension:", u"\u00dcbersicht", u"xls"), u"");
    answerer.Join();
    EXPECT_TRUE(answerer.found());
  }
}

}  // namespace
}  // namespace brintova
