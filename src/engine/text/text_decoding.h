// Turns the bytes of a text file into UTF-16 the way the spreadsheet application reads a text
// file: a byte-order mark decides, else UTF-8 when the bytes are valid UTF-8, else Windows-1252.
#pragma once

#include <string>
#include <string_view>

#include "platform/text.h"

namespace brintova::engine::textfile {

enum class TextEncoding { kUtf8, kUtf8WithBom, kUtf16Le, kUtf16Be, kWindows1252 };

struct DecodedText {
  std::u16string text;
  TextEncoding encoding = TextEncoding::kUtf8;
};

// Whether the bytes are well-formed UTF-8 decides between UTF-8 and the code page.
using brintova::IsValidUtf8;

// Never fails: a UTF-16 file with an odd byte count loses its last byte, lone surrogates stay.
DecodedText DecodeTextBytes(std::string_view bytes);

}  // namespace brintova::engine::textfile
