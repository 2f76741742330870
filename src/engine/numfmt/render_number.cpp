// Renders number, scientific and fraction sections: digits into placeholders, grouping,
// scaling, exponents and fractions.
#include <cmath>
#include <cstdint>

#include "engine/numfmt/format_code.h"

namespace brintova::numfmt::internal {

namespace {

// Digits of a whole number, most significant first, into buf; returns the count (0 for zero).
int WholeDigits(std::uint64_t n, char* buf) {
  char tmp[24];
  int len = 0;
  while (n > 0) {
    tmp[len++] = static_cast<char>('0' + n % 10);
    n /= 10;
  }
  for (int i = 0; i < len; ++i) buf[i] = tmp[len - 1 - i];
  return len;
}

// Lays integer digits into the integer placeholders, right-aligned: digits beyond the
// placeholders go before the first one, unfilled placeholders show '0', ' ' or nothing.
class IntegerWriter {
 public:
  IntegerWriter(const char* digits, int length, int placeholders, bool grouping)
      : digits_(digits), length_(length), placeholders_(placeholders), grouping_(grouping) {}

  void Placeholder(Tok kind, std::u16string& out) {
    const int r = placeholders_ - 1 - index_;  // position from the right, 0 = units
    if (index_ == 0) {
      for (int p = length_ - 1; p > r; --p) Digit(digits_[length_ - 1 - p], p, out);
    }
    ++index_;
    if (r < length_) {
      Digit(digits_[length_ - 1 - r], r, out);
    } else if (kind == Tok::kDigitZero) {
      Digit('0', r, out);
    } else if (kind == Tok::kDigitSpace) {
      out.push_back(u' ');
    }
  }

  // Every digit, for a section without integer placeholders.
  void All(std::u16string& out) {
    for (int p = length_ - 1; p >= 0; --p) Digit(digits_[length_ - 1 - p], p, out);
  }

 private:
  void Digit(char c, int position, std::u16string& out) {
    out.push_back(static_cast<char16_t>(c));
    if (grouping_ && position > 0 && position % 3 == 0) out.push_back(u',');
  }

  const char* digits_;
  int length_;
  int placeholders_;
  bool grouping_;
  int index_ = 0;
};

// The integer digits of d (empty for values below one) and its first `decimals` decimals.
void SplitDigits(const Decimal& d, int decimals, char* integer, int& integer_length,
                 char* fraction) {
  integer_length = d.point > 0 ? d.point : 0;
  for (int i = 0; i < integer_length; ++i) integer[i] = i < d.count ? d.digit[i] : '0';
  for (int j = 0; j < decimals; ++j) {
    const int k = d.point + j;
    fraction[j] = (k >= 0 && k < d.count) ? d.digit[k] : '0';
  }
}

void AppendLiteral(const CompiledCode& code, const Token& t, std::u16string& out) {
  out.append(code.literal, t.start, t.length);
}

// Writes decimals; trailing zeros under '#' vanish and under '?' become spaces.
void FractionPlaceholder(Tok kind, char digit, bool trailing_zero, std::u16string& out) {
  if (!trailing_zero) {
    out.push_back(static_cast<char16_t>(digit));
  } else if (kind == Tok::kDigitZero) {
    out.push_back(u'0');
  } else if (kind == Tok::kDigitSpace) {
    out.push_back(u' ');
  }
}

// Decimals beyond the 15 significant digits are zeros anyway; this bounds the work per value.
constexpr int kMaxDecimals = 340;

void RenderPlain(const CompiledCode& code, const Section& s, double value, bool show_minus,
                 std::u16string& out) {
  Decimal d;
  ToDecimal15(value, d);
  if (d.count > 0) d.point += 2 * s.percent_count - 3 * s.scale_thousands;
  RoundToDecimals(d, s.fraction_digits);
  // Whole-number digits past the 15 significant ones are zeros; keep the buffer bounded.
  char integer[400];
  char fraction[kMaxDecimals];
  int integer_length = 0;
  if (d.point > 390) d.point = 390;
  const int decimals = s.fraction_digits < kMaxDecimals ? s.fraction_digits : kMaxDecimals;
  SplitDigits(d, decimals, integer, integer_length, fraction);
  int last_nonzero = -1;
  for (int j = 0; j < decimals; ++j) {
    if (fraction[j] != '0') last_nonzero = j;
  }
  // A number that shows as zero shows no minus sign.
  if (show_minus && value < 0 && d.count > 0) out.push_back(u'-');
  IntegerWriter ints(integer, integer_length, s.integer_digits, s.grouping);
  int j = 0;
  for (const Token& t : s.tokens) {
    switch (t.kind) {
      case Tok::kLiteral:
        AppendLiteral(code, t, out);
        break;
      case Tok::kPoint:
        if (s.integer_digits == 0) ints.All(out);
        out.push_back(u'.');
        break;
      case Tok::kDigitZero:
      case Tok::kDigitHash:
      case Tok::kDigitSpace:
        if (t.role == Role::kInteger) {
          ints.Placeholder(t.kind, out);
        } else if (j < decimals) {
          FractionPlaceholder(t.kind, fraction[j], j > last_nonzero, out);
          ++j;
        }
        break;
      default:
        break;
    }
  }
}

void AppendExponent(int exponent, bool always_sign, int min_digits, std::u16string& out) {
  if (exponent < 0) {
    out.push_back(u'-');
  } else if (always_sign) {
    out.push_back(u'+');
  }
  char buf[8];
  const int len = WholeDigits(static_cast<std::uint64_t>(std::abs(exponent)), buf);
  for (int i = len; i < min_digits; ++i) out.push_back(u'0');
  for (int i = 0; i < len; ++i) out.push_back(static_cast<char16_t>(buf[i]));
}

constexpr int kMaxPeriod = 30;

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

void RenderScientific(const CompiledCode& code, const Section& s, double value, bool show_minus,
                      std::u16string& out) {
  Decimal d;
  ToDecimal15(value, d);
  if (d.count > 0) d.point += 2 * s.percent_count;
  // Several integer placeholders make the exponent a multiple of their count (engineering
  // notation); the count is capped so that a mantissa stays short.
  const int period =
      s.integer_digits > 1 ? (s.integer_digits < kMaxPeriod ? s.integer_digits : kMaxPeriod) : 1;
  int exponent = 0;
  int mantissa_ints = 1;
  const int decimals = s.fraction_digits < kMaxDecimals ? s.fraction_digits : kMaxDecimals;
  if (d.count > 0) {
    for (int pass = 0; pass < 2; ++pass) {
      const int e10 = d.point - 1;
      exponent = FloorDiv(e10, period) * period;
      mantissa_ints = e10 - exponent + 1;
      const int before = d.point;
      RoundToSignificant(d, mantissa_ints + decimals);
      if (d.point == before) break;  // no carry into a new digit
    }
  }
  // The mantissa as a decimal with mantissa_ints integer digits.
  Decimal m = d;
  m.point = d.count > 0 ? mantissa_ints : 0;
  char integer[kMaxPeriod + 1];
  char fraction[kMaxDecimals];
  int integer_length = 0;
  SplitDigits(m, decimals, integer, integer_length, fraction);
  int last_nonzero = -1;
  for (int j = 0; j < decimals; ++j) {
    if (fraction[j] != '0') last_nonzero = j;
  }
  if (show_minus && value < 0 && d.count > 0) out.push_back(u'-');
  IntegerWriter ints(integer, integer_length, s.integer_digits, false);
  int j = 0;
  bool exponent_written = false;
  bool always_sign = false;
  for (const Token& t : s.tokens) {
    switch (t.kind) {
      case Tok::kLiteral:
        AppendLiteral(code, t, out);
        break;
      case Tok::kPoint:
        if (s.integer_digits == 0) ints.All(out);
        out.push_back(u'.');
        break;
      case Tok::kExponent:
        out.push_back(u'E');
        always_sign = t.arg != 0;
        break;
      case Tok::kDigitZero:
      case Tok::kDigitHash:
      case Tok::kDigitSpace:
        if (t.role == Role::kInteger) {
          // Zero fills every mantissa placeholder: "##0.0E+0" shows 000.0E+0.
          ints.Placeholder(d.count == 0 ? Tok::kDigitZero : t.kind, out);
        } else if (t.role == Role::kFraction) {
          if (j < decimals) FractionPlaceholder(t.kind, fraction[j], j > last_nonzero, out);
          ++j;
        } else if (t.role == Role::kExponent && !exponent_written) {
          AppendExponent(exponent, always_sign, s.exponent_digits, out);
          exponent_written = true;
        }
        break;
      default:
        break;
    }
  }
}

struct Fraction {
  std::int64_t numerator = 0;
  std::int64_t denominator = 1;
};

// The last continued-fraction convergent of x (>= 0) whose denominator is at most
// max_denominator. The application stops at convergents, never taking the closer intermediate
// fractions, and expands in doubles: 0.3 gives 2/7 with one-digit denominators, because
// 1/(1/0.3 - 3) falls just below 3.
Fraction Convergent(double x, std::int64_t max_denominator) {
  std::int64_t p0 = 0, q0 = 1, p1 = 1, q1 = 0;
  double rest = x;
  for (int i = 0; i < 64; ++i) {
    const double a_real = std::floor(rest);
    if (a_real > 9e15) break;
    const auto a = static_cast<std::int64_t>(a_real);
    if (q1 != 0 && a > (max_denominator - q0) / q1) break;
    const std::int64_t q2 = a * q1 + q0;
    const std::int64_t p2 = a * p1 + p0;
    p0 = p1, q0 = q1, p1 = p2, q1 = q2;
    // Close enough for 15 significant digits: the application stops here too.
    if (std::fabs(x - static_cast<double>(p1) / static_cast<double>(q1)) <
        1e-14 * (x > 1 ? x : 1)) {
      break;
    }
    const double f = rest - a_real;
    if (f < 1e-12) break;
    rest = 1.0 / f;
  }
  if (q1 == 0) return {0, 1};
  return {p1, q1};
}

void AppendNumberDigits(std::int64_t n, std::u16string& out) {
  char buf[24];
  const int len = WholeDigits(static_cast<std::uint64_t>(n), buf);
  for (int i = 0; i < len; ++i) out.push_back(static_cast<char16_t>(buf[i]));
}

void RenderFraction(const CompiledCode& code, const Section& s, double value, bool show_minus,
                    std::u16string& out) {
  // The application splits the double itself, not its 15-digit form, and the fraction
  // search sees the rounding errors of that split (see Convergent).
  const double v = std::fabs(value);
  const bool has_integer = s.integer_digits > 0;
  const double whole = has_integer ? std::floor(v) : 0;
  const double x = v - whole;
  char integer[400];
  int integer_length = 0;
  if (whole >= 1e15) {
    Decimal w;
    ToDecimal15(whole, w);
    integer_length = w.point > 390 ? 390 : w.point;
    for (int i = 0; i < integer_length; ++i) integer[i] = i < w.count ? w.digit[i] : '0';
  } else if (whole >= 1) {
    integer_length = WholeDigits(static_cast<std::uint64_t>(whole), integer);
  }
  Fraction f;
  if (s.fixed_denominator > 0) {
    f.denominator = s.fixed_denominator;
    const double scaled = std::floor(x * static_cast<double>(s.fixed_denominator) + 0.5);
    f.numerator = scaled > 9e15 ? 0 : static_cast<std::int64_t>(scaled);
  } else if (x < 9e15) {
    const int den_digits = s.denominator_digits > 9 ? 9 : s.denominator_digits;
    std::int64_t max_den = 1;
    for (int i = 0; i < den_digits; ++i) max_den *= 10;
    f = Convergent(x, max_den - 1);
  }
  if (has_integer && f.numerator >= f.denominator && f.denominator > 0) {
    // The fraction rounds up to one: carry it into the whole digits.
    int i = integer_length - 1;
    while (i >= 0 && integer[i] == '9') integer[i--] = '0';
    if (i >= 0) {
      ++integer[i];
    } else if (integer_length < 390) {
      for (int k = integer_length; k > 0; --k) integer[k] = integer[k - 1];
      integer[0] = '1';
      ++integer_length;
    }
    f.numerator = 0;
  }
  const bool blank_fraction = has_integer && f.numerator == 0;
  if (blank_fraction && integer_length == 0) integer[integer_length++] = '0';  // at least "0"
  const bool shows_nonzero =
      f.numerator != 0 || (integer_length > 0 && !(integer_length == 1 && integer[0] == '0'));
  if (show_minus && value < 0 && shows_nonzero) out.push_back(u'-');
  IntegerWriter ints(integer, integer_length, s.integer_digits, s.grouping);
  char num[24], den[24];
  int num_len = WholeDigits(static_cast<std::uint64_t>(f.numerator), num);
  if (num_len == 0) num[num_len++] = '0';
  const int den_len = WholeDigits(static_cast<std::uint64_t>(f.denominator), den);
  int num_index = 0, den_index = 0;
  bool in_fraction = false;  // past the last integer placeholder
  int integers_seen = 0;
  for (const Token& t : s.tokens) {
    const bool blank = blank_fraction && in_fraction;
    switch (t.kind) {
      case Tok::kLiteral:
        if (blank && den_index < (s.fixed_denominator > 0 ? 1 : s.denominator_digits)) {
          out.append(t.length, u' ');
        } else {
          AppendLiteral(code, t, out);
        }
        break;
      case Tok::kSlash:
        out.push_back(blank ? u' ' : u'/');
        break;
      case Tok::kDigitZero:
      case Tok::kDigitHash:
      case Tok::kDigitSpace:
        if (t.role == Role::kInteger) {
          ints.Placeholder(t.kind, out);
          if (++integers_seen == s.integer_digits) in_fraction = true;
        } else if (t.role == Role::kNumerator) {
          in_fraction = true;
          const int r = s.numerator_digits - 1 - num_index;
          if (blank) {
            out.push_back(u' ');
          } else {
            if (num_index == 0) {
              for (int p = num_len - 1; p > r; --p)
                out.push_back(static_cast<char16_t>(num[num_len - 1 - p]));
            }
            if (r < num_len) {
              out.push_back(static_cast<char16_t>(num[num_len - 1 - r]));
            } else if (t.kind == Tok::kDigitZero) {
              out.push_back(u'0');
            } else if (t.kind == Tok::kDigitSpace) {
              out.push_back(u' ');
            }
          }
          ++num_index;
        } else if (t.role == Role::kDenominator) {
          if (s.fixed_denominator > 0) {
            if (blank) {
              out.append(static_cast<std::size_t>(den_len), u' ');
            } else {
              AppendNumberDigits(s.fixed_denominator, out);
            }
          } else if (blank) {
            out.push_back(u' ');
          } else {
            if (den_index < den_len) {
              out.push_back(static_cast<char16_t>(den[den_index]));
              if (den_index == s.denominator_digits - 1) {
                for (int k = den_index + 1; k < den_len; ++k)
                  out.push_back(static_cast<char16_t>(den[k]));
              }
            } else if (t.kind != Tok::kDigitHash) {
              out.push_back(u' ');
            }
          }
          ++den_index;
        }
        break;
      default:
        break;
    }
  }
}

}  // namespace

void RenderNumberSection(const CompiledCode& code, const Section& s, double value, bool show_minus,
                         std::u16string& out) {
  switch (s.kind) {
    case SectionKind::kScientific:
      RenderScientific(code, s, value, show_minus, out);
      return;
    case SectionKind::kFraction:
      RenderFraction(code, s, value, show_minus, out);
      return;
    default:
      RenderPlain(code, s, value, show_minus, out);
      return;
  }
}

}  // namespace brintova::numfmt::internal
