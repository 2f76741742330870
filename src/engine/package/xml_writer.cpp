// Escaping of text for package parts.
#include "engine/package/xml_writer.h"

#include <iterator>

#include "platform/text.h"

namespace brintova::engine::package {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendPackageEscape(std::string& out, std::uint32_t unit) {
  out += "_x";
  out.push_back(kHex[(unit >> 12) & 0xF]);
  out.push_back(kHex[(unit >> 8) & 0xF]);
  out.push_back(kHex[(unit >> 4) & 0xF]);
  out.push_back(kHex[unit & 0xF]);
  out.push_back('_');
}

bool IsHex(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// "_xHHHH_" starting at i.
bool LooksLikePackageEscape(std::u16string_view text, std::size_t i) {
  if (i + 7 > text.size() || text[i + 1] != u'x' || text[i + 6] != u'_') return false;
  return IsHex(text[i + 2]) && IsHex(text[i + 3]) && IsHex(text[i + 4]) && IsHex(text[i + 5]);
}

// Printable ASCII that goes over as it is in text and attributes alike.
bool IsPlain(char16_t c) {
  return c >= 0x20 && c < 0x7F && c != u'&' && c != u'<' && c != u'>' && c != u'"' && c != u'_';
}

void AppendEscaped(std::string& out, std::u16string_view text, bool attribute) {
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t c = text[i];
    // Most text is a run of plain ASCII: copied a byte a code unit, in one go.
    if (IsPlain(c)) {
      std::size_t end = i + 1;
      while (end < n && IsPlain(text[end])) ++end;
      const std::size_t at = out.size();
      out.resize(at + (end - i));
      for (std::size_t k = i; k < end; ++k) out[at + (k - i)] = static_cast<char>(text[k]);
      i = end - 1;
      continue;
    }
    switch (c) {
      case u'&':
        out += "&amp;";
        continue;
      case u'<':
        out += "&lt;";
        continue;
      case u'>':
        out += "&gt;";
        continue;
      case u'"':
        if (attribute) {
          out += "&quot;";
          continue;
        }
        break;
      case u'\t':
      case u'\n':
        if (attribute) {
          out += c == u'\t' ? "&#9;" : "&#10;";
          continue;
        }
        out.push_back(static_cast<char>(c));
        continue;
      case u'_':
        if (LooksLikePackageEscape(text, i)) {
          AppendPackageEscape(out, u'_');
          continue;
        }
        break;
      default:
        break;
    }
    if (c < 0x20 || c == 0xFFFE || c == 0xFFFF) {
      AppendPackageEscape(out, c);
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 &&
               text[i + 1] <= 0xDFFF) {
      brintova::AppendUtf8(out, 0x10000 + ((c - 0xD800u) << 10) + (text[i + 1] - 0xDC00u));
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      AppendPackageEscape(out, c);
    } else {
      brintova::AppendUtf8(out, c);
    }
  }
}

}  // namespace

void AppendXmlText(std::string& out, std::u16string_view text) { AppendEscaped(out, text, false); }

void AppendXmlAttribute(std::string& out, std::u16string_view text) {
  AppendEscaped(out, text, true);
}

void AppendXmlAttributeUtf8(std::string& out, std::string_view utf8) {
  for (const char c : utf8) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out.push_back(c);
    }
  }
}

bool NeedsSpacePreserved(std::u16string_view text) {
  if (text.empty()) return false;
  auto is_space = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; };
  if (is_space(text.front()) || is_space(text.back())) return true;
  for (const char16_t c : text) {
    if (c < 0x20 && (c == u'\n' || c == u'\r' || c == u'\t')) return true;
  }
  return false;
}

void AppendCellReference(std::string& out, std::int32_t row, std::int32_t column) {
  // Built backwards in a buffer and appended at once: room for any 32-bit row and column
  // (ten digits, seven letters), though the grid needs three letters and seven digits.
  char reference[24];
  char* start = std::end(reference);
  for (std::uint32_t r = static_cast<std::uint32_t>(row); r > 0 || start == std::end(reference);
       r /= 10) {
    *--start = static_cast<char>('0' + r % 10);
  }
  for (std::int32_t c = column; c > 0; c = (c - 1) / 26) {
    *--start = static_cast<char>('A' + (c - 1) % 26);
  }
  out.append(start, std::end(reference));
}

}  // namespace brintova::engine::package
