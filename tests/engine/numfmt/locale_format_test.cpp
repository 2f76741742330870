// Sections in Chinese (PRC), Japanese and Korean: the [DBNum1]..[DBNum3] numerals, the date and
// time codes the application writes for those languages, the Japanese eras, and the system long
// date and time formats ([$-F800], [$-F400]) as an en-US system shows them. The conformance
// suite checks the same rules against the application's own texts for a few of these codes.
#include <gtest/gtest.h>

#include <string>

#include "engine/numfmt/number_format.h"
#include "platform/text.h"

namespace brintova::numfmt {
namespace {

struct Case {
  const char16_t* code;
  double value;
  const char16_t* expected;
};

std::u16string Show(const char16_t* code, double value) {
  NumberFormat f;
  CompileError error;
  if (!NumberFormat::Compile(code, f, &error)) return u"<refused: " + error.description + u">";
  std::u16string out;
  f.RenderNumber(value, DateSystem::k1900, out);
  return out;
}

template <std::size_t N>
void ExpectAll(const Case (&cases)[N]) {
  for (const Case& c : cases) {
    EXPECT_EQ(ToUtf8(Show(c.code, c.value)), ToUtf8(c.expected))
        << "code \"" << ToUtf8(c.code) << "\" value " << c.value;
  }
}

// Wednesday 14 March 2012, 13:30:55.
constexpr double kSample = 40982 + (13 * 3600 + 30 * 60 + 55) / 86400.0;

TEST(NativeNumerals, ChineseReadsWholeNumbersWithUnitsAndZeroGaps) {
  const Case cases[] = {
      {u"[DBNum1][$-804]General", 12323, u"一万二千三百二十三"},
      {u"[DBNum1][$-804]General", 10, u"一十"},
      {u"[DBNum1][$-804]General", 1005, u"一千零五"},
      {u"[DBNum1][$-804]General", 100001, u"一十万零一"},
      {u"[DBNum1][$-804]General", 100000000, u"一亿"},
      {u"[DBNum1][$-804]General", 0, u"○"},
      {u"[DBNum1][$-804]General", -12.5, u"-一十二.五"},
      {u"[DBNum2][$-804]General", 123, u"壹佰贰拾叁"},
      {u"[DBNum2][$-804]General", 12, u"壹拾贰"},
      {u"[DBNum2][$-804]General\"元\"", 123456, u"壹拾贰万叁仟肆佰伍拾陆元"},
      {u"[DBNum3][$-804]General", 123, u"１百２十３"},
      {u"[DBNum3][$-804]General", 100010, u"１十万零１十"},
  };
  ExpectAll(cases);
}

TEST(NativeNumerals, JapaneseDropsOneBeforeTenHundredThousandAndSkipsZeros) {
  const Case cases[] = {
      {u"[DBNum1][$-411]General", 12345, u"一万二千三百四十五"},
      {u"[DBNum1][$-411]General", 1010, u"千十"},
      {u"[DBNum1][$-411]General", 10000, u"一万"},
      {u"[DBNum2][$-411]General", 12345, u"壱萬弐阡参百四拾伍"},
      {u"[DBNum3][$-411]General", 12345, u"１２３４５"},
      {u"[DBNum3][$-411]#,##0", 1234567, u"１,２３４,５６７"},
  };
  ExpectAll(cases);
}

TEST(NativeNumerals, KoreanUsesHanjaAndFullWidthDigitsWithUnits) {
  const Case cases[] = {
      {u"[DBNum1][$-412]General", 12345, u"一萬二千三百四十五"},
      {u"[DBNum1][$-412]General", 10, u"十"},
      {u"[DBNum2][$-412]General", 12345, u"壹萬貳阡參百四拾伍"},
      {u"[DBNum3][$-412]General", 12345, u"１萬２千３百４十５"},
  };
  ExpectAll(cases);
}

TEST(NativeNumerals, PlaceholderDigitsConvertAndLiteralDigitsStay) {
  const Case cases[] = {
      {u"[DBNum2][$-804]0\"角\"", 5, u"伍角"},
      {u"[DBNum1][$-804]0.00", 3.5, u"三.五○"},
      {u"[DBNum1][$-804]0000", 12, u"○○一十二"},
      {u"[DBNum2][$-804]#,##0", 1234, u"壹仟贰佰叁拾肆"},
      {u"[DBNum1][$-804]\"第1\"0", 5, u"第1五"},
      {u"[DBNum1][$-804]0.00E+00", 12345, u"一.二三E+○四"},
      {u"[dbnum2][$-804]0;[dbnum2]\"负\"0", -12, u"负壹拾贰"},
  };
  ExpectAll(cases);
}

TEST(NativeNumerals, WithoutTheseLanguagesDigitsStayWestern) {
  const Case cases[] = {
      {u"[DBNum1]General", 123, u"123"},
      {u"[DBNum1][$-409]0", 5, u"5"},
      {u"[DBNum4][$-804]General", 12, u"12"},
      {u"[DBNum2][$-407]#,##0.00", 1234.5, u"1,234.50"},
  };
  ExpectAll(cases);
}

TEST(LocaleDates, ChineseCodesTheApplicationWrites) {
  const Case cases[] = {
      {u"[$-804]yyyy\"年\"m\"月\"d\"日\";@", kSample, u"2012年3月14日"},
      {u"[DBNum1][$-804]yyyy\"年\"m\"月\"d\"日\";@", kSample, u"二○一二年三月十四日"},
      {u"[DBNum1][$-804]m\"月\"d\"日\";@", kSample, u"三月十四日"},
      {u"[$-804]aaaa;@", kSample, u"星期三"},
      {u"[$-804]aaa;@", kSample, u"三"},
      {u"[$-804]dddd ddd", kSample, u"星期三 周三"},
      {u"[$-804]上午/下午h\"时\"mm\"分\";@", kSample, u"下午1时30分"},
      {u"[DBNum1][$-804]上午/下午h\"时\"mm\"分\";@", kSample, u"下午一时三十分"},
      {u"[$-804]h\"时\"mm\"分\"ss\"秒\";@", kSample, u"13时30分55秒"},
      {u"[DBNum1][$-804]h\"时\"mm\"分\";@", kSample, u"十三时三十分"},
      {u"[$-804]h:mm AM/PM", 0.25, u"6:00 上午"},
  };
  ExpectAll(cases);
}

TEST(LocaleDates, JapaneseCodesTheApplicationWrites) {
  const Case cases[] = {
      {u"[$-411]ggge\"年\"m\"月\"d\"日\";@", kSample, u"平成24年3月14日"},
      {u"[$-411]gggyy\"年\"m\"月\"d\"日\"\\ dddd;@", kSample, u"平成24年3月14日 水曜日"},
      {u"[$-411]yy\"年\"", kSample, u"12年"},  // without an era, the Western year
      {u"[$-411]ge.m.d;@", kSample, u"H24.3.14"},
      {u"[$-411]gge\"年\"m\"月\"d\"日\"", kSample, u"平24年3月14日"},
      {u"[DBNum1][$-411]ggge\"年\"m\"月\"d\"日\";@", kSample, u"平成二十四年三月十四日"},
      {u"[DBNum3][$-411]ggge\"年\"m\"月\"d\"日\";@", kSample, u"平成２４年３月１４日"},
      {u"[$-411]yyyy\"年\"m\"月\"d\"日\" aaaa", kSample, u"2012年3月14日 水曜日"},
      {u"[$-411]ddd", kSample, u"水"},
      {u"[$-411]AM/PM h\"時\"mm\"分\"", kSample, u"午後 1時30分"},
      {u"[$-411]h:mm A/P", 0.25, u"6:00 午前"},
      {u"[$-411]h\"時\"mm\"分\"", kSample, u"13時30分"},
  };
  ExpectAll(cases);
}

TEST(LocaleDates, JapaneseErasTurnOnTheirFirstDay) {
  const Case cases[] = {
      {u"[$-411]ggge", 32515, u"昭和64"},  // 7 January 1989
      {u"[$-411]ggge", 32516, u"平成1"},   // 8 January 1989
      {u"[$-411]ge", 43585, u"H31"},       // 30 April 2019
      {u"[$-411]ge", 43586, u"R1"},        // 1 May 2019
      {u"[$-411]gge", 4594, u"明45"},      // 29 July 1912
      {u"[$-411]gge", 4595, u"大1"},       // 30 July 1912
      {u"[$-411]ggg ee", 9856, u"昭和 01"}, {u"[$-411]ggge", 61, u"明治33"},
      {u"[$-804]e", kSample, u"2012"},  // elsewhere e is the year
  };
  ExpectAll(cases);
}

TEST(LocaleDates, KoreanCodesTheApplicationWrites) {
  const Case cases[] = {
      {u"[$-412]yyyy\"년\" m\"월\" d\"일\" dddd;@", kSample, u"2012년 3월 14일 수요일"},
      {u"[$-412]AM/PM h\"시\" mm\"분\";@", kSample, u"오후 1시 30분"},
      {u"[$-412]h\"시\" mm\"분\" ss\"초\";@", kSample, u"13시 30분 55초"},
      {u"[$-412]aaa", kSample, u"수"},
  };
  ExpectAll(cases);
}

TEST(SystemFormats, LongDateAndTimeFollowAnEnUsSystemNotTheCode) {
  const Case cases[] = {
      {u"[$-F800]dddd\\,\\ mmmm\\ dd\\,\\ yyyy", kSample, u"Wednesday, March 14, 2012"},
      {u"[$-F800]dddd\\,\\ mmmm\\ dd\\,\\ yyyy", 40913, u"Thursday, January 05, 2012"},
      {u"[$-x-sysdate]dddd, mmmm dd, yyyy", kSample, u"Wednesday, March 14, 2012"},
      {u"[$-F400]h:mm:ss\\ AM/PM", kSample, u"1:30:55 PM"},
      {u"[$-x-systime]h:mm:ss AM/PM", kSample, u"1:30:55 PM"},
      {u"[$-F400]hh:mm", 0.25, u"6:00:00 AM"},
      {u"[$-F800]d/m/yy", 40913, u"Thursday, January 05, 2012"},
      {u"[$-F800]dddd", -1, u"##########"},
  };
  ExpectAll(cases);
}

TEST(FormatParser, LocaleBracketsKeepTheirSymbolAndReadTagsAndCalendarBits) {
  const Case cases[] = {
      {u"[$¥-804]#,##0", 5, u"¥5"},
      {u"[$-zh-CN]aaaa", kSample, u"星期三"},
      {u"[$-ja-JP]ggge", kSample, u"平成24"},
      {u"[$-1010409]m/d/yyyy", kSample, u"3/14/2012"},
      {u"[$-10411]ge", kSample, u"H24"},
      {u"aaa ggg", kSample, u"aaa ggg"},  // no language: text
  };
  ExpectAll(cases);
}

}  // namespace
}  // namespace brintova::numfmt
