#include "platform/win32/win32_shell.h"

#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/win32/wide_text.h"

namespace brintova {

using win32::FromWide;
using win32::SystemFailure;
using win32::Wide;

namespace {

// COM for the calling thread, as long as the scope lasts (the browser needs it).
class ComScope {
 public:
  ComScope()
      : initialized_(
            SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
  }
  ~ComScope() {
    if (initialized_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialized_;
};

}  // namespace

std::u16string Win32Shell::ProgramFolder() {
  // Grown until the path fits: the executable may lie on a path past 260 characters.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) throw SystemFailure(u"Cannot tell where the program is", u"", GetLastError());
    if (length < buffer.size()) {
      std::u16string path = FromWide(std::wstring_view(buffer.data(), length));
      const std::size_t separator = path.find_last_of(u"\\/");
      return separator == std::u16string::npos ? std::u16string() : path.substr(0, separator);
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::u16string Win32Shell::BrowseForFolder(std::u16string_view title) {
  ComScope com;
  const std::wstring text = Wide(title);
  BROWSEINFOW request{};
  request.hwndOwner = Owner();
  request.lpszTitle = text.c_str();
  request.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&request);
  if (item == nullptr) return {};
  wchar_t path[MAX_PATH] = {};
  // A path that does not fit, or an item that is no file-system folder, leaves it empty.
  const BOOL found = SHGetPathFromIDListW(item, path);
  CoTaskMemFree(item);
  return found ? FromWide(path) : std::u16string();
}

INT_PTR OpenWithShell(HWND owner, std::u16string_view file, std::u16string_view directory) {
  const std::wstring quoted = L"\"" + Wide(file) + L"\"";
  const std::wstring folder = Wide(directory);
  return reinterpret_cast<INT_PTR>(ShellExecuteW(
      owner, nullptr, quoted.c_str(), nullptr, folder.empty() ? nullptr : folder.c_str(), SW_SHOW));
}

void Win32Shell::ShellExecute(std::u16string_view file, std::u16string_view directory) {
  OpenWithShell(Owner(), file, directory);
}

}  // namespace brintova
