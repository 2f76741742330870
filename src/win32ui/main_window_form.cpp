// The main window as the handlers see it (the Form port): place and size in twips, caption,
// icon, colours, the pointer states and the window's controls.
#include <string>

#include "platform/failure.h"
#include "platform/text.h"
#include "platform/win32/wide_text.h"
#include "win32ui/layout.h"
#include "win32ui/main_window.h"
#include "win32ui/resources.h"

namespace brintova::win32ui {

using win32::SystemFailure;
using win32::Wide;

namespace {
constexpr std::int32_t kFailureInvalidPropertyValue = 380;
}  // namespace

std::int32_t Win32MainWindow::Width() {
  RECT rect{};
  GetWindowRect(window_, &rect);
  return PixelsToTwips(rect.right - rect.left, dpi_);
}

std::int32_t Win32MainWindow::Height() {
  RECT rect{};
  GetWindowRect(window_, &rect);
  return PixelsToTwips(rect.bottom - rect.top, dpi_);
}

void Win32MainWindow::SetLeft(std::int32_t twips) {
  RECT rect{};
  GetWindowRect(window_, &rect);
  SetWindowPos(window_, nullptr, TwipsToPixels(twips, dpi_), rect.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32MainWindow::SetTop(std::int32_t twips) {
  RECT rect{};
  GetWindowRect(window_, &rect);
  SetWindowPos(window_, nullptr, rect.left, TwipsToPixels(twips, dpi_), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::int32_t Win32MainWindow::ScreenWidth() {
  return PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), dpi_);
}

std::int32_t Win32MainWindow::ScreenHeight() {
  return PixelsToTwips(GetSystemMetrics(SM_CYSCREEN), dpi_);
}

void Win32MainWindow::SetCaption(std::u16string_view caption) {
  SetWindowTextW(window_, Wide(caption).c_str());
}

void Win32MainWindow::SetApplicationIcon() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const auto load = [instance](int metric_x, int metric_y) {
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kApplicationIconId), IMAGE_ICON,
                                         GetSystemMetrics(metric_x), GetSystemMetrics(metric_y),
                                         LR_DEFAULTCOLOR));
  };
  const HICON big = load(SM_CXICON, SM_CYICON);
  const HICON small = load(SM_CXSMICON, SM_CYSMICON);
  if (big == nullptr || small == nullptr) {
    if (big != nullptr) DestroyIcon(big);
    if (small != nullptr) DestroyIcon(small);
    throw Failure(u"The program's icon is missing from its executable");
  }
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  if (big_icon_ != nullptr) DestroyIcon(big_icon_);
  if (small_icon_ != nullptr) DestroyIcon(small_icon_);
  big_icon_ = big;
  small_icon_ = small;
}

void Win32MainWindow::SetBackColor(std::uint32_t colour) {
  form_colour_ = ColourRef(colour);
  InvalidateRect(window_, nullptr, TRUE);
}

std::int64_t Win32MainWindow::WindowHandle() { return reinterpret_cast<std::intptr_t>(window_); }

HCURSOR Win32MainWindow::CursorOf(std::int32_t state) const {
  const wchar_t* shape = IDC_ARROW;
  switch (state) {
    case 2:
      shape = IDC_CROSS;
      break;
    case 3:
      shape = IDC_IBEAM;
      break;
    case 5:
    case 15:
      shape = IDC_SIZEALL;
      break;
    case 6:
      shape = IDC_SIZENESW;
      break;
    case 7:
      shape = IDC_SIZENS;
      break;
    case 8:
      shape = IDC_SIZENWSE;
      break;
    case 9:
      shape = IDC_SIZEWE;
      break;
    case 10:
      shape = IDC_UPARROW;
      break;
    case 11:
      shape = IDC_WAIT;
      break;
    case 12:
      shape = IDC_NO;
      break;
    case 13:
      shape = IDC_APPSTARTING;
      break;
    case 14:
      shape = IDC_HELP;
      break;
    case kPointerCustom:
      if (custom_cursor_ != nullptr) return custom_cursor_;
      break;
    default:
      break;
  }
  return LoadCursorW(nullptr, shape);
}

void Win32MainWindow::ShowPointer() {
  // At once, while the mouse is over the window: a long handler lets no message through that
  // would ask for the cursor.
  POINT at{};
  if (!GetCursorPos(&at)) return;
  const HWND under = WindowFromPoint(at);
  if (under != nullptr && GetAncestor(under, GA_ROOT) == window_)
    SetCursor(CursorOf(pointer_state_));
}

void Win32MainWindow::SetMousePointer(std::int32_t state) {
  if (!((state >= 0 && state <= 15) || state == kPointerCustom)) {
    throw Failure(u"Pointer state " + DecimalText(state) + u" does not exist",
                  kFailureInvalidPropertyValue);
  }
  pointer_state_ = state;
  ShowPointer();
}

void Win32MainWindow::LoadMouseIcon(std::u16string_view path) {
  SetLastError(0);
  const HCURSOR cursor = LoadCursorFromFileW(Wide(path).c_str());
  if (cursor == nullptr) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
      throw SystemFailure(u"Cannot load the cursor file", path, error);
    }
    throw Failure(u"\"" + std::u16string(path) + u"\" is not a cursor file");
  }
  if (custom_cursor_ != nullptr) DestroyCursor(custom_cursor_);
  custom_cursor_ = cursor;
  if (pointer_state_ == kPointerCustom) ShowPointer();
}

void Win32MainWindow::DoEvents() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that waits for it
      return;
    }
    if (window_ == nullptr || !IsDialogMessageW(window_, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

std::vector<Control*> Win32MainWindow::Controls() {
  std::vector<Control*> out;
  for (const auto& control : control_ports_) out.push_back(control.get());
  return out;
}

}  // namespace brintova::win32ui
