// The pattern operation: whole matches, numbered and named groups, every match joined, empty
// matches, Unicode text, patterns refused with a reason, and a pattern that backtracks without
// end stopping at its limit on that cell only.
#include "extract/pattern_rule.h"

#include <gtest/gtest.h>

#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::ExcelExtract {
namespace {

std::string Show(const std::optional<CellResult>& result) {
  return result ? "\"" + ToUtf8(result->text) + "\"" : "no write";
}

PatternSettings Settings(std::u16string pattern, std::u16string group = u"", bool all = false,
                         std::u16string join = u", ", bool ignore_case = false) {
  return PatternSettings{std::move(pattern), std::move(group), all, std::move(join), ignore_case};
}

std::optional<CellResult> Match(PatternSettings settings, std::u16string_view text) {
  PatternMatcher matcher(std::make_shared<const Pattern>(std::move(settings)));
  return matcher.Apply(text);
}

std::string FailureOf(PatternSettings settings) {
  try {
    Pattern pattern(std::move(settings));
  } catch (const Failure& failure) {
    return failure.what();
  }
  return "accepted";
}

TEST(PatternRule, WritesTheMatchOrTheGroupAskedFor) {
  struct Row {
    PatternSettings settings;
    std::u16string text;
    std::optional<std::u16string> expected;
  };
  const std::u16string order = u"Order A-17 on 2024-03-05, ref B-2";
  const std::vector<Row> rows = {
      {Settings(u"[A-Z]-\\d+"), order, u"A-17"},
      {Settings(u"[A-Z]-\\d+", u"0"), order, u"A-17"},
      {Settings(u"(\\d{4})-(\\d\\d)-(\\d\\d)", u"2"), order, u"03"},
      {Settings(u"(?<year>\\d{4})-(?<month>\\d\\d)", u"month"), order, u"03"},
      {Settings(u"(?<year>\\d{4})-(?<month>\\d\\d)", u"year"), order, u"2024"},
      {Settings(u"[A-Z]-(\\d+)", u"1", true), order, u"17, 2"},
      {Settings(u"[A-Z]-(\\d+)", u"1", true, u"|"), order, u"17|2"},
      {Settings(u"[A-Z]-\\d+", u"", true, u""), order, u"A-17B-2"},
      {Settings(u"\\d{5}"), order, std::nullopt},  // no match: nothing written
      // A group that took no part in the match gives the empty text.
      {Settings(u"(x)|Order", u"1"), order, u""},
      // Empty matches advance one character, never loop: "a*" on "baac" gives "", "aa", "", "".
      {Settings(u"a*", u"", true, u","), u"baac", u",aa,,"},
      // Unicode: classes, case folding and characters outside the first plane.
      {Settings(u"\\w+"), u"¡Grüße!", u"Grüße"},
      {Settings(u"straße", u"", false, u", ", true), u"STRASSE Straße STRAẞE", u"Straße"},
      {Settings(u"Ä+", u"", true, u"/", true), u"äÄxÄ", u"äÄ/Ä"},
      {Settings(u"\\X", u"", true, u" "), u"\U0001F44D\U0001F3FDe\u0301",
       u"\U0001F44D\U0001F3FD e\u0301"},
      {Settings(u".", u"", true, u" "), u"\U0001F600x", u"\U0001F600 x"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("/" + ToUtf8(row.settings.pattern) + "/ group \"" + ToUtf8(row.settings.group) +
                 "\"" + (row.settings.all ? " all" : "") + " on \"" + ToUtf8(row.text) + "\"");
    EXPECT_EQ(
        Show(Match(row.settings, row.text)),
        Show(row.expected ? std::optional<CellResult>(CellResult{*row.expected}) : std::nullopt));
  }
}

TEST(PatternRule, RefusesABadPatternOrGroupWithAReason) {
  EXPECT_NE(FailureOf(Settings(u"(unclosed")).find("missing closing parenthesis"),
            std::string::npos);
  EXPECT_NE(FailureOf(Settings(u"ab[c")).find("at character"), std::string::npos);
  EXPECT_NE(FailureOf({u"a(b)", u"2"}).find("1 group, so there is no group 2"), std::string::npos);
  EXPECT_NE(FailureOf({u"a(?<x>b)", u"y"}).find("no group named \"y\""), std::string::npos);
  EXPECT_NE(FailureOf({u"(?J)(?<x>a)|(?<x>b)", u"x"}).find("several groups named"),
            std::string::npos);
  EXPECT_EQ(FailureOf({u"a(?<x>b)", u"x"}), "accepted");
  EXPECT_EQ(Pattern(Settings(u"(a)(b)(?:c)")).group_count(), 2u);
}

TEST(PatternRule, StopsACatastrophicPatternAtItsLimitOnThatCellOnly) {
  // (a+)+$ on a run of a's that ends in something else tries every way to split the run:
  // 2^40 attempts, hours without a limit.
  PatternMatcher matcher(std::make_shared<const Pattern>(Settings(u"(a+)+$")));
  const std::u16string almost = std::u16string(40, u'a') + u"!";
  try {
    matcher.Apply(almost);
    FAIL() << "the match should have stopped at its limit";
  } catch (const Failure& failure) {
    const std::string message = failure.what();
    EXPECT_NE(message.find("gave up on this cell"), std::string::npos) << message;
    EXPECT_NE(message.find("1000000 steps"), std::string::npos) << message;
  }
  // The same matcher goes on with the next cell.
  EXPECT_EQ(Show(matcher.Apply(u"aaaa")), "\"aaaa\"");
}

TEST(PatternRule, MatchesTextThatIsNotValidUtf16) {
  // A lone surrogate (from a damaged file) neither fails nor stops the match around it.
  const std::u16string broken =
      u"ab\xD83D"
      u"cd";
  EXPECT_EQ(Show(Match(Settings(u"[a-z]+", u"", true, u"+"), broken)), "\"ab+cd\"");
}

}  // namespace
}  // namespace brintova::ExcelExtract
