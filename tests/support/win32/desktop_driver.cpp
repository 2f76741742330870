#include "support/win32/desktop_driver.h"

#include <vector>

#include "platform/win32/wide_text.h"

namespace brintova::wintest {

using win32::FromWide;
using win32::Wide;

namespace {

// The message of a message box, or the prompt of the input box.
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kInputBoxPromptId = 100;

struct Search {
  std::u16string_view title;
  std::u16string_view class_name;
  DWORD process_id;
  HWND found = nullptr;
};

BOOL CALLBACK Visit(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  if (!IsWindowVisible(window)) return TRUE;
  if (search->process_id != 0) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process_id) return TRUE;
  }
  if (!search->class_name.empty() && ClassName(window) != search->class_name) return TRUE;
  if (WindowText(window) != search->title) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND WaitForWindow(std::u16string_view title, std::u16string_view class_name,
                   std::uint32_t timeout_ms, DWORD process_id) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  for (;;) {
    Search search{title, class_name, process_id};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr || GetTickCount64() > end) return search.found;
    Sleep(20);
  }
}

std::u16string WindowText(HWND window) {
  std::vector<wchar_t> text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 2, L'\0');
  GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  return FromWide(text.data());
}

std::u16string ClassName(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return FromWide(name);
}

HWND ChildWithText(HWND parent, std::u16string_view class_name, std::u16string_view text) {
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassName(child) == class_name && WindowText(child) == text) return child;
  }
  return nullptr;
}

HWND WaitForFolderBrowser() {
  const ULONGLONG end = GetTickCount64() + 15'000;
  while (GetTickCount64() < end) {
    for (HWND window = GetTopWindow(nullptr); window != nullptr;
         window = GetWindow(window, GW_HWNDNEXT)) {
      DWORD process = 0;
      GetWindowThreadProcessId(window, &process);
      if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
          ClassName(window) == u"#32770" &&
          FindWindowExW(window, nullptr, L"SysTreeView32", nullptr) != nullptr) {
        return window;
      }
    }
    Sleep(20);
  }
  return nullptr;
}

void Click(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

BoxAnswerer::BoxAnswerer(std::u16string title, std::function<void(HWND box)> action,
                         std::u16string_view class_name)
    : thread_([this, title = std::move(title), action = std::move(action),
               class_name = std::u16string(class_name)] {
        const HWND box = WaitForWindow(title, class_name, 15'000, GetCurrentProcessId());
        if (box == nullptr) return;
        HWND text = GetDlgItem(box, kMessageBoxTextId);
        if (text == nullptr) text = GetDlgItem(box, kInputBoxPromptId);
        if (text != nullptr) text_ = WindowText(text);
        found_ = true;
        action(box);
      }) {}

BoxAnswerer::~BoxAnswerer() { Join(); }

void BoxAnswerer::Join() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace brintova::wintest
