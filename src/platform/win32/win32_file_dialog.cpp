#include "platform/win32/win32_file_dialog.h"

#include <algorithm>

#include "platform/failure.h"
#include "platform/text.h"
#include "platform/win32/wide_text.h"

namespace brintova {

using win32::FromWide;
using win32::Wide;

std::wstring SystemFilter(std::u16string_view filter) {
  std::wstring text = Wide(filter);
  std::replace(text.begin(), text.end(), L'|', L'\0');
  text.push_back(L'\0');
  text.push_back(L'\0');
  return text;
}

std::u16string FileNameFromResult(const std::vector<wchar_t>& buffer) {
  std::u16string name;
  std::size_t at = 0;
  while (at < buffer.size() && buffer[at] != L'\0') {
    const auto end =
        std::find(buffer.begin() + static_cast<std::ptrdiff_t>(at), buffer.end(), L'\0');
    if (!name.empty()) name.push_back(u'\0');
    name += FromWide(
        std::wstring_view(buffer.data() + at, static_cast<std::size_t>(end - buffer.begin()) - at));
    at = static_cast<std::size_t>(end - buffer.begin()) + 1;
  }
  return name;
}

std::size_t ResultLength(const std::vector<wchar_t>& buffer) {
  std::size_t length = 0;
  int pieces = 0;
  while (length < buffer.size() && buffer[length] != L'\0') {
    while (length < buffer.size() && buffer[length] != L'\0') ++length;
    ++length;  // the piece's NUL
    ++pieces;
  }
  return pieces > 1 ? length + 1 : length;
}

void Win32FileDialog::ShowOpen() {
  // The dialog gets far more room than the result may take, and the limit is applied to what it
  // answers: a dialog that runs out of room itself is not to be relied on.
  constexpr std::size_t kRoom = 32 * 1024;
  std::vector<wchar_t> buffer(kRoom, L'\0');
  const std::wstring initial = Wide(file_name_.substr(0, kOpenFileResultSize - 1));
  std::copy(initial.begin(), initial.end(), buffer.begin());
  const std::wstring filter = SystemFilter(filter_);
  const std::wstring title = Wide(title_);

  OPENFILENAMEW request{};
  request.lStructSize = sizeof(request);
  request.hwndOwner = owner_ ? owner_() : nullptr;
  request.lpstrFilter = filter_.empty() ? nullptr : filter.c_str();
  request.lpstrFile = buffer.data();
  request.nMaxFile = static_cast<DWORD>(buffer.size());
  request.lpstrTitle = title_.empty() ? nullptr : title.c_str();
  request.Flags = static_cast<DWORD>(flags_);
  const bool chosen = GetOpenFileNameW(&request) != FALSE;
  const DWORD error = chosen ? 0 : CommDlgExtendedError();
  file_name_.clear();
  if (!chosen && error == 0) return;  // Cancel
  if ((chosen && ResultLength(buffer) > kOpenFileResultSize) || error == FNERR_BUFFERTOOSMALL) {
    throw Failure(u"The chosen files do not fit the file dialog's " +
                      DecimalText(kOpenFileResultSize) + u"-character result",
                  kFailureDialogBufferTooSmall);
  }
  if (!chosen) {
    throw Failure(u"The open-file dialog could not be shown (common dialog error " +
                  DecimalText(error) + u")");
  }
  file_name_ = FileNameFromResult(buffer);
}

}  // namespace brintova
