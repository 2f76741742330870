// Turns the bytes of a text file into UTF-16 the way the spreadsheet application reads a text
// file: a byte-order mark decides, else UTF-8 when the bytes are valid UTF-8, else Windows-1252.
#pragma once

#include <string>
#include <string_view>

namespace brintova::engine::textfile {

enum class TextEncoding { kUtf8, kUtf8WithBom, kUtf16Le, kUtf16Be, kWindows1252 };

struct DecodedText {
  std::u16string text;
  TextEncoding encoding = TextEncoding::kUtf8;
};

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Never fails: a UTF-16 file with an odd byte count loses its last byte, lone surrogates stay.
DecodedText DecodeTextBytes(std::string_view bytes);

}  // namespace brintova::engine::textfile
