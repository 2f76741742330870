// The layout of a lexed section: which placeholders are integer digits, decimals, exponent,
// numerator or denominator, what commas mean, and which date letters are minutes or elapsed time.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/numfmt/format_code.h"

namespace brintova::numfmt::internal {

namespace {

constexpr std::size_t kNone = std::u16string::npos;

bool IsDigitToken(Tok k) {
  return k == Tok::kDigitZero || k == Tok::kDigitHash || k == Tok::kDigitSpace;
}

bool IsDateToken(Tok k) { return k >= Tok::kYear2 && k <= Tok::kElapsedSeconds; }

bool IsElapsed(Tok k) {
  return k == Tok::kElapsedHours || k == Tok::kElapsedMinutes || k == Tok::kElapsedSeconds;
}

bool IsElapsedMinutes(Tok k) { return k == Tok::kElapsedMinutes; }
bool IsHour(Tok k) { return k == Tok::kHour || k == Tok::kHour2 || k == Tok::kElapsedHours; }
bool IsSecond(Tok k) {
  return k == Tok::kSecond || k == Tok::kSecond2 || k == Tok::kElapsedSeconds;
}

class Layout {
 public:
  Layout(CompiledCode& code, Section& s) : code_(code), s_(s), v_(s.tokens) {}

  void Run() {
    bool date = false, general = false, exponent = false, digits = false;
    for (const Token& t : v_) {
      date = date || IsDateToken(t.kind);
      general = general || t.kind == Tok::kGeneral;
      exponent = exponent || t.kind == Tok::kExponent;
      digits = digits || IsDigitToken(t.kind);
    }
    if (date) {
      Date();
    } else if (general) {
      s_.kind = SectionKind::kGeneral;
      LiteralsExcept(Tok::kGeneral);
    } else if (!digits) {
      s_.kind = SectionKind::kLiteral;
      LiteralsExcept(Tok::kText);
    } else if (exponent) {
      Scientific();
    } else if (!Fraction()) {
      Number();
    }
    MergeLiterals();
  }

 private:
  void MakeLiteral(Token& t, std::u16string_view text) {
    t.kind = Tok::kLiteral;
    t.role = Role::kNone;
    t.start = static_cast<std::uint32_t>(code_.literal.size());
    t.length = static_cast<std::uint32_t>(text.size());
    code_.literal.append(text);
  }

  // The text a token stands for when it has no special meaning in its section.
  static std::u16string_view PlainText(const Token& t) {
    switch (t.kind) {
      case Tok::kDigitZero:
        return u"0";
      case Tok::kDigitHash:
        return u"#";
      case Tok::kDigitSpace:
        return u"?";
      case Tok::kPoint:
        return u".";
      case Tok::kComma:
        return u",";
      case Tok::kSlash:
        return u"/";
      case Tok::kExponent:
        return (t.arg & kExponentLowerCase) ? ((t.arg & kExponentAlwaysSign) ? u"e+" : u"e-")
                                            : ((t.arg & kExponentAlwaysSign) ? u"E+" : u"E-");
      default:
        return u"";
    }
  }

  void LiteralsExcept(Tok keep) {
    for (Token& t : v_) {
      if (t.kind != keep && t.kind != Tok::kLiteral && t.kind != Tok::kText) {
        MakeLiteral(t, PlainText(t));
      }
    }
  }

  void Date() {
    s_.kind = SectionKind::kDateTime;
    bool minutes_seen = false;
    for (std::size_t i = 0; i < v_.size(); ++i) {
      Token& t = v_[i];
      if (t.kind == Tok::kPoint && i + 1 < v_.size() && v_[i + 1].kind == Tok::kDigitZero) {
        i = SubSecond(i);
        continue;
      }
      if (t.kind == Tok::kMonth || t.kind == Tok::kMonth2) {
        // m is minutes right after an hour or elapsed minutes, right before a second, and right
        // after a second while the section has no minutes yet ("s:m"; in "hh:mm:ss m" the last
        // m is a month).
        if (PreviousDateToken(i, IsHour) || PreviousDateToken(i, IsElapsedMinutes) ||
            NextDateToken(i, IsSecond) || (PreviousDateToken(i, IsSecond) && !minutes_seen)) {
          t.kind = t.kind == Tok::kMonth ? Tok::kMinute : Tok::kMinute2;
          minutes_seen = true;
        }
        continue;
      }
      if (t.kind == Tok::kElapsedMinutes) minutes_seen = true;
      if (!IsDateToken(t.kind) && t.kind != Tok::kLiteral && t.kind != Tok::kText) {
        MakeLiteral(t, PlainText(t));
      }
    }
    StayElapsed();
    EraYears();
    s_.elapsed_only = true;
    for (const Token& t : v_) {
      if (IsDateToken(t.kind) && !IsElapsed(t.kind)) s_.elapsed_only = false;
    }
  }

  // ".000" after seconds: up to three digits of the second; more zeros are literal zeros.
  std::size_t SubSecond(std::size_t i) {
    std::size_t n = 0;
    while (i + 1 + n < v_.size() && v_[i + 1 + n].kind == Tok::kDigitZero) ++n;
    const std::size_t shown = n > 3 ? 3 : n;
    v_[i].kind = Tok::kSubSecond;
    v_[i].arg = static_cast<std::uint8_t>(shown);
    if (static_cast<int>(shown) > s_.subsecond_digits) {
      s_.subsecond_digits = static_cast<int>(shown);
    }
    for (std::size_t k = 0; k < n; ++k) MakeLiteral(v_[i + 1 + k], k < shown ? u"" : u"0");
    return i + n;
  }

  // In a Japanese section that shows an era, y and yy count the years of the era.
  void EraYears() {
    if (s_.locale != Locale::kJapanese) return;
    bool era = false;
    for (const Token& t : v_) era = era || t.kind == Tok::kEra;
    if (!era) return;
    for (Token& t : v_) {
      if (t.kind == Tok::kYear2) {
        t.kind = Tok::kEraYear;
        t.arg = 2;
      }
    }
  }

  // After [h], [m] or [s], a plain h, m or s of the same unit counts the same elapsed time.
  void StayElapsed() {
    bool hours = false, minutes = false, seconds = false;
    for (Token& t : v_) {
      switch (t.kind) {
        case Tok::kElapsedHours:
          hours = true;
          break;
        case Tok::kElapsedMinutes:
          minutes = true;
          break;
        case Tok::kElapsedSeconds:
          seconds = true;
          break;
        case Tok::kHour:
        case Tok::kHour2:
          if (hours) Elapse(t, Tok::kElapsedHours, t.kind == Tok::kHour ? 1 : 2);
          break;
        case Tok::kMinute:
        case Tok::kMinute2:
          if (minutes) Elapse(t, Tok::kElapsedMinutes, t.kind == Tok::kMinute ? 1 : 2);
          break;
        case Tok::kSecond:
        case Tok::kSecond2:
          if (seconds) Elapse(t, Tok::kElapsedSeconds, t.kind == Tok::kSecond ? 1 : 2);
          break;
        default:
          break;
      }
    }
  }

  void Elapse(Token& t, Tok kind, int width) {
    t.kind = kind;
    t.arg = static_cast<std::uint8_t>(width);
    s_.elapsed = true;
  }

  template <typename Pred>
  bool PreviousDateToken(std::size_t i, Pred pred) const {
    while (i-- > 0) {
      if (IsDateToken(v_[i].kind)) return pred(v_[i].kind);
    }
    return false;
  }

  template <typename Pred>
  bool NextDateToken(std::size_t i, Pred pred) const {
    for (++i; i < v_.size(); ++i) {
      if (IsDateToken(v_[i].kind)) return pred(v_[i].kind);
    }
    return false;
  }

  bool AnyDigit(std::size_t from, std::size_t to) const {
    for (std::size_t k = from; k < to; ++k) {
      if (IsDigitToken(v_[k].kind)) return true;
    }
    return false;
  }

  // Commas of a number section: grouping between integer placeholders, scaling right after the
  // last placeholder of a run, a literal anywhere else.
  void NumberCommas(std::size_t point) {
    enum class Use { kOther, kGrouping, kScaling, kLiteral };
    std::vector<Use> use(v_.size(), Use::kOther);
    for (std::size_t i = 0; i < v_.size(); ++i) {
      if (v_[i].kind != Tok::kComma) continue;
      const bool before = AnyDigit(0, i);
      const bool in_integer = point == kNone || i < point;
      const bool after = AnyDigit(i + 1, in_integer && point != kNone ? point : v_.size());
      if (before && after && in_integer) {
        use[i] = Use::kGrouping;
        continue;
      }
      // Scaling: directly after a placeholder or a chain of commas that follows one.
      std::size_t k = i;
      while (k > 0 && v_[k - 1].kind == Tok::kComma) --k;
      const bool follows_digit = k > 0 && IsDigitToken(v_[k - 1].kind);
      use[i] = (before && !after && follows_digit) ? Use::kScaling : Use::kLiteral;
    }
    for (std::size_t i = 0; i < v_.size(); ++i) {
      if (use[i] == Use::kGrouping) {
        s_.grouping = true;
        MakeLiteral(v_[i], u"");
      } else if (use[i] == Use::kScaling) {
        ++s_.scale_thousands;
        MakeLiteral(v_[i], u"");
      } else if (use[i] == Use::kLiteral) {
        MakeLiteral(v_[i], u",");
      }
    }
  }

  void Number() {
    s_.kind = SectionKind::kNumber;
    std::size_t point = kNone;
    for (std::size_t i = 0; i < v_.size(); ++i) {
      if (v_[i].kind != Tok::kPoint) continue;
      if (point == kNone) {
        point = i;
      } else {
        MakeLiteral(v_[i], u".");
      }
    }
    NumberCommas(point);
    for (std::size_t i = 0; i < v_.size(); ++i) {
      Token& t = v_[i];
      if (IsDigitToken(t.kind)) {
        if (point == kNone || i < point) {
          t.role = Role::kInteger;
          ++s_.integer_digits;
        } else {
          t.role = Role::kFraction;
          ++s_.fraction_digits;
        }
      } else if (t.kind == Tok::kSlash || t.kind == Tok::kExponent) {
        MakeLiteral(t, PlainText(t));
      }
    }
  }

  // A scientific section never scales: % is only its sign, and a comma shows nothing; between
  // the mantissa's integer placeholders it groups their digits by thousands.
  void Scientific() {
    s_.kind = SectionKind::kScientific;
    std::size_t e = 0;
    while (v_[e].kind != Tok::kExponent) ++e;
    std::size_t point = kNone;
    for (std::size_t i = 0; i < e; ++i) {
      if (v_[i].kind == Tok::kPoint) {
        point = i;
        break;
      }
    }
    const std::size_t integer_end = point == kNone ? e : point;
    for (std::size_t i = 0; i < v_.size(); ++i) {
      Token& t = v_[i];
      if (i == e || i == point) continue;
      if (IsDigitToken(t.kind)) {
        if (i > e) {
          t.role = Role::kExponent;
          ++s_.exponent_digits;
        } else if (i < integer_end) {
          t.role = Role::kInteger;
          ++s_.integer_digits;
        } else {
          t.role = Role::kFraction;
          ++s_.fraction_digits;
        }
      } else if (t.kind == Tok::kComma) {
        if (i < integer_end && AnyDigit(0, i) && AnyDigit(i + 1, integer_end)) {
          s_.grouping = true;
        }
        MakeLiteral(t, u"");
      } else if (t.kind != Tok::kLiteral && t.kind != Tok::kText) {
        // A second point or a second "E+" is text.
        MakeLiteral(t, PlainText(t));
      }
    }
  }

  bool IsFixedDenominatorDigit(const Token& t, bool first) const {
    if (t.kind == Tok::kDigitZero) return !first;
    if (t.kind != Tok::kLiteral || t.length != 1) return false;
    const char16_t c = code_.literal[t.start];
    return c >= (first ? u'1' : u'0') && c <= u'9';
  }

  // numerator placeholders / denominator placeholders or a fixed number, with an optional whole
  // part before the numerator. Literal text may sit between any of them.
  bool Fraction() {
    std::size_t slash = 0;
    while (slash < v_.size() && v_[slash].kind != Tok::kSlash) ++slash;
    if (slash == v_.size() || slash == 0) return false;
    // Numerator: the run of placeholders closest before the bar.
    std::size_t num_end = slash;
    while (num_end > 0 && v_[num_end - 1].kind == Tok::kLiteral) --num_end;
    std::size_t num_begin = num_end;
    while (num_begin > 0 && IsDigitToken(v_[num_begin - 1].kind)) --num_begin;
    if (num_begin == num_end) return false;
    // Denominator: after any literal text, placeholders or a fixed number.
    std::size_t den_begin = slash + 1;
    while (den_begin < v_.size() && v_[den_begin].kind == Tok::kLiteral &&
           !IsFixedDenominatorDigit(v_[den_begin], true)) {
      ++den_begin;
    }
    std::size_t den_end = den_begin;
    std::int64_t fixed = 0;
    if (den_end < v_.size() && IsFixedDenominatorDigit(v_[den_end], true)) {
      while (den_end < v_.size() && IsFixedDenominatorDigit(v_[den_end], false)) {
        const char16_t c =
            v_[den_end].kind == Tok::kDigitZero ? u'0' : code_.literal[v_[den_end].start];
        if (fixed < 100000000) fixed = fixed * 10 + (c - u'0');
        ++den_end;
      }
    } else {
      while (den_end < v_.size() && IsDigitToken(v_[den_end].kind)) ++den_end;
      if (den_end == den_begin) return false;
    }
    s_.kind = SectionKind::kFraction;
    s_.fixed_denominator = fixed;
    std::size_t last_integer = kNone;
    for (std::size_t i = 0; i < num_begin; ++i) {
      if (IsDigitToken(v_[i].kind)) last_integer = i;
    }
    for (std::size_t i = 0; i < v_.size(); ++i) {
      Token& t = v_[i];
      if (i >= num_begin && i < num_end) {
        t.role = Role::kNumerator;
        ++s_.numerator_digits;
        if (t.kind == Tok::kDigitZero) s_.numerator_shows_zero = true;
      } else if (i >= den_begin && i < den_end) {
        if (fixed != 0) {
          MakeLiteral(t, u"");
          if (i == den_begin) {
            t.kind = Tok::kDigitZero;  // stands for the whole fixed denominator
            t.role = Role::kDenominator;
          }
        } else {
          t.role = Role::kDenominator;
          ++s_.denominator_digits;
        }
      } else if (IsDigitToken(t.kind) && i < num_begin) {
        t.role = Role::kInteger;
        ++s_.integer_digits;
      } else if (t.kind == Tok::kComma && i < num_begin) {
        s_.grouping = true;
        MakeLiteral(t, u"");
      } else if (t.kind == Tok::kLiteral && last_integer != kNone && i > last_integer &&
                 i < num_begin) {
        t.role = Role::kSeparator;
      } else if (i != slash && t.kind != Tok::kLiteral && t.kind != Tok::kText) {
        MakeLiteral(t, PlainText(t));
      }
    }
    return true;
  }

  // Joins neighbouring literals of the same role and drops empty ones.
  void MergeLiterals() {
    std::size_t w = 0;
    for (std::size_t r = 0; r < v_.size(); ++r) {
      const Token& t = v_[r];
      if (t.kind == Tok::kLiteral && t.length == 0) continue;
      if (w > 0 && t.kind == Tok::kLiteral && v_[w - 1].kind == Tok::kLiteral &&
          v_[w - 1].role == t.role && v_[w - 1].start + v_[w - 1].length == t.start) {
        v_[w - 1].length += t.length;
        continue;
      }
      v_[w++] = t;
    }
    v_.resize(w);
  }

  CompiledCode& code_;
  Section& s_;
  std::vector<Token>& v_;
};

}  // namespace

void LayOutSection(CompiledCode& code, Section& s) { Layout(code, s).Run(); }

}  // namespace brintova::numfmt::internal
