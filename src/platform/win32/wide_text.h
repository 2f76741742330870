// Text at the Win32 boundary: the core's UTF-16 text as the wide strings the W functions take
// (wchar_t is 16 bits on Windows, so nothing is converted), and the system's descriptions of
// its error codes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/failure.h"

namespace brintova::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

std::wstring Wide(std::u16string_view text);
std::u16string FromWide(std::wstring_view text);
// A NUL-terminated wide string (for fixed-size buffers the system fills).
std::u16string FromWide(const wchar_t* text);

// The system's own description of a Win32 error code, in the user's language, without the
// trailing line break; "Error <code>" when the system has none.
std::u16string SystemMessage(std::uint32_t error);

// A failure whose description reads: what "path": the system's description.
Failure SystemFailure(std::u16string_view what, std::u16string_view path, std::uint32_t error);

// The path as the file functions take it when it is long: "\\?\C:\..." or "\\?\UNC\server\...",
// so that paths past 260 characters can be read. Shorter or relative paths are returned as
// they are; so is a path that already has the prefix.
std::wstring FileSystemPath(std::u16string_view path);

}  // namespace brintova::win32
