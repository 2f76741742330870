// Counting user-perceived characters: emoji with skin tones, flags, family sequences and
// combining marks are one character each and never cut in half, while every write condition
// stays that of the code-unit rules.
#include "extract/character_count.h"

#include <gtest/gtest.h>

#include "extract/excel_extract.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::ExcelExtract {
namespace {

const std::u16string kThumbsUpMedium = u"\U0001F44D\U0001F3FD";  // 👍🏽: 4 code units
const std::u16string kGermanFlag = u"\U0001F1E9\U0001F1EA";  // 🇩🇪: two regional indicators
const std::u16string kFamily = u"\U0001F468\u200D\U0001F469\u200D\U0001F467";  // 👨‍👩‍👧
const std::u16string kDecomposedE = u"e\u0301";                // é as e + combining acute
const std::u16string kHangulSyllable = u"\u1100\u1161\u11A8";  // 각 from three jamo

std::string Show(const std::optional<CellResult>& result) {
  if (!result) return "no write";
  return "\"" + ToUtf8(result->text) + "\"";
}

TEST(CharacterBoundaries, KeepEachUserPerceivedCharacterWhole) {
  struct Row {
    const char* what;
    std::u16string text;
    std::size_t characters;
  };
  const std::vector<Row> rows = {
      {"emoji with a skin tone", kThumbsUpMedium, 1},
      {"flag", kGermanFlag, 1},
      {"two flags", kGermanFlag + kGermanFlag, 2},
      {"family joined by zero-width joiners", kFamily, 1},
      {"e with a combining accent", kDecomposedE, 1},
      {"several combining marks", u"a\u0308\u0301\u0323", 1},
      {"Hangul jamo", kHangulSyllable, 1},
      {"CR LF", u"\r\n", 1},
      {"mixed", u"A" + kThumbsUpMedium + kDecomposedE + u"z", 4},
      {"empty", u"", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::vector<std::size_t> boundaries = CharacterBoundaries(row.text);
    ASSERT_EQ(boundaries.size(), row.characters + 1);
    EXPECT_EQ(boundaries.front(), 0u);
    EXPECT_EQ(boundaries.back(), row.text.size());
  }
}

TEST(CharacterRules, CutBetweenCharactersNeverInsideOne) {
  const std::u16string text = u"A" + kThumbsUpMedium + kGermanFlag + kDecomposedE + kFamily;
  // Five characters, 1 + 4 + 4 + 2 + 8 = 19 code units.
  struct Row {
    const char* rule;
    std::optional<CellResult> got;
    std::optional<CellResult> expected;
  };
  const std::vector<Row> rows = {
      {"first 2", FirstCharactersRule(text, 2), CellResult{u"A" + kThumbsUpMedium}},
      {"first 4", FirstCharactersRule(text, 4),
       CellResult{u"A" + kThumbsUpMedium + kGermanFlag + kDecomposedE}},
      {"first 5 of 5", FirstCharactersRule(text, 5), std::nullopt},
      {"last 2", LastCharactersRule(text, 2), CellResult{kDecomposedE + kFamily}},
      {"last 1", LastCharactersRule(text, 1), CellResult{kFamily}},
      {"after position 3", AfterCharacterPositionRule(text, 3, OutputMode::kNewSheet),
       CellResult{kGermanFlag + kDecomposedE + kFamily}},
      {"after position 5, new sheet", AfterCharacterPositionRule(text, 5, OutputMode::kNewSheet),
       CellResult{kFamily}},
      {"after position 5, new workbook",
       AfterCharacterPositionRule(text, 5, OutputMode::kNewWorkbook), std::nullopt},
      {"before position 2", BeforeCharacterPositionRule(text, 2, OutputMode::kNewWorkbook),
       CellResult{u"A" + kThumbsUpMedium}},
      {"before position 5, new sheet", BeforeCharacterPositionRule(text, 5, OutputMode::kNewSheet),
       CellResult{text}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.rule);
    EXPECT_EQ(Show(row.got), Show(row.expected));
  }
  // Counted in code units the same cut keeps half of the emoji: what the option is for.
  EXPECT_EQ(FirstCharsRule(text, 2)->text, u"A" + kThumbsUpMedium.substr(0, 1));
}

// On text where every character is one code unit the two ways of counting must agree on every
// x and in both modes: the options change what is counted, never when a rule writes.
TEST(CharacterRules, AgreeWithTheCodeUnitRulesOnSingleUnitText) {
  const std::u16string text = u"ABCDEF";
  for (std::int16_t x = 0; x <= 8; ++x) {
    for (const OutputMode mode : {OutputMode::kNewSheet, OutputMode::kNewWorkbook}) {
      SCOPED_TRACE("x = " + std::to_string(x) +
                   (mode == OutputMode::kNewSheet ? ", new sheet" : ", new workbook"));
      EXPECT_EQ(Show(FirstCharactersRule(text, x)), Show(FirstCharsRule(text, x)));
      EXPECT_EQ(Show(LastCharactersRule(text, x)), Show(LastCharsRule(text, x)));
      EXPECT_EQ(Show(BeforeCharacterPositionRule(text, x, mode)),
                Show(BeforePositionRule(text, x, mode)));
      if (x == 0) {
        EXPECT_THROW(AfterCharacterPositionRule(text, x, mode), Failure);
        EXPECT_THROW(AfterPositionRule(text, x, mode), Failure);
      } else {
        EXPECT_EQ(Show(AfterCharacterPositionRule(text, x, mode)),
                  Show(AfterPositionRule(text, x, mode)));
      }
    }
  }
}

TEST(CharacterRules, CountALoneSurrogateAsOneCharacter) {
  const std::u16string broken =
      u"a\xD83D"
      u"b";  // half an emoji, as a damaged file may hold
  EXPECT_EQ(CharacterBoundaries(broken).size(), 4u);
  EXPECT_EQ(FirstCharactersRule(broken, 2)->text, u"a\xD83D");
}

}  // namespace
}  // namespace brintova::ExcelExtract
