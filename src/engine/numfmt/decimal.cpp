// Decimal digits of a double as the application keeps them (15 significant digits), rounding
// half away from zero, and the General number format built on them.
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "engine/numfmt/format_code.h"

namespace brintova::numfmt::internal {

namespace {

void StripTrailingZeros(Decimal& d) {
  while (d.count > 0 && d.digit[d.count - 1] == '0') --d.count;
  if (d.count == 0) d.point = 0;
}

// Keeps the first `keep` digits (keep may be <= 0), rounding half away from zero.
void KeepDigits(Decimal& d, int keep) {
  if (keep >= d.count) return;
  if (keep < 0) {
    d.count = 0;
    d.point = 0;
    return;
  }
  const bool up = d.digit[keep] >= '5';
  d.count = keep;
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.digit[i] == '9') {
      d.digit[i] = '0';
      --i;
    }
    if (i >= 0) {
      ++d.digit[i];
    } else {
      // All nines carried out: the value is 10^point.
      d.digit[0] = '1';
      d.count = 1;
      ++d.point;
      return;
    }
  }
  StripTrailingZeros(d);
}

// Reads "d.ddde[+-]xx" from to_chars into `out`, trailing zeros dropped.
void ReadDigits(const char* p, const char* end, Decimal& out) {
  int n = 0;
  out.digit[n++] = *p++;
  if (p < end && *p == '.') ++p;
  while (p < end && *p != 'e' && n < static_cast<int>(sizeof out.digit)) out.digit[n++] = *p++;
  int exponent = 0;
  if (p < end && *p == 'e') {
    ++p;
    std::from_chars(*p == '+' ? p + 1 : p, end, exponent);
  }
  out.count = n;
  out.point = exponent + 1;
  StripTrailingZeros(out);
}

// Powers of ten up to the largest one a long double of 64 bits holds exactly (5^27 < 2^63).
constexpr int kExactPowers = 28;
constexpr auto kPowersOfTen = [] {
  std::array<long double, kExactPowers> powers{};
  long double power = 1;
  for (long double& p : powers) {
    p = power;
    power *= 10;
  }
  return powers;
}();

// The 15 digits of `value` (positive, not a whole number, below 10^15) the quick way where one
// can be sure of them: `value` times the power of ten that leaves 15 digits before the point,
// rounded to a whole number. In a 64-bit significand the product is off by under 2^-64 of it,
// less than 6e-5 below 10^15, so the rounding is sure unless the part past the point lies that
// close to a half; then, and for a power of ten past the exact ones, it answers false.
bool ScaledDigits(double value, Decimal& out) {
  if constexpr (std::numeric_limits<long double>::digits < 64) {
    return false;
  } else {
    // The decade of `value` from its binary exponent: this one or the next, which the digit
    // count below tells apart.
    int exponent = static_cast<int>(std::floor(std::ilogb(value) * 0.30102999566398120));
    for (int attempt = 0; attempt < 2; ++attempt) {
      const int scale = 14 - exponent;
      if (scale < 0 || scale >= kExactPowers) return false;
      const long double scaled = static_cast<long double>(value) * kPowersOfTen[scale];
      const long double whole = std::floor(scaled);
      const long double part = scaled - whole;
      if (std::fabs(part - 0.5L) < 1e-4L) return false;
      auto digits = static_cast<std::uint64_t>(whole) + (part > 0.5L ? 1 : 0);
      if (digits > 1000000000000000u) {
        ++exponent;
        continue;
      }
      if (digits == 1000000000000000u) {  // rounded up into the next decade
        digits /= 10;
        ++exponent;
      }
      for (int i = 14; i >= 0; --i) {
        out.digit[i] = static_cast<char>('0' + digits % 10);
        digits /= 10;
      }
      out.count = 15;
      out.point = exponent + 1;
      StripTrailingZeros(out);
      return true;
    }
    return false;
  }
}

}  // namespace

void ToDecimal15(double value, Decimal& out) {
  value = std::fabs(value);
  out.count = 0;
  out.point = 0;
  if (value == 0) return;
  if (value < 1e15 && value == std::floor(value)) {
    // Whole numbers below 10^15 are exact in 15 digits.
    auto n = static_cast<std::uint64_t>(value);
    char buf[20];
    int len = 0;
    while (n > 0) {
      buf[len++] = static_cast<char>('0' + n % 10);
      n /= 10;
    }
    for (int i = 0; i < len; ++i) out.digit[i] = buf[len - 1 - i];
    out.count = len;
    out.point = len;
    StripTrailingZeros(out);
    return;
  }
  if (ScaledDigits(value, out)) return;
  char buf[40];
  const auto rounded =
      std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
  ReadDigits(buf, rounded.ptr, out);
}

void RoundToDecimals(Decimal& d, int decimals) {
  if (d.count == 0) return;
  KeepDigits(d, d.point + decimals);
}

void RoundToSignificant(Decimal& d, int significant) {
  if (d.count == 0) return;
  KeepDigits(d, significant);
}

namespace {

// General fits a number in this many characters, sign and point included.
constexpr int kGeneralWidth = 11;

void AppendExponentForm(const Decimal& src, bool negative, std::u16string& out) {
  // d.ddddE+xx; the mantissa keeps as many digits as the width allows.
  Decimal d = src;
  int exponent = d.point - 1;
  int exp_len = (std::abs(exponent) >= 100) ? 3 : 2;
  int room = kGeneralWidth - 2 - exp_len;      // "E+" and the exponent; the sign is free
  int significant = room >= 2 ? room - 1 : 1;  // "d." takes two
  RoundToSignificant(d, significant);
  exponent = d.point - 1;
  exp_len = (std::abs(exponent) >= 100) ? 3 : 2;
  if (negative) out.push_back(u'-');
  out.push_back(static_cast<char16_t>(d.digit[0]));
  if (d.count > 1) {
    out.push_back(u'.');
    for (int i = 1; i < d.count; ++i) out.push_back(static_cast<char16_t>(d.digit[i]));
  }
  out.push_back(u'E');
  out.push_back(exponent < 0 ? u'-' : u'+');
  int e = std::abs(exponent);
  char buf[4];
  for (int i = exp_len - 1; i >= 0; --i) {
    buf[i] = static_cast<char>('0' + e % 10);
    e /= 10;
  }
  for (int i = 0; i < exp_len; ++i) out.push_back(static_cast<char16_t>(buf[i]));
}

void AppendPlain(const Decimal& d, bool negative, std::u16string& out) {
  if (negative) out.push_back(u'-');
  if (d.count == 0) {
    out.push_back(u'0');
    return;
  }
  if (d.point <= 0) {
    out.push_back(u'0');
    out.push_back(u'.');
    for (int i = d.point; i < 0; ++i) out.push_back(u'0');
    for (int i = 0; i < d.count; ++i) out.push_back(static_cast<char16_t>(d.digit[i]));
    return;
  }
  for (int i = 0; i < d.point; ++i) {
    out.push_back(i < d.count ? static_cast<char16_t>(d.digit[i]) : u'0');
  }
  if (d.count > d.point) {
    out.push_back(u'.');
    for (int i = d.point; i < d.count; ++i) out.push_back(static_cast<char16_t>(d.digit[i]));
  }
}

}  // namespace

void AppendGeneral(double value, std::u16string& out) {
  Decimal d;
  ToDecimal15(value, d);
  const bool negative = value < 0 && d.count > 0;
  if (d.count == 0) {
    out.push_back(u'0');
    return;
  }
  // The minus sign does not count against the width.
  const int sign = 0;
  if (d.point > kGeneralWidth - sign) {
    AppendExponentForm(d, negative, out);
    return;
  }
  // Plain form: integer digits, then as many decimals as the width leaves.
  const int int_len = d.point > 0 ? d.point : 1;
  const int decimals = kGeneralWidth - sign - int_len - 1;
  Decimal plain = d;
  RoundToDecimals(plain, decimals < 0 ? 0 : decimals);
  if (plain.point > kGeneralWidth - sign) {  // rounding carried into one more digit
    AppendExponentForm(d, negative, out);
    return;
  }
  if (d.point <= 0) {
    // Small magnitudes: the plain form wins while it shows all the digits or at least as many
    // as the exponent form would.
    int exp_digits = kGeneralWidth - sign - 2 - 2 - 1;
    if (d.point - 1 <= -100) --exp_digits;
    if (plain.count < d.count && (plain.count < exp_digits || plain.count == 0) &&
        plain.count < d.count) {
      if (plain.count < (d.count < exp_digits ? d.count : exp_digits)) {
        AppendExponentForm(d, negative, out);
        return;
      }
    }
  }
  AppendPlain(plain, negative && plain.count > 0, out);
}

}  // namespace brintova::numfmt::internal
