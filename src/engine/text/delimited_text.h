// Comma- or tab-separated text as the spreadsheet application splits it into cells, and the
// recognition of numbers and truth values in a field.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace brintova::engine::textfile {

// The separator of `text`. A first line "sep=X" names it (and is not data); otherwise
// `preferred` wins when the first record holds it outside quotes, the other of comma and tab
// when only that one appears, else `preferred`. `*skip_first_line` tells the caller to drop
// the "sep=" line.
char16_t DetectSeparator(std::u16string_view text, char16_t preferred, bool* skip_first_line);

// Calls `field(row, column, text)` for every non-empty field, rows and columns from 1. Quoted
// fields may hold separators, line breaks and doubled quotes; text after a closing quote is
// kept as it stands; a quote inside an unquoted field is an ordinary character; an
// unterminated quote runs to the end. Line breaks are CR LF, LF or CR. Returns the number of
// records (an empty line counts, a final line break does not start another).
using FieldSink = std::function<void(std::int64_t row, std::int64_t column, std::u16string_view)>;
std::int64_t ParseDelimitedText(std::u16string_view text, char16_t separator,
                                const FieldSink& field);

enum class FieldKind { kText, kNumber, kBoolean };

struct FieldValue {
  FieldKind kind = FieldKind::kText;
  double number = 0;
  bool boolean = false;
  // Number format the application gives such an entry: empty for General, "#,##0" or
  // "#,##0.00" for thousands-grouped numbers.
  std::u16string_view format;
};

// Recognises, ASCII only and with no surrounding spaces: an optional sign, digits with an
// optional decimal point and an optional exponent ("-1.5e3", ".5", "00123"); digits grouped
// by commas in threes ("1,234,567.8"); TRUE/FALSE in any case. The value keeps 15 significant
// digits, as the application stores numbers. Everything else, and numbers beyond the
// application's range, stay text.
FieldValue ClassifyField(std::u16string_view field);

}  // namespace brintova::engine::textfile
