// NumberFormat: compiling, choosing the section for a value, text sections, and the fixed
// tables (built-in codes, booleans, error values).
#include "engine/numfmt/number_format.h"

#include <cmath>

#include "engine/numfmt/format_code.h"

namespace brintova::numfmt {

using internal::CompareOp;
using internal::CompiledCode;
using internal::Section;
using internal::SectionKind;
using internal::Tok;

namespace {

// True when every value a condition admits is negative: such a section shows no minus sign.
bool OnlyNegatives(CompareOp op, double t) {
  switch (op) {
    case CompareOp::kLess:
    case CompareOp::kLessEqual:
      return t <= 0;
    case CompareOp::kEqual:
      return t < 0;
    default:
      return false;
  }
}

CompareOp Negate(CompareOp op) {
  switch (op) {
    case CompareOp::kLess:
      return CompareOp::kGreaterEqual;
    case CompareOp::kLessEqual:
      return CompareOp::kGreater;
    case CompareOp::kGreater:
      return CompareOp::kLessEqual;
    case CompareOp::kGreaterEqual:
      return CompareOp::kLess;
    case CompareOp::kEqual:
      return CompareOp::kNotEqual;
    case CompareOp::kNotEqual:
      return CompareOp::kEqual;
    case CompareOp::kNone:
      break;
  }
  return CompareOp::kNone;
}

// The section that shows text: the fourth, or a last section holding @.
const Section* TextSection(const CompiledCode& c) {
  if (c.sections.size() == 4) return &c.sections[3];
  if (c.sections.back().has_text) return &c.sections.back();
  return nullptr;
}

struct Choice {
  const Section* section = nullptr;  // null: General
  bool show_minus = true;
};

Choice ChooseSection(const CompiledCode& c, double v) {
  std::size_t n = c.sections.size();
  if (TextSection(c) != nullptr) --n;
  if (n == 0) return {};
  const Section* s = c.sections.data();
  const bool conditional =
      s[0].condition.op != CompareOp::kNone || (n >= 2 && s[1].condition.op != CompareOp::kNone);
  if (!conditional) {
    if (n == 1 || (v >= 0 && (n == 2 || v > 0))) return {&s[0], true};
    if (v < 0) return {&s[1], false};
    return {&s[2], true};
  }
  if (s[0].condition.Matches(v)) {
    return {&s[0], !OnlyNegatives(s[0].condition.op, s[0].condition.value)};
  }
  if (n == 1) return {};
  if (s[1].condition.op != CompareOp::kNone) {
    if (s[1].condition.Matches(v)) {
      return {&s[1], !OnlyNegatives(s[1].condition.op, s[1].condition.value)};
    }
    if (n >= 3) return {&s[2], true};
    return {};
  }
  if (n >= 3) {
    if (v < 0) return {&s[1], false};
    return {&s[2], true};
  }
  return {&s[1], !OnlyNegatives(Negate(s[0].condition.op), s[0].condition.value)};
}

void AppendLiteral(const CompiledCode& c, const internal::Token& t, std::u16string& out) {
  out.append(c.literal, t.start, t.length);
}

// Marks General's digits for native numerals: the whole part reads as a number, decimals and
// the exponent digit by digit.
void MarkGeneralDigits(std::u16string& out, std::size_t from) {
  bool whole = true;
  for (std::size_t i = from; i < out.size(); ++i) {
    char16_t& c = out[i];
    if (c >= u'0' && c <= u'9') {
      c = static_cast<char16_t>((whole ? internal::kWholeDigit : internal::kSingleDigit) +
                                (c - u'0'));
    } else if (c == u'.' || c == u'E') {
      whole = false;
    }
  }
}

}  // namespace

NumberFormat::NumberFormat() = default;
NumberFormat::NumberFormat(const NumberFormat& other) = default;
NumberFormat& NumberFormat::operator=(const NumberFormat& other) = default;
NumberFormat::NumberFormat(NumberFormat&& other) noexcept = default;
NumberFormat& NumberFormat::operator=(NumberFormat&& other) noexcept = default;
NumberFormat::~NumberFormat() = default;

bool NumberFormat::Compile(std::u16string_view code, NumberFormat& out, CompileError* error) {
  auto compiled = std::make_shared<CompiledCode>();
  if (!internal::ParseFormatCode(code, *compiled, error)) {
    out.code_.reset();
    return false;
  }
  // A code that is plain General needs no sections.
  const auto& secs = compiled->sections;
  if (secs.size() == 1 && secs[0].tokens.size() == 1 && secs[0].tokens[0].kind == Tok::kGeneral &&
      secs[0].condition.op == CompareOp::kNone && secs[0].numerals == 0) {
    out.code_.reset();
    return true;
  }
  out.code_ = std::move(compiled);
  return true;
}

void NumberFormat::RenderNumber(double value, DateSystem system, std::u16string& out) const {
  out.clear();
  if (!std::isfinite(value)) {
    out.append(ErrorText(ErrorValue::kNum));
    return;
  }
  if (!code_) {
    internal::AppendGeneral(value, out);
    return;
  }
  const Choice choice = ChooseSection(*code_, value);
  if (choice.section == nullptr) {
    internal::AppendGeneral(value, out);
    return;
  }
  const Section& s = *choice.section;
  switch (s.kind) {
    case SectionKind::kDateTime:
      internal::RenderDateTimeSection(*code_, s, value, system, choice.show_minus, out);
      return;
    case SectionKind::kGeneral:
    case SectionKind::kLiteral:
      if (choice.show_minus && value < 0) out.push_back(u'-');
      for (const internal::Token& t : s.tokens) {
        if (t.kind == Tok::kLiteral) {
          AppendLiteral(*code_, t, out);
        } else if (t.kind == Tok::kGeneral) {
          const std::size_t at = out.size();
          internal::AppendGeneral(std::fabs(value), out);
          if (s.numerals != 0) {
            MarkGeneralDigits(out, at);
            internal::ApplyNumerals(s.locale, s.numerals, false, out, at);
          }
        }
      }
      return;
    default:
      internal::RenderNumberSection(*code_, s, value, choice.show_minus, out);
      return;
  }
}

void NumberFormat::RenderText(std::u16string_view text, std::u16string& out) const {
  out.clear();
  // An empty text shows nothing, whatever the section around @ holds.
  if (text.empty()) return;
  const Section* s = code_ ? TextSection(*code_) : nullptr;
  if (s == nullptr) {
    out.append(text);
    return;
  }
  for (const internal::Token& t : s->tokens) {
    if (t.kind == Tok::kLiteral) {
      AppendLiteral(*code_, t, out);
    } else if (t.kind == Tok::kText || t.kind == Tok::kGeneral) {
      out.append(text);
    }
  }
}

bool NumberFormat::IsDateTime() const {
  return code_ && code_->sections[0].kind == SectionKind::kDateTime;
}

bool NumberFormat::IsGeneral() const { return !code_; }

bool NumberFormat::IsText() const { return code_ && code_->text_only; }

std::u16string_view BuiltinFormatCode(int id) {
  switch (id) {
    case 0:
      return u"General";
    case 1:
      return u"0";
    case 2:
      return u"0.00";
    case 3:
      return u"#,##0";
    case 4:
      return u"#,##0.00";
    case 5:
      return u"\"$\"#,##0_);\\(\"$\"#,##0\\)";
    case 6:
      return u"\"$\"#,##0_);[Red]\\(\"$\"#,##0\\)";
    case 7:
      return u"\"$\"#,##0.00_);\\(\"$\"#,##0.00\\)";
    case 8:
      return u"\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)";
    case 9:
      return u"0%";
    case 10:
      return u"0.00%";
    case 11:
      return u"0.00E+00";
    case 12:
      return u"# ?/?";
    case 13:
      return u"# ?\?/?\?";
    case 14:
      return u"m/d/yyyy";
    case 15:
      return u"d-mmm-yy";
    case 16:
      return u"d-mmm";
    case 17:
      return u"mmm-yy";
    case 18:
      return u"h:mm AM/PM";
    case 19:
      return u"h:mm:ss AM/PM";
    case 20:
      return u"h:mm";
    case 21:
      return u"h:mm:ss";
    case 22:
      return u"m/d/yyyy h:mm";
    case 37:
      return u"#,##0_);(#,##0)";
    case 38:
      return u"#,##0_);[Red](#,##0)";
    case 39:
      return u"#,##0.00_);(#,##0.00)";
    case 40:
      return u"#,##0.00_);[Red](#,##0.00)";
    case 41:
      return u"_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)";
    case 42:
      return u"_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)";
    case 43:
      return u"_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"??_);_(@_)";
    case 44:
      return u"_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"??_);_(@_)";
    case 45:
      return u"mm:ss";
    case 46:
      return u"[h]:mm:ss";
    case 47:
      return u"mm:ss.0";
    case 48:
      return u"##0.0E+0";
    case 49:
      return u"@";
    default:
      return {};
  }
}

std::u16string_view BooleanText(bool value) { return value ? u"TRUE" : u"FALSE"; }

namespace {
constexpr std::u16string_view kErrorTexts[] = {u"#NULL!", u"#DIV/0!", u"#VALUE!", u"#REF!",
                                               u"#NAME?", u"#NUM!",   u"#N/A"};
}

std::u16string_view ErrorText(ErrorValue e) { return kErrorTexts[static_cast<int>(e)]; }

std::optional<ErrorValue> ParseErrorText(std::u16string_view text) {
  for (int i = 0; i < 7; ++i) {
    if (kErrorTexts[i] == text) return static_cast<ErrorValue>(i);
  }
  return std::nullopt;
}

}  // namespace brintova::numfmt
