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
  kExponent,    // E+ / E-; arg: kExponentAlwaysSign | kExponentLowerCase
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
  kLocalDayAbbr,  // aaa: the locale's short weekday (三, 水, 수)
  kLocalDayName,  // aaaa: the locale's weekday (星期三, 水曜日, 수요일)
  kEra,           // g, gg, ggg in a Japanese section; arg = letters (1..3)
  kEraYear,       // e, ee in a Japanese section; arg = minimum width
  kHour,
  kHour2,
  kMinute,
  kMinute2,
  kSecond,
  kSecond2,
  kSubSecond,  // arg = number of digits
  kAmPm,  // arg: the Locale whose words it shows (AM/PM, 上午/下午, 午前/午後, 오전/오후)
  kAP,    // literal[start] for the morning, literal[start + 1] for the afternoon
  kElapsedHours,    // arg = minimum width
  kElapsedMinutes,  // arg = minimum width
  kElapsedSeconds,  // arg = minimum width
  kComma,           // only while parsing: becomes grouping, scaling or a literal
};

inline constexpr std::uint8_t kExponentAlwaysSign = 1;
inline constexpr std::uint8_t kExponentLowerCase = 2;

// Where a digit placeholder belongs in a number, scientific or fraction section. kSeparator marks
// the literal text between a fraction's whole part and its numerator.
enum class Role : std::uint8_t {
  kNone,
  kInteger,
  kFraction,
  kExponent,
  kNumerator,
  kDenominator,
  kSeparator
};

// The language of a section, from [$-LCID] or [$-tag]: it chooses weekday and AM/PM words, the
// Japanese eras and the numerals of [DBNum1]..[DBNum3]. Everything else follows en-US.
enum class Locale : std::uint8_t { kDefault, kChinese, kJapanese, kKorean };

// A section whose locale asks for the system's own date or time format ([$-F800], [$-F400]).
enum class SystemFormat : std::uint8_t { kNone, kLongDate, kTime };

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
  Locale locale = Locale::kDefault;
  std::uint8_t numerals = 0;  // 1..3 for [DBNum1]..[DBNum3], 0 for Western digits
  SystemFormat system_format = SystemFormat::kNone;
  // Number, scientific and fraction layout.
  int percent_count = 0;
  int scale_thousands = 0;  // trailing commas: each divides by 1000
  bool grouping = false;
  int integer_digits = 0;   // placeholders before the point (or the mantissa's point)
  int fraction_digits = 0;  // placeholders after the point
  int exponent_digits = 0;
  int numerator_digits = 0;
  bool numerator_shows_zero = false;  // a 0 placeholder in the numerator: 0/1 is shown, not blanked
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

// Resolves the roles of a lexed section's tokens (number, scientific, fraction, date, General or
// literal layout); literal text is appended to code.literal.
void LayOutSection(CompiledCode& code, Section& s);

// Digits in native-numeral sections are written as markers first and turned into the locale's
// numerals once the section is complete: a whole number (kWholeDigit + d, read with units such as
// 百 and 万, kGroupMark between its thousands) or a digit read alone (kSingleDigit + d: decimals,
// exponents, years). The markers are noncharacters, never text of their own.
inline constexpr char16_t kWholeDigit = 0xFDD0;
inline constexpr char16_t kGroupMark = 0xFDDA;
inline constexpr char16_t kSingleDigit = 0xFDE0;

// Rewrites the markers in out[from..] as the numerals of [DBNum`numerals`] in `locale` (plain
// digits where the locale has none). Dates read 10 to 19 without a leading "one".
void ApplyNumerals(Locale locale, int numerals, bool date, std::u16string& out, std::size_t from);

// Locale words for dates and times.
std::u16string_view AmPmText(Locale locale, bool afternoon);
std::u16string_view WeekdayText(Locale locale, int weekday, bool long_form, bool cjk_token);
struct JapaneseEra {
  int index = 0;  // 0 Meiji .. 4 Reiwa
  int year = 1;
};
JapaneseEra JapaneseEraOf(int year, int month, int day);
std::u16string_view JapaneseEraName(int index, int letters);

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
