// The compiled form of a format code: sections of tokens with their roles resolved, shared by
// the parser and the renderers. Internal to the library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/numfmt/number_format.h"

namespace brintova::numfmt::internal {

enum class Tok : std::uint8_t {
  kLiteral,  // literal[start, start + length)
  kDigitZero,
  kDigitHash,
  kDigitSpace,  // ?
  kPoint,       // the decimal point of a number section
  kExponent,    // E+ / E-; arg 1 when the sign is always shown
  kSlash,       // the fraction bar
  kText,        // @
  kGeneral,
  kYear2,
  kYear4,
  kMonth,
  kMonth2,
  kMonthAbbr,
  kMonthName,
  kMonthLetter,
  kDay,
  kDay2,
  kDayAbbr,
  kDayName,
  kHour,
  kHour2,
  kMinute,
  kMinute2,
  kSecond,
  kSecond2,
  kSubSecond,       // arg = number of digits
  kAmPm,            // arg: 0 "AM/PM", 1 "am/pm", other cases kept as written in literal_ (start)
  kAP,              // arg: 0 "A/P", 1 "a/p"; mixed case kept via start (A or a) and length (P or p)
  kElapsedHours,    // arg = minimum width
  kElapsedMinutes,  // arg = minimum width
  kElapsedSeconds,  // arg = minimum width
  kComma,           // only while parsing: becomes grouping, scaling or a literal
};

// Where a digit placeholder belongs in a number, scientific or fraction section.
enum class Role : std::uint8_t { kNone, kInteger, kFraction, kExponent, kNumerator, kDenominator };

struct Token {
  Tok kind = Tok::kLiteral;
  Role role = Role::kNone;
  std::uint8_t arg = 0;
  std::uint32_t start = 0;
  std::uint32_t length = 0;
};

enum class SectionKind : std::uint8_t {
  kNumber,
  kScientific,
  kFraction,
  kDateTime,
  kGeneral,  // General, possibly with literals around it
  kLiteral,  // no placeholders at all: the section shows its literals only
};

enum class CompareOp : std::uint8_t {
  kNone,
  kLess,
  kLessEqual,
  kGreater,
  kGreaterEqual,
  kEqual,
  kNotEqual
};

struct Condition {
  CompareOp op = CompareOp::kNone;
  double value = 0;
  bool Matches(double v) const;
};

struct Section {
  std::vector<Token> tokens;
  SectionKind kind = SectionKind::kLiteral;
  Condition condition;
  bool has_text = false;  // holds @
  // Number, scientific and fraction layout.
  int percent_count = 0;
  int scale_thousands = 0;  // trailing commas: each divides by 1000
  bool grouping = false;
  int integer_digits = 0;   // placeholders before the point (or the mantissa's point)
  int fraction_digits = 0;  // placeholders after the point
  int exponent_digits = 0;
  int numerator_digits = 0;
  int denominator_digits = 0;
  std::int64_t fixed_denominator = 0;  // 0 when the denominator is chosen per value
  // Date and time layout.
  bool twelve_hour = false;
  bool elapsed = false;
  bool elapsed_only = false;  // every date/time token is elapsed: negative values show
  int subsecond_digits = 0;
};

struct CompiledCode {
  std::u16string literal;  // the text of every literal token
  std::vector<Section> sections;
  bool text_only = false;  // the whole code is "@"
};

// 15 significant digits of a magnitude, as the application keeps them: value =
// 0.d[0]d[1]...d[count-1] x 10^point. count == 0 means zero.
struct Decimal {
  char digit[24] = {};
  int count = 0;
  int point = 0;
};

// Takes |value| (finite) to 15 significant digits; trailing zeros are dropped.
void ToDecimal15(double value, Decimal& out);
// Rounds half away from zero so that at most `decimals` digits follow the point.
void RoundToDecimals(Decimal& d, int decimals);
// Rounds half away from zero to at most `significant` digits.
void RoundToSignificant(Decimal& d, int significant);

// Compiles `code` into `out`. Returns false and fills *error when the code is invalid.
bool ParseFormatCode(std::u16string_view code, CompiledCode& out, CompileError* error);

// Renderers; each appends to out.
void AppendGeneral(double value, std::u16string& out);
void RenderNumberSection(const CompiledCode& code, const Section& s, double value, bool show_minus,
                         std::u16string& out);
void RenderDateTimeSection(const CompiledCode& code, const Section& s, double value,
                           DateSystem system, bool show_minus, std::u16string& out);

// What a date or time shows when the serial lies outside the calendar (negative or after
// 31 December 9999): the application fills the cell with '#'.
inline constexpr std::u16string_view kUnrenderableDate = u"##########";

}  // namespace brintova::numfmt::internal
