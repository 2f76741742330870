// Rules of the displayed text that the conformance corpus does not reach, one table per family:
// fractions with literal text, zero-padded denominators and signs; exponents; question marks
// with grouping; minutes, elapsed time and negative times in the two date systems.
#include <gtest/gtest.h>

#include <string>

#include "engine/numfmt/number_format.h"
#include "platform/text.h"

namespace brintova::numfmt {
namespace {

struct Case {
  const char16_t* code;
  double value;
  const char* expected;
};

std::string Show(const char16_t* code, double value, DateSystem system) {
  NumberFormat f;
  CompileError error;
  if (!NumberFormat::Compile(code, f, &error))
    return "<refused: " + ToUtf8(error.description) + ">";
  std::u16string out;
  f.RenderNumber(value, system, out);
  return ToUtf8(out);
}

template <std::size_t N>
void ExpectAll(const Case (&cases)[N], DateSystem system = DateSystem::k1900) {
  for (const Case& c : cases) {
    EXPECT_EQ(Show(c.code, c.value, system), c.expected)
        << "code \"" << ToUtf8(c.code) << "\" value " << c.value
        << (system == DateSystem::k1904 ? " (1904)" : "");
  }
}

// Seconds as a fraction of a day.
constexpr double Seconds(double s) { return s / 86400; }

TEST(FractionLiterals, TextBetweenTheWholePartAndTheFractionStays) {
  const Case cases[] = {
      {u"|#\\:#=/=#|", 23.75, "|23:3=/=4|"}, {u"#\\:#=/=#", 1.5, "1:1=/=2"},
      {u"# \"and\" ?/?", 2.5, "2 and 1/2"},  {u"#\"-\"?/4", 5.25, "5-1/4"},
      {u"#\\:#/#", -3.5, "-3:1/2"},
  };
  ExpectAll(cases);
}

TEST(FractionLiterals, AWholePartShowingNothingTakesItsTextButNotItsSpaces) {
  // A 0 placeholder shows the whole part, so its text stays.
  const Case cases[] = {
      {u"|#\\:#/#|", 0.75, "|3/4|"}, {u"#\\:#/#", 0.5, "1/2"},   {u"# \"and\" ?/?", 0.5, "  1/2"},
      {u"# ?/?", 0.3, " 2/7"},       {u"0\\:#/#", 0.5, "0:1/2"},
  };
  ExpectAll(cases);
}

TEST(FractionLiterals, AZeroPlaceholderInTheNumeratorShowsAZeroFraction) {
  const Case cases[] = {
      {u"|#\\:0=/=#|", 0, "|0=/=1|"}, {u"#\\:0/#", 0, "0/1"}, {u"# 0/0", 0, " 0/1"},
      {u"# 0/0", 3, "3 0/1"},         {u"# ?/?", 0, "0    "},  // ? placeholders blank it and show
                                                               // the whole part instead
  };
  ExpectAll(cases);
}

TEST(FractionLiterals, WholeDigitsFlowAroundLiteralsBetweenTheirPlaceholders) {
  const Case cases[] = {
      {u"|#\\:? ?=/=#|", 23.75, "|2:3 3=/=4|"},
      {u"#\\:#\\:# ?/?", 123.5, "1:2:3 1/2"},
      {u"0\\-0 ?/?", 5.5, "0-5 1/2"},
      {u"#\\:? ?/?", 5.5, ":5 1/2"},
  };
  ExpectAll(cases);
}

TEST(FractionLiterals, AWidthSkipIsTextAndTakesNoPlaceholder) {
  const Case cases[] = {
      {u"|#_#=/=#|", 3.75, "|15 =/=4|"}, {u"#_#/#", 2.5, "5 /2"},   {u"?_0/?", 0.5, "1 /2"},
      {u"#_#/4", 1.25, "5 /4"},          {u"#_-#/#", 2.5, "2 1/2"},
  };
  ExpectAll(cases);
}

TEST(FractionDenominators, ZeroPlaceholdersPadAndQuestionMarksTrail) {
  const Case cases[] = {
      {u"|#\\:? ?0#/000", 23.75, "|2:3  03/004"},
      {u"#/000", 0.25, "1/004"},
      {u"# ?/00", 1.5, "1 1/02"},
      {u"?/0?", 0.5, "1/02"},
      {u"?/?0", 0.5, "1/2 "},
      {u"?\?/?\?", 1e-5, " 0/1 "},
  };
  ExpectAll(cases);
}

TEST(FractionSigns, ANegativeValueKeepsItsMinusWhenTheFractionRoundsToZero) {
  const Case cases[] = {
      {u"#\\ ?/2", -0.24, "-0    "},
      {u"# ?/?", -0.01, "-0    "},
      {u"?\?/?\?", -0.00001, "- 0/1 "},
      {u"# ?/8", -0.05, "-0    "},
  };
  ExpectAll(cases);
  // A plain number that shows as zero still drops it.
  const Case plain[] = {
      {u"0.00", -0.001, "0.00"},
      {u"0", -0.4, "0"},
  };
  ExpectAll(plain);
}

TEST(FormatParser, LiteralsInsideFractionsAndExponentsKeepTheirPlace) {
  const Case cases[] = {
      {u"?\" \"/\" \"?", 0.5, "1 / 2"},
      {u"# ?/\"x\"?", 1.5, "1 1/x2"},
      {u"# ?\?/\"of \"100", 0.25, " 25/of 100"},
      {u"# ?/\\1\\6", 0.5, " 8/16"},  // escaped digits make a fixed denominator
      {u"0.0E+\"x\"00", 12345, "1.2E+x04"},
      {u"0.0E-\"x\"00", 0.0012, "1.2E-x03"},
      {u"0.0\"E+\"0", 12.34, "12.3E+4"},  // a quoted E+ is text: no exponent
      {u"#\" \"?\"/\"?", 1.5, "  /2"},    // a quoted bar is text: no fraction
  };
  ExpectAll(cases);
}

TEST(Exponents, TheLetterKeepsTheCaseOfTheCode) {
  const Case cases[] = {
      {u"|0.0|e-|0|", 123456.789, "|1.2|e|5|"},
      {u"0.00e+00", 12345, "1.23e+04"},
      {u"0e-0", 0.0012, "1e-3"},
      {u"0.0E+0", 5, "5.0E+0"},
  };
  ExpectAll(cases);
}

TEST(Exponents, CommasBetweenMantissaPlaceholdersGroupItsDigits) {
  const Case cases[] = {
      {u"|#,######.####|e-|#|", 123456.789, "|123,456.789|e|0|"},
      {u"#,##0.0E+0", 12345678, "1,234.6E+4"},
      {u"0,000E+0", 1234, "1,234E+0"},
      {u"##,##0E+0", 123456789, "1,235E+5"},
  };
  ExpectAll(cases);
}

TEST(Exponents, APercentSignDoesNotScaleTheValue) {
  const Case cases[] = {
      {u"|#%e-#|", 123456.789, "|1%e5|"},
      {u"0.0%E+0", 0.5, "5.0%E-1"},
      {u"0%E+00", 1234, "1%E+03"},
      {u"%0.00E+0", 1, "%1.00E+0"},
  };
  ExpectAll(cases);
}

TEST(Exponents, TrailingCommasNeitherScaleNorShow) {
  const Case cases[] = {
      {u"|#e-#,|", 123456.789, "|1e5|"},
      {u"0.0E+0,", 1e6, "1.0E+6"},
      {u"0.0E+0,,", 1e6, "1.0E+6"},
      {u"0,E+0", 1500, "2E+3"},
  };
  ExpectAll(cases);
}

TEST(Grouping, ABlankQuestionMarkBlanksItsSeparatorToo) {
  const Case cases[] = {
      {u"?,?????????", 1234567, "    1,234,567"},
      {u"?,???", 5, "    5"},
      {u"?,??0", 12, "   12"},
      {u"#,##0", 12, "12"},
      {u"0,000", 5, "0,005"},
  };
  ExpectAll(cases);
}

TEST(DateSystems, A1904WorkbookShowsNegativeDatesAndTimesWithAMinus) {
  const Case cases[] = {
      {u"[h]:m:s.000", -Seconds(2 * 3600 + 3 * 60 + 4), "-2:3:4.000"},
      {u"[h]:mm", -1.5, "-36:00"},
      {u"h:mm", -0.25, "-6:00"},
      {u"m/d/yyyy", -1, "-1/2/1904"},
      {u"yyyy-mm-dd hh:mm", -1.25, "-1904-01-02 06:00"},
      {u"0;m/d/yyyy", -1, "1/2/1904"},  // a section for negatives shows no sign of its own
      {u"m/d/yyyy", -2957004, "##########"},
  };
  ExpectAll(cases, DateSystem::k1904);
}

TEST(DateSystems, A1900WorkbookFillsNegativeDatesAndTimes) {
  const Case cases[] = {
      {u"[h]:m:s.000", -Seconds(2 * 3600 + 3 * 60 + 4), "##########"},
      {u"h:mm", -0.25, "##########"},
      {u"m/d/yyyy", -1, "##########"},
      {u"[h]", -12.3456789, "-296"},  // a lone elapsed count may be negative
  };
  ExpectAll(cases);
}

TEST(DateTokens, MAfterSecondsIsMinutesUntilTheSectionHasMinutes) {
  const double t = Seconds(3600 + 2 * 60 + 3);  // 1:02:03 on 1/0/1900
  const Case cases[] = {
      {u"s:m\" @ hour \"[hh]", 3.14159, "53:23 @ hour 75"},
      {u"s:m", t, "3:2"},
      {u"ss\" \"mm", t, "03 02"},
      {u"s\"s\"m\"m\"h\"h\"", t, "3s2m1h"},
      {u"[ss] m", t, "3723 2"},
      {u"hh:mm:ss m", t, "01:02:03 1"},  // minutes are shown already: a month
  };
  ExpectAll(cases);
}

TEST(DateTokens, APlainUnitAfterTheSameElapsedUnitStaysElapsed) {
  const Case cases[] = {
      {u"[s]\" [yes, \"ss\"] seconds\"", 3.14159, "271433 [yes, 271433] seconds"},
      {u"[h]:mm\" (\"h\" h)\"", 1.5, "36:00 (36 h)"},
      {u"[h] hh", 0.25, "6 06"},
      {u"[s] ss", Seconds(75), "75 75"},
      {u"[mm]\" = \"mm", 0.5, "720 = 720"},
  };
  ExpectAll(cases);
}

}  // namespace
}  // namespace brintova::numfmt
