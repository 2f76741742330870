// NumberFormat on chosen values: broken codes, General's width, rounding, magnitudes, signs,
// the two date systems, sections and text, the built-in ids and the fixed texts.
#include "engine/numfmt/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "allocation_counter.h"
#include "platform/text.h"

namespace brintova::numfmt {
namespace {

std::string Render(std::u16string_view code, double value, DateSystem system = DateSystem::k1900) {
  NumberFormat f;
  CompileError error;
  EXPECT_TRUE(NumberFormat::Compile(code, f, &error))
      << ToUtf8(code) << ": " << ToUtf8(error.description);
  std::u16string out;
  f.RenderNumber(value, system, out);
  return ToUtf8(out);
}

std::string RenderText(std::u16string_view code, std::u16string_view text) {
  NumberFormat f;
  EXPECT_TRUE(NumberFormat::Compile(code, f)) << ToUtf8(code);
  std::u16string out;
  f.RenderText(text, out);
  return ToUtf8(out);
}

struct Row {
  const char16_t* code;
  double value;
  const char* expected;
};

void ExpectRows(const Row* rows, std::size_t count, DateSystem system = DateSystem::k1900) {
  for (std::size_t i = 0; i < count; ++i) {
    const Row& r = rows[i];
    EXPECT_EQ(Render(r.code, r.value, system), r.expected)
        << "code \"" << ToUtf8(r.code) << "\" value " << r.value;
  }
}

TEST(NumberFormatCompile, RefusesBrokenCodesAndFallsBackToGeneral) {
  struct Broken {
    const char16_t* code;
    std::size_t offset;
    const char* says;
  };
  const Broken rows[] = {
      {u"0.0\"x", 3, "quotation mark that is never closed"},
      {u"[Red0.00", 0, "\"[\" without a matching \"]\""},
      {u"0.00]", 4, "\"]\" without a matching \"[\""},
      {u"0;0;0;@;0", 7, "more than four sections"},
      {u"0\\", 1, "lone backslash"},
      {u"0_", 1, "no character to space for"},
      {u"0*", 1, "no fill character"},
      {u"[>=abc]0", 0, "not a number"},
      {u"[Foo]0", 0, "unknown bracket \"[Foo]\""},
      {u"[>1][<5]0", 4, "two conditions"},
  };
  for (const Broken& r : rows) {
    NumberFormat f;
    ASSERT_TRUE(NumberFormat::Compile(u"0.00", f));
    CompileError error;
    EXPECT_FALSE(NumberFormat::Compile(r.code, f, &error)) << ToUtf8(r.code);
    const std::string description = ToUtf8(error.description);
    EXPECT_NE(description.find(r.says), std::string::npos) << description;
    EXPECT_NE(description.find(ToUtf8(r.code)), std::string::npos) << description;
    EXPECT_EQ(error.offset, r.offset) << ToUtf8(r.code);
    EXPECT_TRUE(f.IsGeneral()) << ToUtf8(r.code);
    std::u16string out;
    f.RenderNumber(1234.5, DateSystem::k1900, out);
    EXPECT_EQ(ToUtf8(out), "1234.5");
  }
  NumberFormat f;
  EXPECT_FALSE(NumberFormat::Compile(u"\"", f));  // no error object asked for
}

TEST(NumberFormatGeneral, FitsElevenCharactersBesidesTheSign) {
  const Row rows[] = {
      {u"General", 0, "0"},
      {u"General", -0.0, "0"},
      {u"General", 1234.5, "1234.5"},
      {u"General", -1234.5, "-1234.5"},
      {u"General", 0.1 + 0.2, "0.3"},
      {u"General", 12345678901, "12345678901"},
      {u"General", 123456789012, "1.23457E+11"},
      {u"General", -123456789012, "-1.23457E+11"},
      {u"General", 1.2345678912, "1.234567891"},
      {u"General", 0.00001, "0.00001"},
      {u"General", 1.23456789e-5, "1.23457E-05"},
      {u"General", 1e100, "1E+100"},
      {u"General", 1e-300, "1E-300"},
      {u"General", 1.7976931348623157e308, "1.7977E+308"},
      {u"General", 99999999999.9, "1E+11"},
      {u"general", 42, "42"},
      {u"\"n=\"General", -3, "-n=3"},
  };
  ExpectRows(rows, std::size(rows));
}

TEST(NumberFormatNumbers, PlaceholdersGroupingScalingAndRounding) {
  const Row rows[] = {
      {u"#,##0.00", -1234.5, "-1,234.50"},
      {u"00000", 123, "00123"},
      {u"0.00", 2.675, "2.68"},  // 2.67499999... as a double, 2.675 in 15 digits
      {u"0.00", 1.005, "1.01"},
      {u"0", 0.5, "1"},
      {u"0", 2.5, "3"},
      {u"0", -2.5, "-3"},
      {u"0.0", 0.05, "0.1"},
      {u"#.##", 0, "."},
      {u"#,###", 0, ""},
      {u"0,000", 5, "0,005"},
      {u"#,##0,\"K\"", 1234567, "1,235K"},
      {u"0.0,,", 123456789, "123.5"},
      {u"0.0%", 0.1234, "12.3%"},
      {u"0.0#", 1.5, "1.5"},
      {u"0.??", 1.5, "1.5 "},
      {u"000-00-0000", 123456789, "123-45-6789"},
      {u"_(#,##0_)", 1234, " 1,234 "},
      {u"* #,##0", 1234, "1,234"},
      {u"[$€-407] #,##0.00", 1234.5, "€ 1,234.50"},
      {u"\"$\"#,##0", -12, "-$12"},
      {u"0", 1e20, "100000000000000000000"},
      {u"#,##0", 1.2345678901234567e20, "123,456,789,012,346,000,000"},
      {u"0.00", 1e-300, "0.00"},
      {u"0.00", -0.0, "0.00"},
      {u"0.00", -0.001, "0.00"},  // no minus on a number that shows as zero
  };
  ExpectRows(rows, std::size(rows));
  // The largest double: 309 digits, 15 significant.
  const std::string big = Render(u"0", std::numeric_limits<double>::max());
  EXPECT_EQ(big.size(), 309u);
  EXPECT_EQ(big.substr(0, 16), "1797693134862320");
}

TEST(NumberFormatNumbers, ScientificAndFractions) {
  const Row rows[] = {
      {u"0.00E+00", 12345, "1.23E+04"},
      {u"0.00E+00", -0.00012345, "-1.23E-04"},
      {u"0.00E+00", 0, "0.00E+00"},
      {u"0.0E-0", 12345, "1.2E4"},
      {u"0.00E+00", 9.999, "1.00E+01"},
      {u"##0.0E+0", 12345, "12.3E+3"},
      {u"0.00E+00", 1e-300, "1.00E-300"},
      {u"# ?/8", 1.2, "1 2/8"},
      {u"# ?/8", -1.2, "-1 2/8"},
      {u"?/?", 1.5, "3/2"},
      {u"# ?\?/?\?", 0.456 + 123, "123 26/57"},
      {u"# ?/?", 12.3, "12 1/3"},
      {u"# ?/?", 2.3, "2 2/7"},  // 2.3 - 2 is 0.29999999999999982 in doubles
      {u"# ?/?", 7, "7    "},
      {u"# ?/?", 2.96, "3    "},
      {u"# ?\?/100", 0.5, " 50/100"},
  };
  ExpectRows(rows, std::size(rows));
}

TEST(NumberFormatSections, ChoosesBySignOrConditionAndDropsTheMinus) {
  const Row rows[] = {
      {u"0;(0)", -5, "(5)"},
      {u"0;(0)", 5, "5"},
      {u"0;(0)", -0.0, "0"},
      {u"0;(0);\"zero\"", 0, "zero"},
      {u"0;;", 5, "5"},
      {u";;;", 5, ""},
      {u"[>=100]\"big\";[<0]\"neg\";\"small\"", 150, "big"},
      {u"[>=100]\"big\";[<0]\"neg\";\"small\"", -5, "neg"},
      {u"[>=100]\"big\";[<0]\"neg\";\"small\"", 5, "small"},
      {u"[<0]\"neg \"0;0", -5, "neg 5"},
      {u"[>=5]0;00", -1, "-01"},  // the second section also takes positives: keeps the sign
      {u"[>=0]0;00", -1, "01"},   // ... and here only negatives: no sign
      {u"[>=5]0;00;000", 3, "003"},
      {u"[Red]0.0;[Blue]-0.0", -2, "-2.0"},
      {u"[Color12]0", 7, "7"},
      {u"\"Yes\";\"Yes\";\"No\"", -3, "Yes"},
  };
  ExpectRows(rows, std::size(rows));
}

TEST(NumberFormatText, GoesThroughTheTextSection) {
  EXPECT_EQ(RenderText(u"0;-0;0;\"T:\"@", u"ab"), "T:ab");
  EXPECT_EQ(RenderText(u"0;-0;0;\"lit\"", u"ab"), "lit");
  EXPECT_EQ(RenderText(u"0.00", u"ab"), "ab");
  EXPECT_EQ(RenderText(u"General", u"ab"), "ab");
  EXPECT_EQ(RenderText(u"@", u"00123"), "00123");
  EXPECT_EQ(RenderText(u"0;@\" kg\"", u"5"), "5 kg");
  EXPECT_EQ(RenderText(u"_(@_)", u"x"), " x ");
  EXPECT_EQ(RenderText(u"_(@_)", u""), "");
  // A number through a code whose only section is for text shows as General.
  EXPECT_EQ(Render(u"\"Name: \"@", -1.5), "-1.5");
  EXPECT_EQ(Render(u"0;@", -1.5), "-2");
}

TEST(NumberFormatDates, TheTwoDateSystems) {
  const Row rows1900[] = {
      {u"m/d/yyyy", 0, "1/0/1900"},
      {u"m/d/yyyy", 1, "1/1/1900"},
      {u"m/d/yyyy", 59, "2/28/1900"},
      {u"m/d/yyyy", 60, "2/29/1900"},  // the leap day that never was
      {u"m/d/yyyy", 61, "3/1/1900"},
      {u"dddd", 1, "Sunday"},
      {u"dddd", 60, "Wednesday"},
      {u"dddd", 61, "Thursday"},
      {u"yyyy-mm-dd", 43831, "2020-01-01"},
      {u"m/d/yyyy", 2958465, "12/31/9999"},
      {u"m/d/yyyy", 2958466, "##########"},
      {u"m/d/yyyy", -1, "##########"},
      {u"d-mmm-yy", 45000, "15-Mar-23"},
      {u"mmmm mmmmm ddd", 45000, "March M Wed"},
      {u"m/d/yyyy h:mm", 45000.75, "3/15/2023 18:00"},
      {u"h:mm AM/PM", 0.75, "6:00 PM"},
      {u"h:mm am/pm", 0, "12:00 AM"},
      {u"h:mm a/p", 0.5, "12:00 p"},
      {u"h:mm:ss", 0.999999, "0:00:00"},  // 23:59:59.91 rounds to the next day
      {u"m/d/yyyy h:mm:ss", 1.999999, "1/2/1900 0:00:00"},
      {u"h:mm", 0.999, "23:58"},  // minutes are cut, not rounded
      {u"hh:mm:ss.000", 12.3456789, "08:17:46.657"},
      {u"mm:ss.0", 0.123456789, "57:46.7"},
      {u"[h]:mm:ss", 1.23456789, "29:37:47"},
      {u"[mm]:ss", 0.5, "720:00"},
      {u"[h]", -12.3456789, "-296"},
      {u"[h]:mm:ss", -1, "##########"},
      {u"[h]:mm", 1e300, "##########"},
  };
  ExpectRows(rows1900, std::size(rows1900));
  const Row rows1904[] = {
      {u"m/d/yyyy", 0, "1/1/1904"},
      {u"m/d/yyyy", 1462, "1/2/1908"},
      {u"yyyy-mm-dd", 43831 - 1462, "2020-01-01"},
      {u"dddd", 0, "Friday"},
      {u"m/d/yyyy", 2957003, "12/31/9999"},
      {u"m/d/yyyy", 2957004, "##########"},
  };
  ExpectRows(rows1904, std::size(rows1904), DateSystem::k1904);
}

TEST(NumberFormatDates, TheCalendarEndsWhereTheRoundedValueEnds) {
  const Row rows1900[] = {
      {u"m/d/yyyy", 2958465.999999994, "##########"},  // rounds to 1 January 10000
      {u"h:mm:ss.000", 2958465.9999999999, "##########"},
      {u"m/d/yyyy", 2958465.99999, "12/31/9999"},  // 23:59:59.1 stays in 9999
      {u"yyyy-mm-dd hh:mm", 2958465.9999, "9999-12-31 23:59"},
      {u"m/d/yyyy h:mm:ss.00", 2958465.9999999, "12/31/9999 23:59:59.99"},
  };
  ExpectRows(rows1900, std::size(rows1900));
  const Row rows1904[] = {
      {u"m/d/yyyy", 2957003.999999994, "##########"},
      {u"m/d/yyyy", 2957003.99999, "12/31/9999"},
      {u"m/d/yyyy", -2957003.999999994, "##########"},
  };
  ExpectRows(rows1904, std::size(rows1904), DateSystem::k1904);
}

TEST(NumberFormatCompile, CodesLongerThan255CharactersAreRefusedAndShowAsGeneral) {
  const std::u16string longest(255, u'0');
  NumberFormat f;
  ASSERT_TRUE(NumberFormat::Compile(longest, f));
  std::u16string out;
  f.RenderNumber(5, DateSystem::k1900, out);
  EXPECT_EQ(out, std::u16string(254, u'0') + u"5");
  for (const std::u16string& code : {std::u16string(256, u'0'), std::u16string(30000, u'0'),
                                     u"0.00" + std::u16string(252, u'x')}) {
    CompileError error;
    EXPECT_FALSE(NumberFormat::Compile(code, f, &error)) << code.size();
    EXPECT_TRUE(f.IsGeneral());
    const std::string description = ToUtf8(error.description);
    EXPECT_NE(description.find("longer than 255 characters"), std::string::npos) << description;
    EXPECT_LT(description.size(), 200u) << "quotes the whole code";
    EXPECT_EQ(error.offset, 255u);
    f.RenderNumber(1234.5, DateSystem::k1900, out);
    EXPECT_EQ(ToUtf8(out), "1234.5");
  }
}

// A value keeps 15 significant digits, rounded from its exact binary value, however they are
// found: the quick way by scaling, which must give way near a half, or digit conversion.
TEST(NumberFormatNumbers, FifteenSignificantDigitsAreTheCorrectlyRoundedOnes) {
  NumberFormat f;
  ASSERT_TRUE(NumberFormat::Compile(u"0.00000000000000E+00", f));
  std::mt19937_64 random(2026);
  std::vector<double> values = {5e-324,
                                2.2250738585072014e-308,
                                1e-13,
                                0.1,
                                1.0000000000000002,
                                0.99999999999999989,
                                123456.78,
                                999999999999999.88,
                                1e15 + 5,
                                0.30000000000000004,
                                1.7976931348623157e308};
  std::uniform_real_distribution<double> unit(1.0, 10.0);
  for (int i = 0; i < 20000; ++i) {
    // Bit patterns cover every magnitude; full-precision values every decade the quick way
    // takes; short decimals the common case; sixteen digits ending in 5 lie next to a half.
    const std::uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (std::isfinite(value)) values.push_back(value);
    const int decade = static_cast<int>(random() % 32) - 16;
    values.push_back(unit(random) * std::pow(10.0, decade));
    values.push_back(static_cast<double>(static_cast<std::int64_t>(random() % 100000000)) /
                     std::pow(10.0, static_cast<int>(random() % 12)));
    const std::string tie = std::to_string(100000000000000u + random() % 900000000000000u) + "5e" +
                            std::to_string(decade - 15);
    values.push_back(std::strtod(tie.c_str(), nullptr));
  }
  std::u16string out;
  for (const double value : values) {
    if (value == 0) continue;
    char expected[40];
    std::snprintf(expected, sizeof expected, "%.14E", value);
    f.RenderNumber(value, DateSystem::k1900, out);
    ASSERT_EQ(ToUtf8(out), expected) << value;
  }
}

TEST(NumberFormatValues, NotANumberAndInfinitiesShowAsNumError) {
  const double values[] = {std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity()};
  for (const char16_t* code : {u"General", u"0.00", u"m/d/yyyy", u"# ?/?", u"0;-0;0;@"}) {
    for (double v : values) EXPECT_EQ(Render(code, v), "#NUM!") << ToUtf8(code) << " " << v;
  }
}

TEST(NumberFormatRender, AllocatesNothingPerValueWhenTheBufferHasRoom) {
  const char16_t* codes[] = {u"General",      u"0.00",
                             u"#,##0",        u"0%",
                             u"m/d/yyyy",     u"yyyy-mm-dd hh:mm:ss.000",
                             u"# ?\?/?\?",    u"#,##0.00_);[Red](#,##0.00);\"zero\";\"text: \"@",
                             u"0.00E+00",     u"[h]:mm",
                             u"\"n=\"General"};
  std::vector<NumberFormat> formats(std::size(codes));
  for (std::size_t i = 0; i < std::size(codes); ++i) {
    ASSERT_TRUE(NumberFormat::Compile(codes[i], formats[i])) << ToUtf8(codes[i]);
  }
  std::u16string out;
  out.reserve(512);  // the widest value here, 1e300 in "0.00", takes 304
  const long before = AllocationCount();
  for (const NumberFormat& f : formats) {
    for (double v : {0.0, -0.0, 1.5, -1234567.891, 0.3, 45000.75, 1e14, 1.23456789e-7, 1e300,
                     -1e-300, std::numeric_limits<double>::quiet_NaN()}) {
      const long at = AllocationCount();
      f.RenderNumber(v, DateSystem::k1900, out);
      f.RenderNumber(v, DateSystem::k1904, out);
      EXPECT_EQ(AllocationCount(), at)
          << "value " << v << " code " << ToUtf8(codes[&f - &formats[0]]);
    }
    f.RenderText(u"some text", out);
  }
  EXPECT_EQ(AllocationCount() - before, 0);
}

TEST(NumberFormatKinds, ReportsGeneralTextAndDates) {
  struct Kind {
    const char16_t* code;
    bool general, text, date;
  };
  const Kind rows[] = {{u"General", true, false, false}, {u"@", false, true, false},
                       {u"0;@", false, false, false},    {u"m/d/yyyy", false, false, true},
                       {u"[h]:mm", false, false, true},  {u"0.00", false, false, false},
                       {u"\"mm\"0", false, false, false}};
  for (const Kind& k : rows) {
    NumberFormat f;
    ASSERT_TRUE(NumberFormat::Compile(k.code, f));
    EXPECT_EQ(f.IsGeneral(), k.general) << ToUtf8(k.code);
    EXPECT_EQ(f.IsText(), k.text) << ToUtf8(k.code);
    EXPECT_EQ(f.IsDateTime(), k.date) << ToUtf8(k.code);
  }
  NumberFormat copy;
  {
    NumberFormat f;
    ASSERT_TRUE(NumberFormat::Compile(u"0.0%", f));
    copy = f;
  }
  std::u16string out;
  copy.RenderNumber(0.5, DateSystem::k1900, out);
  EXPECT_EQ(ToUtf8(out), "50.0%");
}

TEST(BuiltinFormats, EveryDefinedIdCompilesAndRendersAsToday) {
  int defined = 0;
  for (int id = -1; id <= 60; ++id) {
    const std::u16string_view code = BuiltinFormatCode(id);
    if (code.empty()) continue;
    ++defined;
    NumberFormat f;
    CompileError error;
    EXPECT_TRUE(NumberFormat::Compile(code, f, &error)) << id << ToUtf8(error.description);
  }
  EXPECT_EQ(defined, 36);
  EXPECT_TRUE(BuiltinFormatCode(23).empty());
  EXPECT_TRUE(BuiltinFormatCode(50).empty());
  const struct {
    int id;
    double value;
    const char* expected;
  } rows[] = {{14, 45000, "3/15/2023"},  {22, 45000.5, "3/15/2023 12:00"},
              {37, -1234, "(1,234)"},    {39, 1234.5, "1,234.50 "},
              {44, 0, " $-   "},         {47, 0.0006, "00:51.8"},
              {48, 12345, "12.3E+3"},    {12, 0.5, " 1/2"},
              {3, 1234567, "1,234,567"}, {10, 0.1234, "12.34%"}};
  for (const auto& r : rows) {
    EXPECT_EQ(Render(BuiltinFormatCode(r.id), r.value), r.expected) << "id " << r.id;
  }
}

TEST(FixedTexts, BooleansAndErrorValues) {
  EXPECT_EQ(ToUtf8(BooleanText(true)), "TRUE");
  EXPECT_EQ(ToUtf8(BooleanText(false)), "FALSE");
  const ErrorValue all[] = {ErrorValue::kNull, ErrorValue::kDiv0, ErrorValue::kValue,
                            ErrorValue::kRef,  ErrorValue::kName, ErrorValue::kNum,
                            ErrorValue::kNA};
  const char* texts[] = {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(ToUtf8(ErrorText(all[i])), texts[i]);
    EXPECT_EQ(ParseErrorText(ErrorText(all[i])), all[i]);
  }
  EXPECT_FALSE(ParseErrorText(u"#n/a").has_value());
  EXPECT_FALSE(ParseErrorText(u"").has_value());
}

}  // namespace
}  // namespace brintova::numfmt
