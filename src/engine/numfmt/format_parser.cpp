// Compiles a format code into sections of tokens: lexing, the meaning of brackets (colours,
// conditions, elapsed time, locales, numeral systems), and the system date and time formats.
#include <charconv>
#include <cstdint>
#include <string>

#include "engine/numfmt/format_code.h"

namespace brintova::numfmt::internal {

namespace {

constexpr int kMaxSections = 4;

// The application refuses longer codes.
constexpr std::size_t kMaxCodeLength = 255;

// What the system's long date and time formats are for an en-US system locale.
constexpr std::u16string_view kSystemLongDate = u"dddd, mmmm dd, yyyy";
constexpr std::u16string_view kSystemTime = u"h:mm:ss AM/PM";

char16_t Lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

bool StartsWithNoCase(std::u16string_view text, std::size_t at, std::u16string_view word) {
  if (text.size() - at < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (Lower(text[at + i]) != word[i]) return false;
  }
  return true;
}

bool IsCjk(Locale l) { return l != Locale::kDefault; }

class Parser {
 public:
  Parser(std::u16string_view code, CompiledCode& out, CompileError* error)
      : code_(code), out_(out), error_(error) {}

  bool Run() {
    if (code_.size() > kMaxCodeLength) {
      return Fail(kMaxCodeLength, u"is longer than 255 characters, which the application refuses.");
    }
    out_.sections.emplace_back();
    for (pos_ = 0; pos_ < code_.size();) {
      if (!LexOne()) return false;
    }
    for (Section& s : out_.sections) {
      if (s.system_format != SystemFormat::kNone) UseSystemFormat(s);
      LayOutSection(out_, s);
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
      // A code past the limit is quoted by its start only.
      if (code_.size() > kMaxCodeLength) {
        error_->description.append(code_.substr(0, 40));
        error_->description.append(u"…");
      } else {
        error_->description.append(code_);
      }
      error_->description.append(u"\" ");
      error_->description.append(what);
    }
    return false;
  }

  // The section takes the tokens of the system's format; its condition stays.
  void UseSystemFormat(Section& s) {
    CompiledCode system;
    Parser(s.system_format == SystemFormat::kLongDate ? kSystemLongDate : kSystemTime, system,
           nullptr)
        .Lex();
    const auto offset = static_cast<std::uint32_t>(out_.literal.size());
    out_.literal.append(system.literal);
    s.tokens = std::move(system.sections[0].tokens);
    for (Token& t : s.tokens) t.start += offset;
    s.twelve_hour = system.sections[0].twelve_hour;
    s.locale = Locale::kDefault;
  }

  void Lex() {
    out_.sections.emplace_back();
    for (pos_ = 0; pos_ < code_.size();) LexOne();
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
        // A section without a locale of its own goes on in the language of the one before.
        {
          const Locale previous = Current().locale;
          out_.sections.emplace_back().locale = previous;
        }
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
      // The exponent shows in the letter case of the code.
      Add(Tok::kExponent, (code_[pos_ + 1] == u'+' ? kExponentAlwaysSign : 0) |
                              (c == u'e' ? kExponentLowerCase : 0));
      pos_ += 2;
      return true;
    }
    if (lc == u'g' && StartsWithNoCase(code_, pos_, u"general")) {
      Add(Tok::kGeneral);
      pos_ += 7;
      return true;
    }
    const Locale locale = Current().locale;
    if (code_.substr(pos_, 5) == u"上午/下午") {
      Add(Tok::kAmPm, static_cast<std::uint8_t>(Locale::kChinese));
      Current().twelve_hour = true;
      pos_ += 5;
      return true;
    }
    if (lc == u'a') {
      if (StartsWithNoCase(code_, pos_, u"am/pm")) {
        // AM and PM show in capitals however the code spells them, or in the section's language.
        Add(Tok::kAmPm, static_cast<std::uint8_t>(locale));
        Current().twelve_hour = true;
        pos_ += 5;
        return true;
      }
      if (StartsWithNoCase(code_, pos_, u"a/p") && IsCjk(locale)) {
        Add(Tok::kAmPm, static_cast<std::uint8_t>(locale));
        Current().twelve_hour = true;
        pos_ += 3;
        return true;
      }
      if (IsCjk(locale) && RunLength() >= 3) {
        const std::size_t n = RunLength();
        Add(n == 3 ? Tok::kLocalDayAbbr : Tok::kLocalDayName);
        pos_ += n;
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
      // The year of the Japanese era, or elsewhere the year in four digits, as "yyyy".
      const std::size_t n = RunLength();
      pos_ += n;
      if (locale == Locale::kJapanese) {
        Add(Tok::kEraYear, n == 1 ? 1 : 2);
      } else {
        Add(Tok::kYear4);
      }
      return true;
    }
    if (lc == u'g' && locale == Locale::kJapanese) {
      const std::size_t n = RunLength();
      pos_ += n;
      Add(Tok::kEra, static_cast<std::uint8_t>(n < 3 ? n : 3));
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
      // Currency and locale: the symbol shows; the locale after '-' is not text.
      const std::size_t dash = inner.find(u'-', 1);
      AddLiteral(inner.substr(1, dash == std::u16string_view::npos ? inner.size() - 1 : dash - 1));
      if (dash != std::u16string_view::npos) ReadLocale(inner.substr(dash + 1));
      return true;
    }
    if (inner.size() == 6 && StartsWithNoCase(inner, 0, u"dbnum") && inner[5] >= u'1' &&
        inner[5] <= u'9') {
      // [DBNum4] and beyond have no numerals in the languages known here: Western digits.
      Current().numerals = static_cast<std::uint8_t>(inner[5] <= u'3' ? inner[5] - u'0' : 0);
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

  // An LCID in hexadecimal (its low 16 bits name the language; higher bits choose calendars and
  // digits, not read here) or a language tag.
  void ReadLocale(std::u16string_view id) {
    Section& s = Current();
    if (StartsWithNoCase(id, 0, u"x-sysdate") && id.size() == 9) {
      s.system_format = SystemFormat::kLongDate;
      return;
    }
    if (StartsWithNoCase(id, 0, u"x-systime") && id.size() == 9) {
      s.system_format = SystemFormat::kTime;
      return;
    }
    static constexpr struct {
      std::u16string_view tag;
      std::uint32_t lcid;
    } kTags[] = {{u"zh-cn", 0x0804}, {u"ja-jp", 0x0411}, {u"ko-kr", 0x0412}};
    std::uint32_t lcid = 0;
    bool known = false;
    for (const auto& t : kTags) {
      if (id.size() == t.tag.size() && StartsWithNoCase(id, 0, t.tag)) {
        lcid = t.lcid;
        known = true;
      }
    }
    for (std::size_t i = 0; !known && i < id.size() && i < 8; ++i) {
      const char16_t c = Lower(id[i]);
      const int digit = (c >= u'0' && c <= u'9')   ? c - u'0'
                        : (c >= u'a' && c <= u'f') ? c - u'a' + 10
                                                   : -1;
      if (digit < 0) return;
      lcid = lcid * 16 + static_cast<std::uint32_t>(digit);
    }
    switch (lcid & 0xFFFF) {
      case 0x0804:
        s.locale = Locale::kChinese;
        break;
      case 0x0411:
        s.locale = Locale::kJapanese;
        break;
      case 0x0412:
        s.locale = Locale::kKorean;
        break;
      case 0xF800:
        s.system_format = SystemFormat::kLongDate;
        break;
      case 0xF400:
        s.system_format = SystemFormat::kTime;
        break;
      default:
        s.locale = Locale::kDefault;
        break;
    }
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
