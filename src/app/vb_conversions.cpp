// Number parsing shared by start-up (the saved operation) and the run (typed parameters).
#include "app/vb_conversions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "platform/failure.h"
#include "platform/text.h"

namespace brintova {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Scans a number starting at `pos`, skipping blanks inside it when `blanks_inside` is set.
// Appends the number in C locale form to `out` and returns the position after it; `digits`
// tells whether any mantissa digit was seen.
std::size_t ScanNumber(std::u16string_view text, std::size_t pos, bool blanks_inside,
                       std::string& out, bool& digits) {
  const auto skip = [&](std::size_t p) {
    while (blanks_inside && p < text.size() && IsBlank(text[p])) ++p;
    return p;
  };
  digits = false;
  pos = skip(pos);
  if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
    out.push_back(static_cast<char>(text[pos]));
    pos = skip(pos + 1);
  }
  bool point = false;
  while (pos < text.size()) {
    const char16_t c = text[pos];
    if (IsDigit(c)) {
      out.push_back(static_cast<char>(c));
      digits = true;
    } else if (c == u'.' && !point) {
      out.push_back('.');
      point = true;
    } else {
      break;
    }
    pos = skip(pos + 1);
  }
  if (!digits || pos >= text.size()) return pos;
  const char16_t e = text[pos];
  if (e != u'e' && e != u'E' && e != u'd' && e != u'D') return pos;
  // The exponent counts only when digits follow it.
  std::string exponent = "e";
  std::size_t p = skip(pos + 1);
  if (p < text.size() && (text[p] == u'+' || text[p] == u'-')) {
    exponent.push_back(static_cast<char>(text[p]));
    p = skip(p + 1);
  }
  bool exponent_digits = false;
  while (p < text.size() && IsDigit(text[p])) {
    exponent.push_back(static_cast<char>(text[p]));
    exponent_digits = true;
    p = skip(p + 1);
  }
  if (!exponent_digits) return pos;
  out += exponent;
  return p;
}

// The decimal exponent of the first significant digit of an unsigned number as ScanNumber
// writes it ("123.4" gives 3, "0.05" gives -1, "5e-400" gives -399), saturated far past the
// range of a double. Only called for a number that has a significant digit.
long long MagnitudeOf(std::string_view number) {
  constexpr long long kFar = 1'000'000;
  const std::size_t e = number.find('e');
  const std::string_view mantissa = number.substr(0, e);
  long long exponent = 0;
  if (e != std::string_view::npos) {
    std::size_t i = e + 1;
    const bool negative = i < number.size() && number[i] == '-';
    if (i < number.size() && (number[i] == '-' || number[i] == '+')) ++i;
    for (; i < number.size(); ++i) exponent = std::min(exponent * 10 + (number[i] - '0'), kFar);
    if (negative) exponent = -exponent;
  }
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const std::size_t first = mantissa.find_first_not_of("0.");
  const long long position =
      first < point ? static_cast<long long>(point - first)        // digits before the point
                    : -static_cast<long long>(first - point - 1);  // zeros after the point
  return position + exponent;
}

// Locale-independent: the program's locale may use a decimal comma.
double ToDouble(const std::string& number) {
  std::size_t start = (!number.empty() && (number[0] == '+' || number[0] == '-')) ? 1 : 0;
  double value = 0.0;
  const auto [end, error] =
      std::from_chars(number.data() + start, number.data() + number.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    // Too small to tell from zero (a long run of zeros after the point is as small as a large
    // negative exponent), or too large for any range a caller asks for.
    value = MagnitudeOf(std::string_view(number).substr(start)) <= 0 ? 0.0 : HUGE_VAL;
  }
  return (start == 1 && number[0] == '-') ? -value : value;
}

std::string Quoted(std::u16string_view text) { return "\"" + ToUtf8(text) + "\""; }

}  // namespace

double LeadingNumber(std::u16string_view text) {
  std::string number;
  bool digits = false;
  ScanNumber(text, 0, true, number, digits);
  return digits ? ToDouble(number) : 0.0;
}

double RoundHalfToEven(double value) {
  const double floor = std::floor(value);
  const double diff = value - floor;
  if (diff < 0.5) return floor;
  if (diff > 0.5) return floor + 1.0;
  return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

std::int16_t ConvertToInt16(std::u16string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  std::string number;
  bool digits = false;
  pos = ScanNumber(text, pos, false, number, digits);
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  if (!digits || pos != text.size()) {
    throw Failure("Type mismatch: " + Quoted(text) + " is not a number", kFailureTypeMismatch);
  }
  const double rounded = RoundHalfToEven(ToDouble(number));
  if (!(rounded >= -32768.0 && rounded <= 32767.0)) {
    throw Failure("Overflow: " + Quoted(text) + " is outside -32768 to 32767", kFailureOverflow);
  }
  return static_cast<std::int16_t>(rounded);
}

}  // namespace brintova
