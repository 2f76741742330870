// Byte-order mark, UTF-8 validation and the Windows-1252 fallback for text files.
#include "engine/text/text_decoding.h"

#include <cstdint>

#include "platform/text.h"

namespace brintova::engine::textfile {

namespace {

// Windows-1252 bytes 0x80..0x9F; the five bytes the code page leaves undefined keep their
// Latin-1 meaning (C1 controls), so every byte still maps to one character.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::u16string DecodeUtf16(std::string_view bytes, bool little_endian) {
  std::u16string out;
  out.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto lo = static_cast<unsigned char>(bytes[little_endian ? i : i + 1]);
    const auto hi = static_cast<unsigned char>(bytes[little_endian ? i + 1 : i]);
    out.push_back(static_cast<char16_t>(lo | (hi << 8)));
  }
  return out;
}

std::u16string DecodeWindows1252(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out.push_back(b >= 0x80 && b < 0xA0 ? kWindows1252High[b - 0x80] : static_cast<char16_t>(b));
  }
  return out;
}

}  // namespace

DecodedText DecodeTextBytes(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    // A mark promises UTF-8; stray bad bytes after it become U+FFFD rather than a code page.
    return {ToUtf16(bytes.substr(3)), TextEncoding::kUtf8WithBom};
  }
  if (bytes.starts_with("\xFF\xFE"))
    return {DecodeUtf16(bytes.substr(2), true), TextEncoding::kUtf16Le};
  if (bytes.starts_with("\xFE\xFF"))
    return {DecodeUtf16(bytes.substr(2), false), TextEncoding::kUtf16Be};
  if (IsValidUtf8(bytes)) return {ToUtf16(bytes), TextEncoding::kUtf8};
  return {DecodeWindows1252(bytes), TextEncoding::kWindows1252};
}

}  // namespace brintova::engine::textfile
