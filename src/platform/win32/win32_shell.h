// Win32Shell: the program's folder (GetModuleFileNameW), the shell's folder browser
// (SHBrowseForFolderW, file-system folders only) and opening a file or folder with the shell's
// default action (ShellExecuteW).
#pragma once

#include <functional>

#include "platform/shell.h"
#include "platform/win32/windows_api.h"

namespace brintova {

class Win32Shell : public Shell {
 public:
  explicit Win32Shell(std::function<HWND()> owner = {}) : owner_(std::move(owner)) {}

  // Throws Failure when the system does not tell the executable's path.
  std::u16string ProgramFolder() override;
  std::u16string BrowseForFolder(std::u16string_view title) override;
  void ShellExecute(std::u16string_view file, std::u16string_view directory) override;

 private:
  HWND Owner() const { return owner_ ? owner_() : nullptr; }
  std::function<HWND()> owner_;
};

// ShellExecuteW with the default verb on `file` in double quotes, shown with SW_SHOW; the
// system's result (above 32 when it worked).
INT_PTR OpenWithShell(HWND owner, std::u16string_view file, std::u16string_view directory);

}  // namespace brintova
