// Adapters of the window's controls over their Win32 messages.
#include "win32ui/controls.h"

#include <uxtheme.h>

#include <algorithm>

#include "platform/failure.h"
#include "platform/text.h"
#include "platform/win32/wide_text.h"
#include "win32ui/layout.h"

namespace brintova::win32ui {

using win32::FromWide;
using win32::SystemFailure;
using win32::Wide;

namespace {
constexpr std::int32_t kFailureInvalidPropertyValue = 380;
constexpr std::int32_t kFailureObjectNotSet = 91;
constexpr std::int32_t kFailureIndexOutOfBounds = 35600;
constexpr std::int32_t kFailureNoSuchMember = 438;
constexpr int kLastSystemColour = COLOR_MENUBAR;
}  // namespace

COLORREF ColourRef(std::uint32_t colour) {
  if ((colour & 0x80000000u) == 0) return static_cast<COLORREF>(colour & 0x00FFFFFFu);
  const std::uint32_t index = colour & 0xFFu;
  if ((colour & 0x7FFFFF00u) != 0 || index > kLastSystemColour) {
    throw Failure(u"Unknown system colour " + DecimalText(index), kFailureInvalidPropertyValue);
  }
  return GetSysColor(static_cast<int>(index));
}

void Win32ListView::AddColumnHeader(std::u16string_view text) {
  std::wstring header = Wide(text);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = header.data();
  column.cx = TwipsToPixels(1440, dots_per_inch_());
  if (SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(columns_),
                   reinterpret_cast<LPARAM>(&column)) < 0) {
    throw Failure(u"The file list cannot take the column \"" + std::u16string(text) + u"\"");
  }
  ++columns_;
}

void Win32ListView::SetColumnHeaderWidth(std::int32_t twips) {
  if (columns_ == 0)
    throw Failure(u"The file list has no column to size", kFailureIndexOutOfBounds);
  SendMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(columns_ - 1),
               MAKELPARAM(TwipsToPixels(twips, dots_per_inch_()), 0));
}

std::int32_t Win32ListView::ColumnWidthTwips(int index) const {
  const int pixels = static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, index, 0));
  return PixelsToTwips(pixels, dots_per_inch_());
}

void Win32ListView::Add(std::u16string_view text) {
  rows_.emplace_back(text);
  // The control asks for a row's text only when it shows it.
  SendMessageW(list_, LVM_SETITEMCOUNT, rows_.size(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  const int last = static_cast<int>(rows_.size()) - 1;
  SendMessageW(list_, LVM_REDRAWITEMS, last, last);
}

std::u16string Win32ListView::Item(std::int32_t index) {
  if (index < 1 || index > Count()) {
    throw Failure(u"The file list has no row " + DecimalText(index), kFailureIndexOutOfBounds);
  }
  return rows_[static_cast<std::size_t>(index - 1)];
}

std::int32_t Win32ListView::SelectedIndex() {
  const LRESULT selected =
      SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0));
  if (selected < 0 || selected >= Count()) {
    throw Failure(u"No row of the file list is selected", kFailureObjectNotSet);
  }
  return static_cast<std::int32_t>(selected) + 1;
}

void Win32ListView::Remove(std::int32_t index) {
  if (index < 1 || index > Count()) {
    throw Failure(u"The file list has no row " + DecimalText(index), kFailureIndexOutOfBounds);
  }
  rows_.erase(rows_.begin() + (index - 1));
  // Deleting the row moves the selection and focus of the rows after it up with them.
  SendMessageW(list_, LVM_DELETEITEM, static_cast<WPARAM>(index - 1), 0);
  SendMessageW(list_, LVM_SETITEMCOUNT, rows_.size(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  InvalidateRect(list_, nullptr, TRUE);
}

void Win32ListView::Clear() {
  rows_.clear();
  rows_.shrink_to_fit();
  SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
}

void Win32ListView::FillDisplayInfo(NMLVDISPINFOW& info) const {
  LVITEMW& item = info.item;
  if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return;
  if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= rows_.size() ||
      item.iSubItem != 0) {
    item.pszText[0] = L'\0';
    return;
  }
  const std::u16string& row = rows_[static_cast<std::size_t>(item.iItem)];
  const std::size_t count = std::min(row.size(), static_cast<std::size_t>(item.cchTextMax - 1));
  std::copy_n(row.begin(), count, item.pszText);
  item.pszText[count] = L'\0';
}

void Win32ComboBox::AddItem(std::u16string_view text) {
  const std::wstring entry = Wide(text);
  const LRESULT at = SendMessageW(box_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  if (at == CB_ERR || at == CB_ERRSPACE) {
    throw Failure(u"The drop-down cannot take the entry \"" + std::u16string(text) + u"\"");
  }
}

std::int32_t Win32ComboBox::ListCount() {
  return static_cast<std::int32_t>(SendMessageW(box_, CB_GETCOUNT, 0, 0));
}

std::u16string Win32ComboBox::List(std::int32_t index) {
  const LRESULT length = SendMessageW(box_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (index < 0 || length == CB_ERR) {
    throw Failure(u"The drop-down has no entry " + DecimalText(index), 381);
  }
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(box_, CB_GETLBTEXT, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(text.data()));
  return FromWide(text.c_str());
}

std::int32_t Win32ComboBox::ListIndex() {
  return static_cast<std::int32_t>(SendMessageW(box_, CB_GETCURSEL, 0, 0));
}

void Win32ComboBox::SetListIndex(std::int32_t index) {
  if (index < -1 || index >= ListCount()) {
    throw Failure(u"The drop-down has no entry " + DecimalText(index),
                  kFailureInvalidPropertyValue);
  }
  SendMessageW(box_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  if (*click_) (*click_)();
}

void Win32ProgressBar::SetValue(std::int32_t value) {
  if (value < 0 || value > 100) {
    throw Failure(u"Progress " + DecimalText(value) + u" lies outside 0 to 100",
                  kFailureInvalidPropertyValue);
  }
  SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(value), 0);
  // The run lets no events run while it works: show the new value now.
  UpdateWindow(bar_);
}

std::int32_t Win32ProgressBar::Value() {
  return static_cast<std::int32_t>(SendMessageW(bar_, PBM_GETPOS, 0, 0));
}

void Win32Control::SetBackColor(std::uint32_t colour) {
  if (!set_back_colour_) {
    throw Failure(u"The control " + name_ + u" has no back colour", kFailureNoSuchMember);
  }
  set_back_colour_(colour);
}

void Win32SkinEngine::Method2(std::u16string_view skin_path, std::u16string_view /*section*/) {
  const HANDLE file =
      CreateFileW(win32::FileSystemPath(skin_path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    throw SystemFailure(u"Cannot read the skin file", skin_path, GetLastError());
  }
  CloseHandle(file);
  loaded_ = true;
}

void Win32SkinEngine::Method3(std::int64_t window_handle) {
  if (!loaded_) throw Failure(u"No skin is loaded to apply");
  const HWND window = window_();
  if (window == nullptr || window_handle != reinterpret_cast<std::intptr_t>(window)) {
    throw Failure(u"The skin can only be applied to the main window");
  }
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (std::wstring_view(name) == WC_LISTVIEWW) SetWindowTheme(child, L"Explorer", nullptr);
  }
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  applied_ = true;
}

std::int32_t HdropData::FileCount() {
  return static_cast<std::int32_t>(DragQueryFileW(drop_, 0xFFFFFFFF, nullptr, 0));
}

std::u16string HdropData::File(std::int32_t index) {
  if (index < 1 || index > FileCount()) {
    throw Failure(u"The drop holds no file " + DecimalText(index), kFailureIndexOutOfBounds);
  }
  const UINT at = static_cast<UINT>(index - 1);
  std::wstring path(DragQueryFileW(drop_, at, nullptr, 0) + 1, L'\0');
  const UINT length = DragQueryFileW(drop_, at, path.data(), static_cast<UINT>(path.size()));
  path.resize(length);
  return FromWide(path);
}

}  // namespace brintova::win32ui
