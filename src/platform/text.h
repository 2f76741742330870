// Text in the core is UTF-16 code units; these convert at the edges (files, terminals, Qt).
#pragma once

#include <string>
#include <string_view>

namespace brintova {

// Invalid UTF-8 sequences become U+FFFD, one per bad byte; nothing is dropped silently.
std::u16string ToUtf16(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view utf16);

// File names are bytes on POSIX. These map them to text and back without loss: valid UTF-8
// decodes as usual, and each byte that is not valid UTF-8 becomes the lone surrogate
// U+DC00 + byte, which NativePathFromText turns back into that byte.
std::u16string TextFromNativePath(std::string_view bytes);
std::string NativePathFromText(std::u16string_view text);

// Appends one code point (at most U+10FFFF, no surrogate) as UTF-8.
void AppendUtf8(std::string& out, char32_t code_point);
// True when every byte belongs to a well-formed UTF-8 sequence (no overlong forms, surrogates
// or code points past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// The text with A to Z turned into a to z, and nothing else changed.
std::u16string AsciiLower(std::u16string_view text);
// The extension of the path's file name with its dot (".xlsx"), A to Z lower-cased; empty when
// the file name has no dot.
std::u16string LowerCaseExtension(std::u16string_view path);

// Decimal text of a whole number ("-1", "0", "10"): no spaces, a minus sign when negative.
std::u16string DecimalText(long long value);
// A count for a message, in groups of three digits: 16777216 -> "16,777,216".
std::string GroupedDecimal(unsigned long long value);

}  // namespace brintova
