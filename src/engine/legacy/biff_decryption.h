// Workbooks saved with a password to open: the FILEPASS record names the method and holds a
// verifier of the password. A workbook the application protects for read-only use is encrypted
// with its built-in default password and opens without asking; this reader does the same, and
// refuses only a workbook whose verifier needs another password.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace brintova::engine::legacy {

// The password the application uses when the user gave none to open the file.
inline constexpr std::u16string_view kDefaultPassword = u"VelvetSweatshop";

// Decrypts, in place, the records of `stream` from offset `from` (the record after FILEPASS) to
// the end, when `filepass` (that record's body) says the workbook was encrypted with `password`.
// `biff8` tells the record's layout: Excel 5/95 knows only XOR obfuscation and names no method.
// Throws package::ReadError marked encrypted when the password does not fit, and a plain one
// when the method is not one this reader knows.
void DecryptWorkbookStream(std::string& stream, std::size_t from, std::string_view filepass,
                           bool biff8, std::u16string_view password = kDefaultPassword);

// The 16-bit verifier that XOR obfuscation stores for a password (its first 15 characters'
// low bytes): "abcdefghij" gives 0xFEF1.
std::uint16_t XorPasswordVerifier(std::u16string_view password);

}  // namespace brintova::engine::legacy
