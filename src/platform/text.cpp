#include "platform/text.h"

#include <cstdint>

namespace brintova {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

void AppendCodePoint(std::u16string& out, std::uint32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

// The code point of the well-formed UTF-8 sequence at in[i], and its length in bytes; a length
// of 0 when the bytes there are not one.
struct Utf8Sequence {
  std::uint32_t code_point = 0;
  int length = 0;
};

Utf8Sequence ReadUtf8Sequence(std::string_view in, std::size_t i) {
  const auto b0 = static_cast<unsigned char>(in[i]);
  if (b0 < 0x80) return {b0, 1};
  int length = 0;
  std::uint32_t cp = 0;
  std::uint32_t min = 0;
  if ((b0 & 0xE0) == 0xC0) {
    length = 2, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    length = 3, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    length = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    return {};
  }
  if (i + length > in.size()) return {};
  for (int k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(in[i + k]);
    if ((b & 0xC0) != 0x80) return {};
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {};
  return {cp, length};
}

}  // namespace

void AppendUtf8(std::string& out, char32_t code_point) {
  const std::uint32_t cp = code_point;
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const Utf8Sequence sequence = ReadUtf8Sequence(bytes, i);
    if (sequence.length == 0) return false;
    i += sequence.length;
  }
  return true;
}

// Decodes UTF-8; each invalid byte becomes `bad(byte)`.
template <typename Bad>
std::u16string DecodeUtf8(std::string_view in, Bad bad) {
  std::u16string out;
  out.reserve(in.size());
  std::size_t i = 0;
  while (i < in.size()) {
    const Utf8Sequence sequence = ReadUtf8Sequence(in, i);
    if (sequence.length == 0) {
      out.push_back(bad(static_cast<unsigned char>(in[i])));
      ++i;
    } else {
      AppendCodePoint(out, sequence.code_point);
      i += sequence.length;
    }
  }
  return out;
}

template <typename Lone>
std::string EncodeUtf8(std::u16string_view in, Lone lone) {
  std::string out;
  out.reserve(in.size());
  for (std::size_t i = 0; i < in.size(); ++i) {
    std::uint32_t cp = in[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
        in[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      if (lone(static_cast<char16_t>(cp), out)) continue;
      cp = kReplacement;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

std::u16string ToUtf16(std::string_view utf8) {
  return DecodeUtf8(utf8, [](unsigned char) { return kReplacement; });
}

std::string ToUtf8(std::u16string_view utf16) {
  return EncodeUtf8(utf16, [](char16_t, std::string&) { return false; });
}

std::u16string TextFromNativePath(std::string_view bytes) {
  return DecodeUtf8(bytes, [](unsigned char b) { return static_cast<char16_t>(0xDC00 + b); });
}

std::string NativePathFromText(std::u16string_view text) {
  return EncodeUtf8(text, [](char16_t unit, std::string& out) {
    if (unit < 0xDC80 || unit > 0xDCFF) return false;
    out.push_back(static_cast<char>(unit - 0xDC00));
    return true;
  });
}

std::u16string DecimalText(long long value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

std::string GroupedDecimal(unsigned long long value) {
  const std::string digits = std::to_string(value);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped.push_back(',');
    grouped.push_back(digits[i]);
  }
  return grouped;
}

std::u16string AsciiLower(std::u16string_view text) {
  std::u16string lower(text);
  for (char16_t& c : lower) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return lower;
}

std::u16string LowerCaseExtension(std::u16string_view path) {
  const std::size_t slash = path.rfind(u'/');
  const std::size_t dot = path.rfind(u'.');
  if (dot == std::u16string_view::npos || (slash != std::u16string_view::npos && dot < slash)) {
    return {};
  }
  return AsciiLower(path.substr(dot));
}

}  // namespace brintova
