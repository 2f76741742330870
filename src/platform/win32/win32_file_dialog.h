// CommonDialog1 as the system's open-file dialog (GetOpenFileNameW) with the caller's flags,
// title and filter, a 260-character result and the dialog's own result format.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/windows_api.h"
#include "platform/window.h"

namespace brintova {

// Room for the whole result text, terminating NULs included: one NUL after a single path, one
// after each piece of a list and one more at its end.
inline constexpr std::size_t kOpenFileResultSize = 260;

class Win32FileDialog : public FileDialog {
 public:
  explicit Win32FileDialog(std::function<HWND()> owner = {}) : owner_(std::move(owner)) {}

  void SetFileName(std::u16string_view name) override { file_name_ = name; }
  std::u16string FileName() override { return file_name_; }
  void SetFlags(std::int32_t flags) override { flags_ = flags; }
  void SetDialogTitle(std::u16string_view title) override { title_ = title; }
  void SetFilter(std::u16string_view filter) override { filter_ = filter; }
  // Cancel leaves the file name empty. Throws Failure numbered kFailureDialogBufferTooSmall
  // when the chosen files do not fit the result, and Failure for any other refusal.
  void ShowOpen() override;

 private:
  std::function<HWND()> owner_;
  std::u16string file_name_, title_, filter_;
  std::int32_t flags_ = 0;
};

// "Description|pattern|..." as the dialog's filter: each piece ended by NUL, then one more.
std::wstring SystemFilter(std::u16string_view filter);

// The dialog's result buffer as the control's file name: one piece (a single full path) as it
// is; several (the folder, then each name) joined by single NUL characters.
std::u16string FileNameFromResult(const std::vector<wchar_t>& buffer);

// The characters the result takes, terminating NULs included (see kOpenFileResultSize).
std::size_t ResultLength(const std::vector<wchar_t>& buffer);

}  // namespace brintova
