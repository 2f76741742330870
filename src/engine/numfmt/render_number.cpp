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
// placeholders go before the first one, unfilled placeholders show '0', ' ' or nothing. A blank
// '?' blanks its thousands separator too, so that grouped columns keep their width.
class IntegerWriter {
 public:
  IntegerWriter(const char* digits, int length, int placeholders, bool grouping, char16_t zero)
      : digits_(digits),
        length_(length),
        placeholders_(placeholders),
        grouping_(grouping),
        zero_(zero),
        separator_(zero == u'0' ? u',' : kGroupMark) {}

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
      if (grouping_ && r > 0 && r % 3 == 0) out.push_back(u' ');
    }
  }

  // Whether the whole part shows a digit (its own, or a 0 placeholder's).
  bool ShowedDigit() const { return length_ > 0 || digit_shown_; }

  // Every digit, for a section without integer placeholders.
  void All(std::u16string& out) {
    for (int p = length_ - 1; p >= 0; --p) Digit(digits_[length_ - 1 - p], p, out);
  }

 private:
  void Digit(char c, int position, std::u16string& out) {
    out.push_back(static_cast<char16_t>(zero_ + (c - '0')));
    digit_shown_ = true;
    if (grouping_ && position > 0 && position % 3 == 0) out.push_back(separator_);
  }

  const char* digits_;
  int length_;
  int placeholders_;
  bool grouping_;
  char16_t zero_;
  char16_t separator_;
  int index_ = 0;
  bool digit_shown_ = false;
};

// The first code unit of a section's digits: '0', or the markers that native numerals replace.
struct DigitBase {
  char16_t whole = u'0';
  char16_t single = u'0';
  explicit DigitBase(const Section& s)
      : whole(s.numerals != 0 ? kWholeDigit : u'0'),
        single(s.numerals != 0 ? kSingleDigit : u'0') {}
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
void FractionPlaceholder(Tok kind, char digit, bool trailing_zero, char16_t zero,
                         std::u16string& out) {
  if (!trailing_zero) {
    out.push_back(static_cast<char16_t>(zero + (digit - '0')));
  } else if (kind == Tok::kDigitZero) {
    out.push_back(zero);
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
  const DigitBase base(s);
  IntegerWriter ints(integer, integer_length, s.integer_digits, s.grouping, base.whole);
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
          FractionPlaceholder(t.kind, fraction[j], j > last_nonzero, base.single, out);
          ++j;
        }
        break;
      default:
        break;
    }
  }
}

void AppendExponentDigits(int exponent, int min_digits, char16_t zero, std::u16string& out) {
  char buf[8];
  const int len = WholeDigits(static_cast<std::uint64_t>(std::abs(exponent)), buf);
  for (int i = len; i < min_digits; ++i) out.push_back(zero);
  for (int i = 0; i < len; ++i) out.push_back(static_cast<char16_t>(zero + (buf[i] - '0')));
}

constexpr int kMaxPeriod = 30;

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

void RenderScientific(const CompiledCode& code, const Section& s, double value, bool show_minus,
                      std::u16string& out) {
  // A percent sign in a scientific section does not scale the value.
  Decimal d;
  ToDecimal15(value, d);
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
  const DigitBase base(s);
  IntegerWriter ints(integer, integer_length, s.integer_digits, s.grouping, base.whole);
  int j = 0;
  bool exponent_written = false;
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
        // The sign belongs to the letter; literal text may sit between it and the digits.
        out.push_back((t.arg & kExponentLowerCase) ? u'e' : u'E');
        if (exponent < 0) {
          out.push_back(u'-');
        } else if (t.arg & kExponentAlwaysSign) {
          out.push_back(u'+');
        }
        break;
      case Tok::kDigitZero:
      case Tok::kDigitHash:
      case Tok::kDigitSpace:
        if (t.role == Role::kInteger) {
          // Zero fills every mantissa placeholder: "##0.0E+0" shows 000.0E+0.
          ints.Placeholder(d.count == 0 ? Tok::kDigitZero : t.kind, out);
        } else if (t.role == Role::kFraction) {
          if (j < decimals) {
            FractionPlaceholder(t.kind, fraction[j], j > last_nonzero, base.single, out);
          }
          ++j;
        } else if (t.role == Role::kExponent && !exponent_written) {
          AppendExponentDigits(exponent, s.exponent_digits, base.single, out);
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

void AppendNumberDigits(std::int64_t n, char16_t zero, std::u16string& out) {
  char buf[24];
  const int len = WholeDigits(static_cast<std::uint64_t>(n), buf);
  for (int i = 0; i < len; ++i) out.push_back(static_cast<char16_t>(zero + (buf[i] - '0')));
}

// Numerator digits, right-aligned in their placeholders as a whole number's are.
void AppendNumerator(Tok kind, int r, bool first, const char* digits, int length, char16_t zero,
                     std::u16string& out) {
  if (first) {
    for (int p = length - 1; p > r; --p) {
      out.push_back(static_cast<char16_t>(zero + (digits[length - 1 - p] - '0')));
    }
  }
  if (r < length) {
    out.push_back(static_cast<char16_t>(zero + (digits[length - 1 - r] - '0')));
  } else if (kind == Tok::kDigitZero) {
    out.push_back(zero);
  } else if (kind == Tok::kDigitSpace) {
    out.push_back(u' ');
  }
}

// The denominator, written once for all its placeholders (first.. first + count): digits
// right-aligned and padded with zeros where a 0 placeholder is unfilled, while the blanks of
// unfilled '?' placeholders follow the digits so that the digits stay against the bar.
void AppendDenominator(const Token* first, int count, const char* digits, int length, char16_t zero,
                       std::u16string& out) {
  int blanks = 0;
  for (int i = 0; i < count; ++i) {
    const int r = count - 1 - i;
    if (i == 0) {
      for (int p = length - 1; p > r; --p) {
        out.push_back(static_cast<char16_t>(zero + (digits[length - 1 - p] - '0')));
      }
    }
    if (r < length) {
      out.push_back(static_cast<char16_t>(zero + (digits[length - 1 - r] - '0')));
    } else if (first[i].kind == Tok::kDigitZero) {
      out.push_back(zero);
    } else if (first[i].kind == Tok::kDigitSpace) {
      ++blanks;
    }
  }
  out.append(static_cast<std::size_t>(blanks), u' ');
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
  // A numerator of zero blanks the fraction, unless a 0 placeholder asks for it to show.
  const bool blank_fraction = has_integer && f.numerator == 0 && !s.numerator_shows_zero;
  if (blank_fraction && integer_length == 0) integer[integer_length++] = '0';  // at least "0"
  // The sign belongs to the value: a negative fraction that rounds to zero keeps it.
  if (show_minus && value < 0) out.push_back(u'-');
  const DigitBase base(s);
  IntegerWriter ints(integer, integer_length, s.integer_digits, s.grouping, base.whole);
  char num[24], den[24];
  int num_len = WholeDigits(static_cast<std::uint64_t>(f.numerator), num);
  if (num_len == 0) num[num_len++] = '0';
  const int den_len = WholeDigits(static_cast<std::uint64_t>(f.denominator), den);
  const int den_placeholders = s.fixed_denominator > 0 ? 1 : s.denominator_digits;
  int num_index = 0, den_index = 0;
  bool in_fraction = false;  // past the last integer placeholder
  int integers_seen = 0;
  for (const Token& t : s.tokens) {
    const bool blank = blank_fraction && in_fraction;
    switch (t.kind) {
      case Tok::kLiteral:
        if (t.role == Role::kSeparator && !ints.ShowedDigit()) {
          // A whole part that shows nothing takes its text with it; spaces keep the alignment.
          for (std::uint32_t k = 0; k < t.length; ++k) {
            if (code.literal[t.start + k] == u' ') out.push_back(u' ');
          }
        } else if (blank && den_index < den_placeholders) {
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
          if (blank) {
            out.push_back(u' ');
          } else {
            AppendNumerator(t.kind, s.numerator_digits - 1 - num_index, num_index == 0, num,
                            num_len, base.whole, out);
          }
          ++num_index;
        } else if (t.role == Role::kDenominator) {
          if (s.fixed_denominator > 0) {
            if (blank) {
              out.append(static_cast<std::size_t>(den_len), u' ');
            } else {
              AppendNumberDigits(s.fixed_denominator, base.whole, out);
            }
          } else if (blank) {
            out.push_back(u' ');
          } else if (den_index == 0) {
            AppendDenominator(&t, s.denominator_digits, den, den_len, base.whole, out);
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
  const std::size_t from = out.size();
  switch (s.kind) {
    case SectionKind::kScientific:
      RenderScientific(code, s, value, show_minus, out);
      break;
    case SectionKind::kFraction:
      RenderFraction(code, s, value, show_minus, out);
      break;
    default:
      RenderPlain(code, s, value, show_minus, out);
      break;
  }
  if (s.numerals != 0) ApplyNumerals(s.locale, s.numerals, false, out, from);
}

}  // namespace brintova::numfmt::internal
