// Data styles translated into format codes, judged by what the codes show: each case is a data
// style as LibreOffice writes it and the texts values take through the translation.
#include "engine/ods/data_style.h"

#include <gtest/gtest.h>

#include <map>

#include "engine/numfmt/number_format.h"
#include "platform/text.h"

namespace brintova::engine::ods {
namespace {

DataPart Text(std::u16string text) {
  DataPart part;
  part.kind = PartKind::kText;
  part.text = std::move(text);
  return part;
}

DataPart Number(int decimals, int min_integer, bool grouping = false, int min_decimals = -1) {
  DataPart part;
  part.kind = PartKind::kNumber;
  part.decimal_places = decimals;
  part.min_integer_digits = min_integer;
  part.grouping = grouping;
  part.min_decimal_places = min_decimals;
  return part;
}

DataPart Unit(PartKind kind, bool long_form = false, bool textual = false) {
  DataPart part;
  part.kind = kind;
  part.long_form = long_form;
  part.textual = textual;
  return part;
}

DataStyle Style(DataStyleKind kind, std::vector<DataPart> parts, std::vector<StyleMap> maps = {}) {
  DataStyle style;
  style.kind = kind;
  style.parts = std::move(parts);
  style.maps = std::move(maps);
  return style;
}

// Renders `value` through the translation of `style` (with `others` for its maps).
std::string Shown(const DataStyle& style, double value,
                  const std::map<std::string, DataStyle>& others = {}) {
  const Translation t = TranslateDataStyle(style, [&](const std::string& name) -> const DataStyle* {
    auto it = others.find(name);
    return it == others.end() ? nullptr : &it->second;
  });
  if (t.kind == Translation::Kind::kFallback) return "<fallback>";
  if (t.kind == Translation::Kind::kBoolean) return value != 0 ? "TRUE" : "FALSE";
  numfmt::NumberFormat format;
  numfmt::CompileError error;
  if (!numfmt::NumberFormat::Compile(t.code, format, &error)) {
    return "<does not compile: " + ToUtf8(t.code) + ": " + ToUtf8(error.description) + ">";
  }
  std::u16string out;
  format.RenderNumber(value, numfmt::DateSystem::k1900, out);
  return ToUtf8(out);
}

TEST(DataStyle, NumbersPercentagesAndCurrency) {
  using K = DataStyleKind;
  EXPECT_EQ(Shown(Style(K::kNumber, {Number(-1, 1)}), 1234.5), "1234.5");  // the standard format
  EXPECT_EQ(Shown(Style(K::kNumber, {Number(2, 1, true)}), -1234.567), "-1,234.57");
  EXPECT_EQ(Shown(Style(K::kNumber, {Number(0, 5)}), 42), "00042");
  EXPECT_EQ(Shown(Style(K::kNumber, {Number(3, 1, false, 0)}), 0.5), "0.5");
  EXPECT_EQ(Shown(Style(K::kNumber, {Number(2, 0)}), 0.25), ".25");
  EXPECT_EQ(Shown(Style(K::kPercentage, {Number(1, 1), Text(u"%")}), 0.256), "25.6%");
  EXPECT_EQ(Shown(Style(K::kPercentage, {Number(0, 1), Text(u" %")}), 0.5), "50 %");
  DataPart dollars = Unit(PartKind::kCurrencySymbol);
  dollars.text = u"$";
  EXPECT_EQ(Shown(Style(K::kCurrency, {dollars, Number(2, 1, true)}), 1234.5), "$1,234.50");
  EXPECT_EQ(Shown(Style(K::kNumber, {Number(2, 1, true), Text(u" \"kg\"")}), 2), "2.00 \"kg\"");
  DataPart thousands = Number(0, 1, true);
  thousands.display_factor = 1000;
  EXPECT_EQ(Shown(Style(K::kNumber, {thousands, Text(u"K")}), 1234567), "1,235K");
  DataPart phone = Number(0, 7);
  phone.embedded.push_back({4, u"-"});
  EXPECT_EQ(Shown(Style(K::kNumber, {phone}), 5551234), "555-1234");
}

TEST(DataStyle, SectionsFromConditionsOnZero) {
  using K = DataStyleKind;
  DataPart dollars = Unit(PartKind::kCurrencySymbol);
  dollars.text = u"$";
  // LibreOffice's "$#,##0.00;[RED]-$#,##0.00": the negative style maps non-negatives away.
  const std::map<std::string, DataStyle> positive = {
      {"N1P0", Style(K::kCurrency, {dollars, Number(2, 1, true)})}};
  const DataStyle negative =
      Style(K::kCurrency, {Text(u"-"), dollars, Number(2, 1, true)}, {{"value()>=0", "N1P0"}});
  EXPECT_EQ(Shown(negative, -1234.5, positive), "-$1,234.50");
  EXPECT_EQ(Shown(negative, 1234.5, positive), "$1,234.50");
  // "0;(0);"zero"": the zero style is the main one, two maps take the rest.
  const std::map<std::string, DataStyle> parts = {
      {"N2P0", Style(K::kNumber, {Number(0, 1)})},
      {"N2P1", Style(K::kNumber, {Text(u"("), Number(0, 1), Text(u")")})}};
  const DataStyle three =
      Style(K::kNumber, {Text(u"zero")}, {{"value()>0", "N2P0"}, {"value()<0", "N2P1"}});
  EXPECT_EQ(Shown(three, 5, parts), "5");
  EXPECT_EQ(Shown(three, -5, parts), "(5)");
  EXPECT_EQ(Shown(three, 0, parts), "zero");
  // Other thresholds become conditions.
  const DataStyle big = Style(K::kNumber, {Number(2, 1)}, {{"value()>=1000", "N2P0"}});
  EXPECT_EQ(Shown(big, 1500, parts), "1500");
  EXPECT_EQ(Shown(big, 15, parts), "15.00");
  // A map to a style the file lacks leaves the text the file stored.
  EXPECT_EQ(Shown(Style(K::kNumber, {Number(0, 1)}, {{"value()>=0", "missing"}}), 1), "<fallback>");
}

TEST(DataStyle, DatesTimesAndDurations) {
  using K = DataStyleKind;
  const DataStyle iso =
      Style(K::kDate, {Unit(PartKind::kYear, true), Text(u"-"), Unit(PartKind::kMonth, true),
                       Text(u"-"), Unit(PartKind::kDay, true)});
  EXPECT_EQ(Shown(iso, 45292), "2024-01-01");
  const DataStyle words = Style(
      K::kDate, {Unit(PartKind::kDayOfWeek, true), Text(u", "), Unit(PartKind::kMonth, true, true),
                 Text(u" "), Unit(PartKind::kDay), Text(u", "), Unit(PartKind::kYear, true)});
  EXPECT_EQ(Shown(words, 45292), "Monday, January 1, 2024");
  EXPECT_EQ(Shown(Style(K::kDate,
                        {Unit(PartKind::kMonth, false, true), Text(u"-"), Unit(PartKind::kYear)}),
                  45292),
            "Jan-24");
  DataPart seconds = Unit(PartKind::kSeconds, true);
  seconds.decimal_places = 2;
  const DataStyle clock =
      Style(K::kTime, {Unit(PartKind::kHours), Text(u":"), Unit(PartKind::kMinutes, true),
                       Text(u":"), seconds, Text(u" "), Unit(PartKind::kAmPm)});
  EXPECT_EQ(Shown(clock, 0.75 + 1.5 / 86400), "6:00:01.50 PM");
  DataStyle elapsed =
      Style(K::kTime, {Unit(PartKind::kHours, true), Text(u":"), Unit(PartKind::kMinutes, true)});
  elapsed.truncate_on_overflow = false;
  EXPECT_EQ(Shown(elapsed, 2.5), "60:00");
  // No code has quarters or eras: the file's own text is shown.
  EXPECT_EQ(Shown(Style(K::kDate, {Unit(PartKind::kUnsupported), Unit(PartKind::kYear)}), 45292),
            "<fallback>");
  DataStyle other_calendar = iso;
  other_calendar.non_gregorian = true;
  EXPECT_EQ(Shown(other_calendar, 45292), "<fallback>");
}

TEST(DataStyle, ScientificFractionsBooleansAndText) {
  using K = DataStyleKind;
  DataPart scientific = Unit(PartKind::kScientific);
  scientific.decimal_places = 2;
  scientific.min_integer_digits = 1;
  scientific.min_exponent_digits = 2;
  EXPECT_EQ(Shown(Style(K::kNumber, {scientific}), 12345.678), "1.23E+04");
  DataPart fraction = Unit(PartKind::kFraction);
  fraction.min_integer_digits = 0;
  fraction.min_numerator_digits = 1;
  fraction.min_denominator_digits = 1;
  EXPECT_EQ(Shown(Style(K::kNumber, {fraction}), 3.5), "3 1/2");
  fraction.min_integer_digits = -1;
  fraction.denominator_value = 4;
  EXPECT_EQ(Shown(Style(K::kNumber, {fraction}), 1.25), "5/4");
  EXPECT_EQ(Shown(Style(K::kBoolean, {Unit(PartKind::kBoolean)}), 2), "TRUE");
  // Quotes inside literals survive the translation.
  const Translation quoted =
      TranslateDataStyle(Style(K::kText, {Text(u"say \"hi\" "), Unit(PartKind::kTextContent)}),
                         [](const std::string&) { return nullptr; });
  ASSERT_EQ(quoted.kind, Translation::Kind::kCode);
  numfmt::NumberFormat format;
  ASSERT_TRUE(numfmt::NumberFormat::Compile(quoted.code, format)) << ToUtf8(quoted.code);
  std::u16string out;
  format.RenderText(u"x", out);
  EXPECT_EQ(ToUtf8(out), "say \"hi\" x");
}

}  // namespace
}  // namespace brintova::engine::ods
