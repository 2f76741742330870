// The shell adapter: where the program is, the folder browser answered from a second thread,
// and opening a folder whose name needs quoting.
#include "platform/win32/win32_shell.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/text.h"
#include "platform/win32/wide_text.h"
#include "support/win32/desktop_driver.h"
#include "support/win32/scratch_folder.h"

namespace brintova {
namespace {

using wintest::Click;

TEST(Win32Shell, TheProgramFolderHoldsTheRunningExecutable) {
  const std::u16string folder = Win32Shell().ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), u'\\');
  const DWORD attributes =
      GetFileAttributesW(win32::Wide(folder + u"\\platform_win32_tests.exe").c_str());
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES) << ToUtf8(folder);
}

TEST(Win32Shell, TheFolderBrowserGivesThePickedFolderOrNothing) {
  // Right below the drive: the browser selects deeper folders only after expanding the tree.
  const std::u16string picked =
      u"C:\\Brintova Gew\u00e4hlt " + DecimalText(static_cast<long long>(GetCurrentProcessId()));
  ASSERT_TRUE(CreateDirectoryW(win32::Wide(picked).c_str(), nullptr));
  Win32Shell shell;
  for (const bool ok : {true, false}) {
    std::u16string title_shown;
    std::thread user([&] {
      const HWND browser = wintest::WaitForFolderBrowser();
      if (browser == nullptr) return;  // the browser never showed: the answer below fails
      title_shown =
          wintest::WindowText(wintest::ChildWithText(browser, u"Static", u"Please select folder:"));
      SendMessageW(browser, BFFM_SETSELECTIONW, TRUE,
                   reinterpret_cast<LPARAM>(win32::Wide(picked).c_str()));
      Click(browser, ok ? IDOK : IDCANCEL);
    });
    const std::u16string answer = shell.BrowseForFolder(u"Please select folder:");
    user.join();
    EXPECT_EQ(title_shown, u"Please select folder:") << "the folder browser did not show";
    EXPECT_EQ(answer, ok ? picked : u"");
  }
  wintest::RemoveTree(picked);
}

TEST(Win32Shell, OpensAFolderWhoseNameNeedsQuoting) {
  wintest::ScratchFolder scratch;
  const std::u16string samples = scratch.Folder(u"Sample Files \u4e2d\u6587");
  // The folder's window outlives the test: it must not take the test's output along, or
  // whoever reads that output waits for the window to close.
  const HANDLE nul =
      CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE), error = GetStdHandle(STD_ERROR_HANDLE);
  SetStdHandle(STD_OUTPUT_HANDLE, nul);
  SetStdHandle(STD_ERROR_HANDLE, nul);
  const INT_PTR opened = OpenWithShell(nullptr, samples + u"\\", u"\\");
  SetStdHandle(STD_OUTPUT_HANDLE, out);
  SetStdHandle(STD_ERROR_HANDLE, error);
  CloseHandle(nul);
  EXPECT_GT(opened, 32);
  EXPECT_LE(OpenWithShell(nullptr, scratch.At(u"No such folder\\"), u"\\"), 32);
}

}  // namespace
}  // namespace brintova
