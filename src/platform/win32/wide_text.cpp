#include "platform/win32/wide_text.h"

#include "platform/text.h"
#include "platform/win32/windows_api.h"

namespace brintova::win32 {

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::u16string FromWide(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

std::u16string FromWide(const wchar_t* text) {
  return text == nullptr ? std::u16string() : FromWide(std::wstring_view(text));
}

std::u16string SystemMessage(std::uint32_t error) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string message;
  if (length > 0 && buffer != nullptr) message = FromWide(std::wstring_view(buffer, length));
  if (buffer != nullptr) LocalFree(buffer);
  while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' ||
                              message.back() == u' ' || message.back() == u'.')) {
    message.pop_back();
  }
  if (message.empty()) message = u"Error " + DecimalText(error);
  return message;
}

Failure SystemFailure(std::u16string_view what, std::u16string_view path, std::uint32_t error) {
  return Failure(std::u16string(what) + u" \"" + std::u16string(path) + u"\": " +
                 SystemMessage(error));
}

std::wstring FileSystemPath(std::u16string_view path) {
  // Below the shortest limit of the file functions (CreateDirectory's 248) nothing changes.
  constexpr std::size_t kShortLimit = 248;
  std::wstring wide = Wide(path);
  if (wide.size() < kShortLimit || wide.starts_with(L"\\\\?\\")) return wide;
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';  // the prefix turns off every other rewriting of the path
  }
  if (wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\') return L"\\\\?\\" + wide;
  if (wide.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + wide.substr(2);
  return wide;
}

}  // namespace brintova::win32
