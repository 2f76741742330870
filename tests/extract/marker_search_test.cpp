// The marker rules against the published results of the spreadsheet application's TEXTAFTER
// and TEXTBEFORE (n-th and last occurrence, not found, letter case), case folding beyond ASCII,
// between, and the default options giving exactly the window's operations 5 and 6.
#include "extract/marker_search.h"

#include <gtest/gtest.h>

#include "extract/excel_extract.h"
#include "platform/text.h"

namespace brintova::ExcelExtract {
namespace {

std::string Show(const std::optional<CellResult>& result) {
  return result ? "\"" + ToUtf8(result->text) + "\"" : "no write";
}

struct MarkerCase {
  std::u16string text;
  std::u16string marker;
  MarkerOptions options;
  std::optional<std::u16string> after;  // nullopt: nothing written
  std::optional<std::u16string> before;
};

void Check(const std::vector<MarkerCase>& cases) {
  for (const MarkerCase& c : cases) {
    SCOPED_TRACE("\"" + ToUtf8(c.text) + "\" marker \"" + ToUtf8(c.marker) + "\" occurrence " +
                 std::to_string(c.options.occurrence) +
                 (c.options.ignore_case ? " ignoring case" : ""));
    const auto expected = [](const std::optional<std::u16string>& text) {
      return text ? std::optional<CellResult>(CellResult{*text}) : std::nullopt;
    };
    EXPECT_EQ(Show(AfterMarkerRule(c.text, c.marker, c.options)), Show(expected(c.after)));
    EXPECT_EQ(Show(BeforeMarkerRule(c.text, c.marker, c.options)), Show(expected(c.before)));
  }
}

// The two texts of the application's own examples; nullopt there stands for its #N/A.
const std::u16string kCapital = u"Little Red Riding Hood's red hood";
const std::u16string kSmall = u"Little red Riding Hood's red hood";

TEST(MarkerRules, GiveThePublishedTextAfterAndTextBeforeResults) {
  Check({
      {kCapital, u"Red", {}, u" Riding Hood's red hood", u"Little "},
      {kCapital, u"basket", {}, std::nullopt, std::nullopt},
      {kSmall, u"Red", {}, std::nullopt, std::nullopt},  // case-sensitive by default
      {kSmall, u"red", {2, false}, u" hood", u"Little red Riding Hood's "},
      {kSmall, u"red", {-2, false}, u" Riding Hood's red hood", u"Little "},
      {kCapital, u"red", {3, false}, std::nullopt, std::nullopt},  // fewer occurrences
      {kSmall, u"Red", {1, true}, u" Riding Hood's red hood", u"Little "},
      {u"Red riding hood's, red hood", u"hood", {}, u"'s, red hood", u"Red riding "},
  });
}

TEST(MarkerRules, CountOccurrencesFromEitherEndWithoutOverlap) {
  Check({
      {u"a-b-c", u"-", {1, false}, u"b-c", u"a"},
      {u"a-b-c", u"-", {2, false}, u"c", u"a-b"},
      {u"a-b-c", u"-", {-1, false}, u"c", u"a-b"},
      {u"a-b-c", u"-", {-2, false}, u"b-c", u"a"},
      {u"a-b-c", u"-", {3, false}, std::nullopt, std::nullopt},
      {u"a-b-c", u"-", {-3, false}, std::nullopt, std::nullopt},
      // "aaaa" holds two "aa", not three: from the start they are 0-1 and 2-3, from the end too.
      {u"aaaa", u"aa", {2, false}, u"", u"aa"},
      {u"aaaa", u"aa", {3, false}, std::nullopt, std::nullopt},
      {u"aaaaa", u"aa", {-1, false}, u"", u"aaa"},
      {u"aaaaa", u"aa", {-2, false}, u"aa", u"a"},
      {u"aaaaa", u"aa", {-3, false}, std::nullopt, std::nullopt},
      // The marker at the very end or start gives the empty text, which is still written.
      {u"x@", u"@", {-1, false}, u"", u"x"},
      {u"@x", u"@", {1, false}, u"x", u""},
      {u"ab", u"abc", {1, false}, std::nullopt, std::nullopt},
      {u"ab", u"b", {0, false}, std::nullopt, std::nullopt},
  });
}

TEST(MarkerRules, IgnoreCaseFoldsEveryScriptButNeverChangesLengths) {
  Check({
      {u"Straße ÄRGER ärger", u"ä", {1, true}, u"RGER ärger", u"Straße "},
      {u"Straße ÄRGER ärger", u"ä", {-1, true}, u"rger", u"Straße ÄRGER "},
      {u"Straße ÄRGER ärger", u"ä", {1, false}, u"rger", u"Straße ÄRGER "},
      // Simple folding: capital sharp s folds to ß; "ss" is another text.
      {u"STRAẞE", u"ß", {1, true}, u"E", u"STRA"},
      {u"Strasse", u"ß", {1, true}, std::nullopt, std::nullopt},
      {u"ΣΟΦΙΑ σοφια", u"σοφ", {2, true}, u"ια", u"ΣΟΦΙΑ "},
      {u"Ковалёв КОВАЛЁВ", u"ё", {-1, true}, u"В", u"Ковалёв КОВАЛ"},
      // A letter outside the first plane: Deseret capital and small long I fold alike.
      {u"x\U00010400y\U00010428z", u"\U00010428", {1, true}, u"y\U00010428z", u"x"},
      {u"x\U00010400y\U00010428z", u"\U00010428", {-1, true}, u"z", u"x\U00010400y"},
  });
  EXPECT_EQ(FoldCase(u"ÄẞΣ\U00010400"), u"äßσ\U00010428");
}

TEST(MarkerRules, WithDefaultOptionsMatchTheWindowsOperations) {
  const std::vector<std::pair<std::u16string, std::u16string>> inputs = {
      {u"ABCDEF", u"CD"}, {u"ABCDEF", u"EF"},     {u"ABCDEF", u"AB"},
      {u"ABCDEF", u"cd"}, {u"xxabyyabzz", u"ab"}, {u"a-b-c", u"-"},
      {u"", u"-"},        {u"aaa", u"aa"},        {u"\U0001F44D\U0001F3FD!", u"\U0001F3FD"}};
  for (const auto& [text, marker] : inputs) {
    SCOPED_TRACE("\"" + ToUtf8(text) + "\" marker \"" + ToUtf8(marker) + "\"");
    EXPECT_EQ(Show(AfterMarkerRule(text, marker, {})), Show(AfterTextRule(text, marker)));
    EXPECT_EQ(Show(BeforeMarkerRule(text, marker, {})), Show(BeforeTextRule(text, marker)));
  }
}

TEST(BetweenRule, TakesTheTextUpToTheFirstClosingMarkerAfterTheChosenOpening) {
  struct Row {
    std::u16string text, after, before;
    MarkerOptions options;
    std::optional<std::u16string> expected;
  };
  const std::vector<Row> rows = {
      {u"Order [A-17] shipped [B-2]", u"[", u"]", {}, u"A-17"},
      {u"Order [A-17] shipped [B-2]", u"[", u"]", {2, false}, u"B-2"},
      {u"Order [A-17] shipped [B-2]", u"[", u"]", {-1, false}, u"B-2"},
      {u"Order [A-17] shipped [B-2]", u"[", u"]", {3, false}, std::nullopt},
      {u"Order [A-17 shipped", u"[", u"]", {}, std::nullopt},  // never closed
      {u"Order ]A-17[", u"[", u"]", {}, std::nullopt},         // closing only before
      {u"<b></b>", u"<b>", u"</b>", {}, u""},                  // touching: "" written
      {u"id=7;ID=8;", u"id=", u";", {}, u"7"},
      {u"id=7;ID=8;", u"id=", u";", {-1, true}, u"8"},
      {u"Name: ÄRZTIN; Ort: Köln", u"name: ", u"; ort", {1, true}, u"ÄRZTIN"},
      // Opening and closing alike: the closing one is the next after the opening.
      {u"|a|b|c|", u"|", u"|", {2, false}, u"b"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("\"" + ToUtf8(row.text) + "\" between \"" + ToUtf8(row.after) + "\" and \"" +
                 ToUtf8(row.before) + "\", occurrence " + std::to_string(row.options.occurrence));
    const auto result = BetweenMarkersRule(row.text, row.after, row.before, row.options);
    EXPECT_EQ(Show(result), Show(row.expected ? std::optional<CellResult>(CellResult{*row.expected})
                                              : std::nullopt));
  }
}

}  // namespace
}  // namespace brintova::ExcelExtract
