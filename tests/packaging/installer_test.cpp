// The installer as a user meets it, silently: installed for this user without administrator
// rights, the program starts from where it was put and warns that the spreadsheet application
// is missing, and the uninstaller takes away everything the installer put down while the
// user's setting stays. Arguments: the installer, and the samples folder it was made from.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/text.h"
#include "platform/win32/registry_settings_store.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"
#include "support/win32/desktop_driver.h"
#include "support/win32/processes.h"
#include "support/win32/scratch_folder.h"

namespace brintova {
namespace {

using win32::FromWide;
using win32::Wide;

std::u16string g_installer;
std::u16string g_samples;

constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brintova";

std::u16string KnownFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return FromWide(path);
}

bool Exists(const std::u16string& path) {
  return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::u16string> Names(const std::u16string& folder) {
  std::vector<std::u16string> names;
  WIN32_FIND_DATAW data{};
  const HANDLE find = FindFirstFileW(Wide(folder + u"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::u16string name = FromWide(data.cFileName);
    if (name != u"." && name != u"..") names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

std::u16string FullPath(const std::u16string& relative) {
  wchar_t full[MAX_PATH] = {};
  GetFullPathNameW(Wide(relative).c_str(), MAX_PATH, full, nullptr);
  return FromWide(full);
}

bool UninstallEntryExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

TEST(Installer, InstallsForTheUserStartsAndUninstallsWithoutALeftover) {
  ASSERT_TRUE(Exists(g_installer)) << ToUtf8(g_installer);
  const std::u16string folder = KnownFolder(CSIDL_LOCAL_APPDATA) + u"\\Programs\\Brintova";
  const std::u16string shortcut = KnownFolder(CSIDL_PROGRAMS) + u"\\Brintova.lnk";
  wintest::RemoveTree(folder);

  // Silent install.
  const wintest::ProcessResult install =
      wintest::RunProcess(u"\"" + FullPath(g_installer) + u"\" /S", 120'000);
  ASSERT_EQ(install.exit_code, 0u) << install.output;
  EXPECT_EQ(Names(folder), (std::vector<std::u16string>{u"HAND-M.CUR", u"Samples", u"brintova.exe",
                                                        u"uninstall.exe"}));
  EXPECT_EQ(Names(folder + u"\\Samples"), Names(FullPath(g_samples)));
  EXPECT_FALSE(Names(folder + u"\\Samples").empty());
  EXPECT_TRUE(Exists(shortcut)) << ToUtf8(shortcut);
  EXPECT_TRUE(UninstallEntryExists());

  // The installed program starts: without the spreadsheet application it warns first, then
  // shows its window, and closing the window ends it. It starts as on a first run.
  RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Korvane\\Brintova",
                     L"Combo1");
  const std::u16string program = folder + u"\\brintova.exe";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  std::wstring command = L"\"" + Wide(program) + L"\"";
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process));
  const HWND warning = wintest::WaitForWindow(u"Brintova", u"#32770", 30'000, process.dwProcessId);
  ASSERT_NE(warning, nullptr) << "no warning from the installed program";
  EXPECT_NE(wintest::WindowText(GetDlgItem(warning, 0xFFFF)).find(u"Excel is not installed"),
            std::u16string::npos);
  wintest::Click(warning, IDOK);
  const HWND window =
      wintest::WaitForWindow(u"Brintova", u"BrintovaForm1", 30'000, process.dwProcessId);
  ASSERT_NE(window, nullptr) << "the installed program showed no window";
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 30'000), WAIT_OBJECT_0);
  DWORD status = 1;
  GetExitCodeProcess(process.hProcess, &status);
  EXPECT_EQ(status, 0u);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // It kept the operation it selected at start.
  EXPECT_EQ(RegistrySettingsStore().GetSetting(u"Korvane", u"Brintova", u"Combo1", u"(absent)"),
            u"0");

  // Silent uninstall: the uninstaller runs from a copy of itself, so wait for its work.
  const wintest::ProcessResult uninstall =
      wintest::RunProcess(u"\"" + folder + u"\\uninstall.exe\" /S", 60'000);
  EXPECT_EQ(uninstall.exit_code, 0u) << uninstall.output;
  for (int i = 0; i < 300 && Exists(folder); ++i) Sleep(100);
  EXPECT_FALSE(Exists(folder)) << "left: " << Names(folder).size() << " entries";
  EXPECT_FALSE(Exists(shortcut));
  EXPECT_FALSE(UninstallEntryExists());
  // The user's setting stays.
  EXPECT_EQ(RegistrySettingsStore().GetSetting(u"Korvane", u"Brintova", u"Combo1", u"(absent)"),
            u"0");
}

}  // namespace
}  // namespace brintova

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: installer_tests INSTALLER SAMPLES_FOLDER\n");
    return 2;
  }
  brintova::g_installer = brintova::ToUtf16(argv[1]);
  brintova::g_samples = brintova::ToUtf16(argv[2]);
  return RUN_ALL_TESTS();
}
