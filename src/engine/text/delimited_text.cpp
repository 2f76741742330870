// Splitting delimited text into fields and recognising numbers and truth values in them.
#include "engine/text/delimited_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace brintova::engine::textfile {

namespace {

bool IsLineBreak(char16_t c) { return c == u'\n' || c == u'\r'; }

// Length of the first line, not counting its break.
std::size_t FirstLineLength(std::u16string_view text) {
  std::size_t i = 0;
  while (i < text.size() && !IsLineBreak(text[i])) ++i;
  return i;
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool EqualsAsciiIgnoringCase(std::u16string_view a, std::string_view upper) {
  if (a.size() != upper.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t c = a[i];
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    if (c != static_cast<char16_t>(upper[i])) return false;
  }
  return true;
}

// Plain decimal: [sign] (digits [. digits*] | . digits) [(e|E) [sign] digits].
bool IsPlainDecimal(std::u16string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == u'.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
    ++i;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) ++i;
    std::size_t exponent_digits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  return i == s.size();
}

// Grouped: [sign] d{1,3} (, d{3})+ [. digits*]. Sets *has_fraction when digits follow the
// point.
bool IsGroupedDecimal(std::u16string_view s, bool* has_fraction) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) ++i;
  std::size_t lead = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++lead;
  if (lead == 0 || lead > 3) return false;
  int groups = 0;
  while (i < s.size() && s[i] == u',') {
    ++i;
    for (int k = 0; k < 3; ++k, ++i) {
      if (i >= s.size() || !IsDigit(s[i])) return false;
    }
    ++groups;
  }
  if (groups == 0) return false;
  if (i < s.size() && IsDigit(s[i])) return false;
  *has_fraction = false;
  if (i < s.size() && s[i] == u'.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, *has_fraction = true;
  }
  return i == s.size();
}

// The value of an ASCII number, rounded to 15 significant digits; false when out of range.
bool ToStoredNumber(const std::string& ascii, double* out) {
  double value = 0;
  const char* first = ascii.data();
  if (*first == '+') ++first;
  const auto [end, error] = std::from_chars(first, ascii.data() + ascii.size(), value);
  if (error != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(value)) {
    return false;
  }
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  value = std::strtod(buffer, nullptr);
  // The application's largest number; smaller magnitudes than its smallest stay text too.
  if (std::fabs(value) > 9.99999999999999e307) return false;
  if (value != 0 && std::fabs(value) < 2.2250738585072014e-308) return false;
  *out = value == 0 ? 0.0 : value;  // no negative zero
  return true;
}

}  // namespace

char16_t DetectSeparator(std::u16string_view text, char16_t preferred, bool* skip_first_line) {
  *skip_first_line = false;
  const std::size_t first_length = FirstLineLength(text);
  const std::u16string_view first = text.substr(0, first_length);
  if (first.size() == 5 && EqualsAsciiIgnoringCase(first.substr(0, 4), "SEP=")) {
    *skip_first_line = true;
    return first[4];
  }
  const char16_t other = preferred == u',' ? u'\t' : u',';
  bool quoted = false;
  bool saw_other = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'"') {
      quoted = !quoted;  // a doubled quote toggles twice
    } else if (!quoted && IsLineBreak(c)) {
      break;
    } else if (!quoted && c == preferred) {
      return preferred;
    } else if (!quoted && c == other) {
      saw_other = true;
    }
  }
  return saw_other ? other : preferred;
}

std::int64_t ParseDelimitedText(std::u16string_view text, char16_t separator,
                                const FieldSink& field) {
  std::int64_t row = 1;
  std::int64_t column = 1;
  std::u16string value;
  std::size_t i = 0;
  const std::size_t n = text.size();
  if (n == 0) return 0;
  auto emit = [&] {
    if (!value.empty()) field(row, column, value);
    value.clear();
  };
  bool at_record_start = true;
  while (i < n) {
    at_record_start = false;
    // One field.
    if (text[i] == u'"') {
      ++i;
      while (i < n) {
        if (text[i] == u'"') {
          if (i + 1 < n && text[i + 1] == u'"') {
            value.push_back(u'"');
            i += 2;
          } else {
            ++i;
            break;
          }
        } else {
          value.push_back(text[i++]);
        }
      }
    }
    while (i < n && text[i] != separator && !IsLineBreak(text[i])) value.push_back(text[i++]);
    emit();
    if (i >= n) break;
    if (text[i] == separator) {
      ++i;
      ++column;
      continue;
    }
    // Line break.
    if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
    ++i;
    ++row;
    column = 1;
    at_record_start = true;
  }
  return at_record_start ? row - 1 : row;
}

FieldValue ClassifyField(std::u16string_view field) {
  FieldValue result;
  if (field.empty() || field.size() > 400) return result;
  if (EqualsAsciiIgnoringCase(field, "TRUE") || EqualsAsciiIgnoringCase(field, "FALSE")) {
    result.kind = FieldKind::kBoolean;
    result.boolean = field.size() == 4;
    return result;
  }
  bool has_fraction = false;
  const bool plain = IsPlainDecimal(field);
  const bool grouped = !plain && IsGroupedDecimal(field, &has_fraction);
  if (!plain && !grouped) return result;
  std::string ascii;
  ascii.reserve(field.size());
  for (const char16_t c : field) {
    if (c != u',') ascii.push_back(static_cast<char>(c));
  }
  if (!ToStoredNumber(ascii, &result.number)) return result;
  result.kind = FieldKind::kNumber;
  if (grouped) result.format = has_fraction ? u"#,##0.00" : u"#,##0";
  return result;
}

}  // namespace brintova::engine::textfile
