// OpenDocument data styles (number:number-style, number:date-style, ...) as the reader collects
// them, and their translation into the number-format codes our renderer shows values with, so
// that a cell reads as the spreadsheet application would show it after opening the file.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brintova::engine::ods {

enum class DataStyleKind : std::uint8_t {
  kNumber,
  kCurrency,
  kPercentage,
  kDate,
  kTime,
  kBoolean,
  kText,
};

enum class PartKind : std::uint8_t {
  kText,            // number:text (text holds it)
  kNumber,          // number:number
  kScientific,      // number:scientific-number
  kFraction,        // number:fraction
  kCurrencySymbol,  // number:currency-symbol (text holds it)
  kDay,
  kMonth,
  kYear,
  kDayOfWeek,
  kHours,
  kMinutes,
  kSeconds,
  kAmPm,
  kBoolean,
  kTextContent,  // where the cell's own text goes (number:text-style)
  kFill,         // number:fill-character (text holds it)
  kUnsupported,  // an element no format code expresses (era, quarter, week of year, ...)
};

struct EmbeddedText {
  int position = 0;  // digits of the integer part to its right
  std::u16string text;
};

struct DataPart {
  PartKind kind = PartKind::kText;
  std::u16string text;
  bool long_form = false;       // number:style="long"
  bool textual = false;         // number:textual="true" (month names)
  int decimal_places = -1;      // -1: absent
  int min_decimal_places = -1;  // -1: absent
  int min_integer_digits = -1;  // -1: absent
  bool grouping = false;
  double display_factor = 1;
  bool decimal_replacement = false;  // a non-empty number:decimal-replacement
  int min_exponent_digits = -1;
  int exponent_interval = 1;
  int min_numerator_digits = -1;
  int min_denominator_digits = -1;
  int denominator_value = 0;  // 0: none fixed
  std::vector<EmbeddedText> embedded;
};

struct StyleMap {
  std::string condition;   // "value()>=0"
  std::string apply_name;  // the data style used when it holds
};

struct DataStyle {
  DataStyleKind kind = DataStyleKind::kNumber;
  std::vector<DataPart> parts;
  std::vector<StyleMap> maps;
  bool truncate_on_overflow = true;  // false: hours count past 24 (elapsed time)
  bool non_gregorian = false;        // a number:calendar other than the Gregorian one
};

struct Translation {
  enum class Kind : std::uint8_t {
    kCode,      // show values through `code`
    kBoolean,   // show numbers as TRUE / FALSE
    kFallback,  // no code expresses the style: show the text the file stored for the cell
  };
  Kind kind = Kind::kFallback;
  std::u16string code;
};

// Finds another data style by name (the targets of style:map); nullptr when there is none.
using DataStyleLookup = std::function<const DataStyle*(const std::string& name)>;

// The format code that shows values as `style` does.
Translation TranslateDataStyle(const DataStyle& style, const DataStyleLookup& lookup);

// A literal as a format code shows it: "abc" in quotes, a quote itself as \".
void AppendQuoted(std::u16string& code, std::u16string_view text);

}  // namespace brintova::engine::ods
