// Compiles a format code into sections of tokens: lexing, the meaning of brackets, and the
// roles of placeholders (integer, decimals, exponent, fraction parts, minutes versus months).
#include <charconv>
#include <cstdint>
#include <string>

#include "engine/numfmt/format_code.h"

namespace brintova::numfmt::internal {

namespace {

constexpr int kMaxSections = 4;

char16_t Lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

bool StartsWithNoCase(std::u16string_view text, std::size_t at, std::u16string_view word) {
  if (text.size() - at < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (Lower(text[at + i]) != word[i]) return false;
  }
  return true;
}

bool IsDigitToken(Tok k) {
  return k == Tok::kDigitZero || k == Tok::kDigitHash || k == Tok::kDigitSpace;
}

bool IsDateToken(Tok k) { return k >= Tok::kYear2 && k <= Tok::kElapsedSeconds; }

class Parser {
 public:
  Parser(std::u16string_view code, CompiledCode& out, CompileError* error)
      : code_(code), out_(out), error_(error) {}

  bool Run() {
    out_.sections.emplace_back();
    for (pos_ = 0; pos_ < code_.size();) {
      if (!LexOne()) return false;
    }
    for (Section& s : out_.sections) {
      if (!Finish(s)) return false;
    }
    out_.text_only = out_.sections.size() == 1 && out_.sections[0].tokens.size() == 1 &&
                     out_.sections[0].tokens[0].kind == Tok::kText;
    return true;
  }

 private:
  Section& Current() { return out_.sections.back(); }

  bool Fail(std::size_t at, std::u16string_view what) {
    if (error_ != nullptr) {
      error_->offset = at;
      error_->description = u"The number format \"";
      error_->description.append(code_);
      error_->description.append(u"\" ");
      error_->description.append(what);
    }
    return false;
  }

  void Add(Tok kind, std::uint8_t arg = 0) {
    Token t;
    t.kind = kind;
    t.arg = arg;
    Current().tokens.push_back(t);
  }

  void AddLiteral(std::u16string_view text) {
    Token t;
    t.kind = Tok::kLiteral;
    t.start = static_cast<std::uint32_t>(out_.literal.size());
    t.length = static_cast<std::uint32_t>(text.size());
    out_.literal.append(text);
    Current().tokens.push_back(t);
  }

  // Counts how many times the code unit at pos_ repeats (case-insensitively).
  std::size_t RunLength() const {
    std::size_t n = 1;
    const char16_t c = Lower(code_[pos_]);
    while (pos_ + n < code_.size() && Lower(code_[pos_ + n]) == c) ++n;
    return n;
  }

  bool LexOne() {
    const char16_t c = code_[pos_];
    const char16_t lc = Lower(c);
    switch (c) {
      case u';':
        if (out_.sections.size() == kMaxSections) {
          return Fail(pos_, u"has more than four sections.");
        }
        out_.sections.emplace_back();
        ++pos_;
        return true;
      case u'"': {
        const std::size_t close = code_.find(u'"', pos_ + 1);
        if (close == std::u16string_view::npos) {
          return Fail(pos_, u"has a quotation mark that is never closed.");
        }
        AddLiteral(code_.substr(pos_ + 1, close - pos_ - 1));
        pos_ = close + 1;
        return true;
      }
      case u'\\':
        if (pos_ + 1 >= code_.size()) return Fail(pos_, u"ends with a lone backslash.");
        AddLiteral(code_.substr(pos_ + 1, 1));
        pos_ += 2;
        return true;
      case u'_':
        if (pos_ + 1 >= code_.size())
          return Fail(pos_, u"ends with \"_\" and no character to space for.");
        AddLiteral(u" ");
        pos_ += 2;
        return true;
      case u'*':
        // A fill repeats its character to the column width on screen; it adds nothing to the text.
        if (pos_ + 1 >= code_.size()) return Fail(pos_, u"ends with \"*\" and no fill character.");
        pos_ += 2;
        return true;
      case u'[':
        return LexBracket();
      case u']':
        return Fail(pos_, u"has \"]\" without a matching \"[\".");
      case u'0':
        Add(Tok::kDigitZero);
        ++pos_;
        return true;
      case u'#':
        Add(Tok::kDigitHash);
        ++pos_;
        return true;
      case u'?':
        Add(Tok::kDigitSpace);
        ++pos_;
        return true;
      case u'.':
        Add(Tok::kPoint);
        ++pos_;
        return true;
      case u',':
        Add(Tok::kComma);
        ++pos_;
        return true;
      case u'%':
        ++Current().percent_count;
        AddLiteral(u"%");
        ++pos_;
        return true;
      case u'/':
        Add(Tok::kSlash);
        ++pos_;
        return true;
      case u'@':
        Add(Tok::kText);
        Current().has_text = true;
        ++pos_;
        return true;
      default:
        break;
    }
    if ((lc == u'e') && pos_ + 1 < code_.size() &&
        (code_[pos_ + 1] == u'+' || code_[pos_ + 1] == u'-')) {
      Add(Tok::kExponent, code_[pos_ + 1] == u'+' ? 1 : 0);
      pos_ += 2;
      return true;
    }
    if (lc == u'g' && StartsWithNoCase(code_, pos_, u"general")) {
      Add(Tok::kGeneral);
      pos_ += 7;
      return true;
    }
    if (lc == u'a') {
      if (StartsWithNoCase(code_, pos_, u"am/pm")) {
        // AM and PM show in capitals however the code spells them.
        Add(Tok::kAmPm);
        Current().twelve_hour = true;
        pos_ += 5;
        return true;
      }
      if (StartsWithNoCase(code_, pos_, u"a/p")) {
        Token t;
        t.kind = Tok::kAP;
        t.start = static_cast<std::uint32_t>(out_.literal.size());
        out_.literal.push_back(code_[pos_]);
        out_.literal.push_back(code_[pos_ + 2]);
        t.length = 2;
        Current().tokens.push_back(t);
        Current().twelve_hour = true;
        pos_ += 3;
        return true;
      }
    }
    if (lc == u'e') {
      // The year in four digits, as "yyyy".
      pos_ += RunLength();
      Add(Tok::kYear4);
      return true;
    }
    if (lc == u'y' || lc == u'm' || lc == u'd' || lc == u'h' || lc == u's') {
      const std::size_t n = RunLength();
      pos_ += n;
      switch (lc) {
        case u'y':
          Add(n <= 2 ? Tok::kYear2 : Tok::kYear4);
          break;
        case u'm':
          Add(n == 1   ? Tok::kMonth
              : n == 2 ? Tok::kMonth2
              : n == 3 ? Tok::kMonthAbbr
              : n == 5 ? Tok::kMonthLetter
                       : Tok::kMonthName);
          break;
        case u'd':
          Add(n == 1 ? Tok::kDay : n == 2 ? Tok::kDay2 : n == 3 ? Tok::kDayAbbr : Tok::kDayName);
          break;
        case u'h':
          Add(n == 1 ? Tok::kHour : Tok::kHour2);
          break;
        default:
          Add(n == 1 ? Tok::kSecond : Tok::kSecond2);
          break;
      }
      return true;
    }
    AddLiteral(code_.substr(pos_, 1));
    ++pos_;
    return true;
  }

  bool LexBracket() {
    const std::size_t open = pos_;
    const std::size_t close = code_.find(u']', open + 1);
    if (close == std::u16string_view::npos) {
      return Fail(open, u"has \"[\" without a matching \"]\".");
    }
    const std::u16string_view inner = code_.substr(open + 1, close - open - 1);
    pos_ = close + 1;
    if (inner.find(u'[') != std::u16string_view::npos) {
      return Fail(open, u"has \"[\" without a matching \"]\".");
    }
    if (!inner.empty() && inner[0] == u'$') {
      // Currency and locale: the symbol shows; the locale part after '-' is not text.
      const std::size_t dash = inner.find(u'-', 1);
      AddLiteral(inner.substr(1, dash == std::u16string_view::npos ? inner.size() - 1 : dash - 1));
      return true;
    }
    if (!inner.empty() && (inner[0] == u'<' || inner[0] == u'>' || inner[0] == u'=')) {
      return ParseCondition(inner, open);
    }
    if (IsColour(inner)) return true;
    if (!inner.empty()) {
      const char16_t c = Lower(inner[0]);
      bool same = c == u'h' || c == u'm' || c == u's';
      for (char16_t x : inner) same = same && Lower(x) == c;
      if (same) {
        const auto width = static_cast<std::uint8_t>(inner.size() > 9 ? 9 : inner.size());
        Add(c == u'h'   ? Tok::kElapsedHours
            : c == u'm' ? Tok::kElapsedMinutes
                        : Tok::kElapsedSeconds,
            width);
        Current().elapsed = true;
        return true;
      }
    }
    std::u16string what = u"has an unknown bracket \"[";
    what.append(inner);
    what.append(u"]\".");
    return Fail(open, what);
  }

  static bool IsColour(std::u16string_view inner) {
    static constexpr std::u16string_view kNames[] = {u"black",   u"blue", u"cyan",  u"green",
                                                     u"magenta", u"red",  u"white", u"yellow"};
    for (std::u16string_view name : kNames) {
      if (inner.size() == name.size() && StartsWithNoCase(inner, 0, name)) return true;
    }
    if (inner.size() > 5 && inner.size() <= 7 && StartsWithNoCase(inner, 0, u"color")) {
      int n = 0;
      for (std::size_t i = 5; i < inner.size(); ++i) {
        if (inner[i] < u'0' || inner[i] > u'9') return false;
        n = n * 10 + (inner[i] - u'0');
      }
      return n >= 1 && n <= 56;
    }
    return false;
  }

  bool ParseCondition(std::u16string_view inner, std::size_t at) {
    Condition& cond = Current().condition;
    if (cond.op != CompareOp::kNone) return Fail(at, u"has two conditions in one section.");
    std::size_t i = 0;
    if (inner.substr(0, 2) == u"<=") {
      cond.op = CompareOp::kLessEqual, i = 2;
    } else if (inner.substr(0, 2) == u">=") {
      cond.op = CompareOp::kGreaterEqual, i = 2;
    } else if (inner.substr(0, 2) == u"<>") {
      cond.op = CompareOp::kNotEqual, i = 2;
    } else if (inner[0] == u'<') {
      cond.op = CompareOp::kLess, i = 1;
    } else if (inner[0] == u'>') {
      cond.op = CompareOp::kGreater, i = 1;
    } else {
      cond.op = CompareOp::kEqual, i = 1;
    }
    char buf[64];
    std::size_t n = 0;
    for (; i < inner.size() && n < sizeof buf; ++i) {
      const char16_t c = inner[i];
      if (c == u' ') continue;
      if (c > 0x7f) return FailCondition(inner, at);
      buf[n++] = static_cast<char>(c);
    }
    if (n == 0 || n == sizeof buf) return FailCondition(inner, at);
    const char* first = buf[0] == '+' ? buf + 1 : buf;
    auto res = std::from_chars(first, buf + n, cond.value);
    if (res.ec != std::errc() || res.ptr != buf + n) return FailCondition(inner, at);
    return true;
  }

  bool FailCondition(std::u16string_view inner, std::size_t at) {
    std::u16string what = u"has a condition \"[";
    what.append(inner);
    what.append(u"]\" whose comparison value is not a number.");
    return Fail(at, what);
  }

  void MakeLiteral(Token& t, std::u16string_view text) {
    t.kind = Tok::kLiteral;
    t.role = Role::kNone;
    t.start = static_cast<std::uint32_t>(out_.literal.size());
    t.length = static_cast<std::uint32_t>(text.size());
    out_.literal.append(text);
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
        return t.arg ? u"E+" : u"E-";
      default:
        return u"";
    }
  }

  bool Finish(Section& s) {
    bool date = false, general = false, exponent = false, digits = false;
    for (const Token& t : s.tokens) {
      date = date || IsDateToken(t.kind);
      general = general || t.kind == Tok::kGeneral;
      exponent = exponent || t.kind == Tok::kExponent;
      digits = digits || IsDigitToken(t.kind);
    }
    if (date) {
      FinishDate(s);
    } else if (general) {
      s.kind = SectionKind::kGeneral;
      for (Token& t : s.tokens) {
        if (t.kind != Tok::kGeneral && t.kind != Tok::kLiteral && t.kind != Tok::kText) {
          MakeLiteral(t, PlainText(t));
        }
      }
    } else if (!digits) {
      s.kind = SectionKind::kLiteral;
      for (Token& t : s.tokens) {
        if (t.kind != Tok::kLiteral && t.kind != Tok::kText) MakeLiteral(t, PlainText(t));
      }
    } else if (exponent) {
      FinishScientific(s);
    } else if (!FinishFraction(s)) {
      FinishNumber(s);
    }
    MergeLiterals(s);
    return true;
  }

  void FinishDate(Section& s) {
    s.kind = SectionKind::kDateTime;
    std::vector<Token>& v = s.tokens;
    s.elapsed_only = true;
    for (const Token& t : v) {
      if (IsDateToken(t.kind) && t.kind != Tok::kElapsedHours && t.kind != Tok::kElapsedMinutes &&
          t.kind != Tok::kElapsedSeconds) {
        s.elapsed_only = false;
      }
    }
    for (std::size_t i = 0; i < v.size(); ++i) {
      Token& t = v[i];
      if (t.kind == Tok::kPoint && i + 1 < v.size() && v[i + 1].kind == Tok::kDigitZero) {
        std::size_t n = 0;
        while (i + 1 + n < v.size() && v[i + 1 + n].kind == Tok::kDigitZero) ++n;
        const std::size_t shown = n > 3 ? 3 : n;
        t.kind = Tok::kSubSecond;
        t.arg = static_cast<std::uint8_t>(shown);
        if (static_cast<int>(shown) > s.subsecond_digits)
          s.subsecond_digits = static_cast<int>(shown);
        for (std::size_t k = 0; k < n; ++k) {
          if (k < shown) {
            MakeLiteral(v[i + 1 + k], u"");
          } else {
            MakeLiteral(v[i + 1 + k], u"0");
          }
        }
        i += n;
        continue;
      }
      if (t.kind == Tok::kMonth || t.kind == Tok::kMonth2) {
        if (PreviousIsHour(v, i) || NextIsSecond(v, i)) {
          t.kind = t.kind == Tok::kMonth ? Tok::kMinute : Tok::kMinute2;
        }
        continue;
      }
      if (!IsDateToken(t.kind) && t.kind != Tok::kLiteral && t.kind != Tok::kText) {
        MakeLiteral(t, PlainText(t));
      }
    }
  }

  static bool PreviousIsHour(const std::vector<Token>& v, std::size_t i) {
    while (i-- > 0) {
      const Tok k = v[i].kind;
      if (k == Tok::kHour || k == Tok::kHour2 || k == Tok::kElapsedHours) return true;
      if (IsDateToken(k)) return false;
    }
    return false;
  }

  static bool NextIsSecond(const std::vector<Token>& v, std::size_t i) {
    for (++i; i < v.size(); ++i) {
      const Tok k = v[i].kind;
      if (k == Tok::kSecond || k == Tok::kSecond2 || k == Tok::kElapsedSeconds) return true;
      if (IsDateToken(k)) return false;
    }
    return false;
  }

  // Commas: grouping between integer placeholders, scaling right after the last placeholder
  // of a run, a literal anywhere else.
  void ResolveCommas(Section& s, std::size_t begin, std::size_t end, std::size_t point) {
    std::vector<Token>& v = s.tokens;
    enum class Use { kOther, kGrouping, kScaling, kLiteral };
    std::vector<Use> use(v.size(), Use::kOther);
    for (std::size_t i = begin; i < end; ++i) {
      if (v[i].kind != Tok::kComma) continue;
      bool before = false, after = false;
      for (std::size_t k = begin; k < i; ++k) before = before || IsDigitToken(v[k].kind);
      const bool in_integer = point == std::u16string::npos || i < point;
      const std::size_t limit = in_integer && point != std::u16string::npos ? point : end;
      for (std::size_t k = i + 1; k < limit; ++k) after = after || IsDigitToken(v[k].kind);
      if (before && after && in_integer) {
        use[i] = Use::kGrouping;
        continue;
      }
      // Scaling: directly after a placeholder or a chain of commas that follows one.
      std::size_t k = i;
      while (k > begin && v[k - 1].kind == Tok::kComma) --k;
      const bool follows_digit = k > begin && IsDigitToken(v[k - 1].kind);
      use[i] = (before && !after && follows_digit) ? Use::kScaling : Use::kLiteral;
    }
    for (std::size_t i = begin; i < end; ++i) {
      switch (use[i]) {
        case Use::kGrouping:
          s.grouping = true;
          MakeLiteral(v[i], u"");
          break;
        case Use::kScaling:
          ++s.scale_thousands;
          MakeLiteral(v[i], u"");
          break;
        case Use::kLiteral:
          MakeLiteral(v[i], u",");
          break;
        case Use::kOther:
          break;
      }
    }
  }

  void FinishNumber(Section& s) {
    s.kind = SectionKind::kNumber;
    std::vector<Token>& v = s.tokens;
    std::size_t point = std::u16string::npos;
    for (std::size_t i = 0; i < v.size(); ++i) {
      if (v[i].kind == Tok::kPoint) {
        if (point == std::u16string::npos) {
          point = i;
        } else {
          MakeLiteral(v[i], u".");
        }
      }
    }
    ResolveCommas(s, 0, v.size(), point);
    for (std::size_t i = 0; i < v.size(); ++i) {
      Token& t = v[i];
      if (IsDigitToken(t.kind)) {
        if (point == std::u16string::npos || i < point) {
          t.role = Role::kInteger;
          ++s.integer_digits;
        } else {
          t.role = Role::kFraction;
          ++s.fraction_digits;
        }
      } else if (t.kind == Tok::kSlash || t.kind == Tok::kExponent) {
        MakeLiteral(t, PlainText(t));
      }
    }
  }

  void FinishScientific(Section& s) {
    s.kind = SectionKind::kScientific;
    std::vector<Token>& v = s.tokens;
    std::size_t e = 0;
    while (v[e].kind != Tok::kExponent) ++e;
    std::size_t point = std::u16string::npos;
    for (std::size_t i = 0; i < v.size(); ++i) {
      Token& t = v[i];
      if (i == e) continue;
      if (t.kind == Tok::kPoint && i < e && point == std::u16string::npos) {
        point = i;
        continue;
      }
      if (IsDigitToken(t.kind)) {
        if (i > e) {
          t.role = Role::kExponent;
          ++s.exponent_digits;
        } else if (point == std::u16string::npos || i < point) {
          t.role = Role::kInteger;
          ++s.integer_digits;
        } else {
          t.role = Role::kFraction;
          ++s.fraction_digits;
        }
        continue;
      }
      if (t.kind == Tok::kComma) {
        // Grouping in a mantissa is accepted and ignored.
        MakeLiteral(t, i < e ? u"" : u",");
        continue;
      }
      if (t.kind != Tok::kLiteral && t.kind != Tok::kText) MakeLiteral(t, PlainText(t));
    }
    // A second "E+" is text.
    for (std::size_t i = e + 1; i < v.size(); ++i) {
      if (v[i].kind == Tok::kExponent) MakeLiteral(v[i], PlainText(v[i]));
    }
  }

  bool FinishFraction(Section& s) {
    std::vector<Token>& v = s.tokens;
    std::size_t slash = 0;
    while (slash < v.size() && v[slash].kind != Tok::kSlash) ++slash;
    if (slash == v.size() || slash == 0) return false;
    // Numerator: the placeholders right before the bar.
    std::size_t num_end = slash;
    while (num_end > 0 && v[num_end - 1].kind == Tok::kLiteral) --num_end;
    std::size_t num_begin = num_end;
    while (num_begin > 0 && IsDigitToken(v[num_begin - 1].kind)) --num_begin;
    if (num_begin == num_end) return false;
    // Denominator: placeholders, or a fixed number, right after the bar.
    std::size_t den_begin = slash + 1;
    while (den_begin < v.size() && v[den_begin].kind == Tok::kLiteral &&
           out_.literal.substr(v[den_begin].start, v[den_begin].length) == u" ") {
      ++den_begin;
    }
    std::size_t den_end = den_begin;
    std::int64_t fixed = 0;
    if (den_end < v.size() && v[den_end].kind == Tok::kLiteral && v[den_end].length == 1 &&
        out_.literal[v[den_end].start] >= u'1' && out_.literal[v[den_end].start] <= u'9') {
      while (den_end < v.size()) {
        const Token& t = v[den_end];
        char16_t c = 0;
        if (t.kind == Tok::kDigitZero) {
          c = u'0';
        } else if (t.kind == Tok::kLiteral && t.length == 1 && out_.literal[t.start] >= u'0' &&
                   out_.literal[t.start] <= u'9') {
          c = out_.literal[t.start];
        } else {
          break;
        }
        if (fixed < 100000000) fixed = fixed * 10 + (c - u'0');
        ++den_end;
      }
    } else {
      while (den_end < v.size() && IsDigitToken(v[den_end].kind)) ++den_end;
      if (den_end == den_begin) return false;
    }
    s.kind = SectionKind::kFraction;
    s.fixed_denominator = fixed;
    for (std::size_t i = 0; i < v.size(); ++i) {
      Token& t = v[i];
      if (i >= num_begin && i < num_end) {
        t.role = Role::kNumerator;
        ++s.numerator_digits;
      } else if (i >= den_begin && i < den_end) {
        if (fixed != 0) {
          MakeLiteral(t, u"");
          if (i == den_begin) {
            t.kind = Tok::kDigitZero;  // stands for the whole fixed denominator
            t.role = Role::kDenominator;
          }
        } else {
          t.role = Role::kDenominator;
          ++s.denominator_digits;
        }
      } else if (IsDigitToken(t.kind) && i < num_begin) {
        t.role = Role::kInteger;
        ++s.integer_digits;
      } else if (t.kind == Tok::kComma && i < num_begin) {
        s.grouping = true;
        MakeLiteral(t, u"");
      } else if (i != slash && t.kind != Tok::kLiteral && t.kind != Tok::kText) {
        MakeLiteral(t, PlainText(t));
      }
    }
    return true;
  }

  void MergeLiterals(Section& s) {
    std::vector<Token>& v = s.tokens;
    std::size_t w = 0;
    for (std::size_t r = 0; r < v.size(); ++r) {
      const Token& t = v[r];
      if (t.kind == Tok::kLiteral && t.length == 0) continue;
      if (w > 0 && t.kind == Tok::kLiteral && v[w - 1].kind == Tok::kLiteral &&
          v[w - 1].start + v[w - 1].length == t.start) {
        v[w - 1].length += t.length;
        continue;
      }
      v[w++] = t;
    }
    v.resize(w);
  }

  std::u16string_view code_;
  CompiledCode& out_;
  CompileError* error_;
  std::size_t pos_ = 0;
};

}  // namespace

bool Condition::Matches(double v) const {
  switch (op) {
    case CompareOp::kNone:
      return true;
    case CompareOp::kLess:
      return v < value;
    case CompareOp::kLessEqual:
      return v <= value;
    case CompareOp::kGreater:
      return v > value;
    case CompareOp::kGreaterEqual:
      return v >= value;
    case CompareOp::kEqual:
      return v == value;
    case CompareOp::kNotEqual:
      return v != value;
  }
  return false;
}

bool ParseFormatCode(std::u16string_view code, CompiledCode& out, CompileError* error) {
  out = CompiledCode{};
  return Parser(code, out, error).Run();
}

}  // namespace brintova::numfmt::internal
