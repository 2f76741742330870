// The eleven operations on one cell, in both output modes: what each writes, when, and with
// which number format; and the character filter they share.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "extract/excel_extract.h"
#include "fakes/fake_server.h"
#include "fakes/fake_window.h"
#include "platform/text.h"

namespace brintova::ExcelExtract {
namespace {

using testing::FakeForm;
using testing::FakeServer;
using testing::FakeWorkbook;
using testing::Worksheet;

using Call = std::function<void(Form&, Workbook*, Workbook*)>;

struct Outcome {
  std::optional<std::u16string> value;  // nullopt: the output cell was never written
  std::u16string number_format;
};

std::string Show(const std::optional<std::u16string>& value) {
  return value ? "\"" + ToUtf8(*value) + "\"" : "no write";
}

// Runs `call` on a workbook whose only cell, B2, shows `text`, and reads output cell B2.
Outcome RunOnCell(OutputMode mode, const std::u16string& text, const Call& call) {
  FakeServer server;
  server.AddFile(u"C:\\in\\a.xlsx", {Worksheet(u"Data", {{"B2", text}})});
  FakeForm form;
  form.option1.value = mode == OutputMode::kNewSheet;
  form.option2.value = mode == OutputMode::kNewWorkbook;
  auto source_app = server.CreateObject(u"Excel.Application");
  auto source = source_app->Workbooks().Open(u"C:\\in\\a.xlsx");
  std::shared_ptr<Workbook> output;
  if (mode == OutputMode::kNewWorkbook) {
    output = server.CreateObject(u"Excel.Application")->Workbooks().Add();
  }
  call(form, source.get(), output.get());

  auto& source_book = *server.instance(1).workbooks()[0];
  EXPECT_EQ(source_book.sheet(u"Data").stored("B2"), text) << "the source cell is never changed";
  const auto& result_book =
      mode == OutputMode::kNewSheet ? source_book : *server.instance(2).workbooks()[0];
  const auto& sheet = *result_book.sheets()[0];
  EXPECT_EQ(sheet.name(), u"Sheet1");
  return {sheet.stored("B2"), sheet.number_format("B2")};
}

struct CellCase {
  const char* operation;
  std::u16string text;
  Call call;
  std::optional<std::u16string> new_sheet;     // what new-sheet mode writes
  std::optional<std::u16string> new_workbook;  // what new-workbook mode writes
};

void CheckCases(const std::vector<CellCase>& cases) {
  for (const CellCase& c : cases) {
    for (const OutputMode mode : {OutputMode::kNewSheet, OutputMode::kNewWorkbook}) {
      const char* mode_name = mode == OutputMode::kNewSheet ? "new sheet" : "new workbook";
      SCOPED_TRACE(std::string(c.operation) + " on \"" + ToUtf8(c.text) + "\", " + mode_name);
      const auto expected = mode == OutputMode::kNewSheet ? c.new_sheet : c.new_workbook;
      const Outcome outcome = RunOnCell(mode, c.text, c.call);
      EXPECT_EQ(Show(outcome.value), Show(expected));
      // Every written cell is formatted as text first; an unwritten one keeps no format.
      EXPECT_EQ(outcome.number_format, expected ? u"@" : u"");
    }
  }
}

Call Plain(void (*op)(Form&, Workbook*, Workbook*)) { return op; }
Call WithText(void (*op)(Form&, Workbook*, std::u16string, Workbook*), std::u16string text) {
  return [op, text](Form& f, Workbook* s, Workbook* o) { op(f, s, text, o); };
}
Call WithNumber(void (*op)(Form&, Workbook*, std::int16_t, Workbook*), std::int16_t x) {
  return [op, x](Form& f, Workbook* s, Workbook* o) { op(f, s, x, o); };
}

TEST(CharacterClassOperations, KeepTheirSetsInTextOrderInBothModes) {
  const std::u16string order = u"Order #A-17, 3 pcs.";
  CheckCases({
      {"ExtractAlphabet", order, Plain(ExtractAlphabet), u"OrderApcs", u"OrderApcs"},
      {"ExtractNumbers", order, Plain(ExtractNumbers), u"173", u"173"},
      {"ExtractAlphanumeric", order, Plain(ExtractAlphanumeric), u"OrderA173pcs", u"OrderA173pcs"},
      {"ExtractNonAlphanumeric", order, Plain(ExtractNonAlphanumeric), u"#-,.", u"#-,."},
      {"ExtractUserDefined s3", order, WithText(ExtractUserDefined, u"s3"), u"3s", u"3s"},
      {"ExtractAlphabet", u"Caf\u00e9", Plain(ExtractAlphabet), u"Caf", u"Caf"},
      {"ExtractNonAlphanumeric", u"Caf\u00e9", Plain(ExtractNonAlphanumeric), u"\u00e9", u"\u00e9"},
      {"ExtractNumbers", u"-1,234.50", Plain(ExtractNumbers), u"123450", u"123450"},
      {"ExtractUserDefined a", u"Banana", WithText(ExtractUserDefined, u"a"), u"aaa", u"aaa"},
      // A text with no member still gets the empty string written.
      {"ExtractUserDefined a", u"BANANA", WithText(ExtractUserDefined, u"a"), u"", u""},
      {"ExtractNumbers", u"---", Plain(ExtractNumbers), u"", u""},
      {"ExtractAlphabet", u"A\nB", Plain(ExtractAlphabet), u"AB", u"AB"},
      {"ExtractNonAlphanumeric", u"A\r\n\tB C", Plain(ExtractNonAlphanumeric), u"", u""},
      // Non-breaking space, other controls, full-width and superscript digits are not members.
      {"ExtractNonAlphanumeric", u"1\u00a02\u0007\uff13\u00b2", Plain(ExtractNonAlphanumeric),
       u"\u00a0\u0007\uff13\u00b2", u"\u00a0\u0007\uff13\u00b2"},
      {"ExtractAlphanumeric", u"a b", Plain(ExtractAlphanumeric), u"ab", u"ab"},
      {"ExtractUserDefined space", u"a b  c", WithText(ExtractUserDefined, u" c"), u"   c",
       u"   c"},
      // Case-sensitive.
      {"ExtractUserDefined B", u"abBA", WithText(ExtractUserDefined, u"B"), u"B", u"B"},
  });
}

TEST(PositionalOperations, WriteExactlyWhenTheirModesConditionHolds) {
  const std::u16string t = u"ABCDEF";
  CheckCases({
      {"ExtractFirstChars 2", t, WithNumber(ExtractFirstChars, 2), u"AB", u"AB"},
      {"ExtractFirstChars 6", t, WithNumber(ExtractFirstChars, 6), {}, {}},
      {"ExtractFirstChars 0", t, WithNumber(ExtractFirstChars, 0), u"", u""},
      {"ExtractLastChars 2", t, WithNumber(ExtractLastChars, 2), u"EF", u"EF"},
      {"ExtractLastChars 6", t, WithNumber(ExtractLastChars, 6), {}, {}},
      {"ExtractLastChars 9", t, WithNumber(ExtractLastChars, 9), {}, {}},
      {"ExtractLastChars 0", t, WithNumber(ExtractLastChars, 0), u"", u""},
      {"ExtractLastChars 5", u"ID00123", WithNumber(ExtractLastChars, 5), u"00123", u"00123"},
      {"ExtractAfterPosition 3", t, WithNumber(ExtractAfterPosition, 3), u"CDEF", u"CDEF"},
      {"ExtractAfterPosition 6", t, WithNumber(ExtractAfterPosition, 6), u"F", {}},
      {"ExtractAfterPosition 7", t, WithNumber(ExtractAfterPosition, 7), {}, {}},
      {"ExtractBeforePosition 3", t, WithNumber(ExtractBeforePosition, 3), u"ABC", u"ABC"},
      {"ExtractBeforePosition 6", t, WithNumber(ExtractBeforePosition, 6), u"ABCDEF", {}},
      {"ExtractBeforePosition 7", t, WithNumber(ExtractBeforePosition, 7), {}, {}},
      {"ExtractBeforePosition 0", t, WithNumber(ExtractBeforePosition, 0), u"", u""},
      {"ExtractFirstChars 32767", t, WithNumber(ExtractFirstChars, 32767), {}, {}},
  });
}

TEST(MarkerOperations, CutAtTheFirstExactOccurrence) {
  const std::u16string t = u"ABCDEF";
  CheckCases({
      {"ExtractAfterText CD", t, WithText(ExtractAfterText, u"CD"), u"EF", u"EF"},
      {"ExtractBeforeText CD", t, WithText(ExtractBeforeText, u"CD"), u"AB", u"AB"},
      {"ExtractAfterText EF", t, WithText(ExtractAfterText, u"EF"), u"", u""},
      {"ExtractBeforeText AB", t, WithText(ExtractBeforeText, u"AB"), u"", u""},
      {"ExtractAfterText cd", t, WithText(ExtractAfterText, u"cd"), {}, {}},
      {"ExtractBeforeText cd", t, WithText(ExtractBeforeText, u"cd"), {}, {}},
      {"ExtractAfterText -", u"a-b-c", WithText(ExtractAfterText, u"-"), u"b-c", u"b-c"},
      {"ExtractBeforeText -", u"a-b-c", WithText(ExtractBeforeText, u"-"), u"a", u"a"},
      {"ExtractAfterText ab", u"xxabyyabzz", WithText(ExtractAfterText, u"ab"), u"yyabzz",
       u"yyabzz"},
      {"ExtractBeforeText ab", u"xxabyyabzz", WithText(ExtractBeforeText, u"ab"), u"xx", u"xx"},
      {"ExtractAfterText longer than the text", u"AB", WithText(ExtractAfterText, u"ABC"), {}, {}},
  });
}

TEST(ExtractAfterPosition, FailsOnZeroAtTheFirstCellWithTextInBothModes) {
  for (const OutputMode mode : {OutputMode::kNewSheet, OutputMode::kNewWorkbook}) {
    FakeServer server;
    server.AddFile(u"C:\\a.xlsx", {Worksheet(u"Data", {{"C3", u"xyz"}, {"D4", u"q"}})});
    FakeForm form;
    form.option1.value = mode == OutputMode::kNewSheet;
    form.option2.value = !form.option1.value;
    auto source = server.CreateObject(u"Excel.Application")->Workbooks().Open(u"C:\\a.xlsx");
    auto output = server.CreateObject(u"Excel.Application")->Workbooks().Add();
    try {
      ExtractAfterPosition(form, source.get(), 0, output.get());
      ADD_FAILURE() << "x = 0 must fail";
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.description(), u"Invalid procedure call or argument");
      EXPECT_EQ(failure.number(), kFailureInvalidArgument);
    }
    EXPECT_EQ(server.calls("Sheet.SetCellValue"), 0);
    EXPECT_EQ(server.instance(1).workbooks()[0]->sheets().size(),
              mode == OutputMode::kNewSheet ? 2u : 1u)
        << "the output sheet stays inserted";
  }
}

TEST(FilterCharacters, KeepsMembersOrNonMembersWithEveryRepetition) {
  EXPECT_EQ(FilterCharacters(u"abcabc", u"ca", true), u"acac");
  EXPECT_EQ(FilterCharacters(u"abcabc", u"ca", false), u"bb");
  EXPECT_EQ(FilterCharacters(u"", u"abc", true), u"");
  EXPECT_EQ(FilterCharacters(u"abc", u"", true), u"");
  EXPECT_EQ(FilterCharacters(u"abc", u"", false), u"abc");
  // Code units are judged one at a time: a surrogate pair splits when the set holds one half.
  EXPECT_EQ(FilterCharacters(u"x\U0001F600y", u"\xD83D", true), u"\xD83D");
}

TEST(FilterCharacters, JudgesCharactersOnBothSidesOfTheAsciiRangeAlike) {
  // Members below 128 and past it, and neighbours of each that are not members.
  const std::u16string_view set = u"7\x7F\x80\u00e9\u20ac";
  const std::u16string_view text = u"67\x7E\x7F\x80\x81\u00e8\u00e9\u20ac\u20ad";
  EXPECT_EQ(FilterCharacters(text, set, true), u"7\x7F\x80\u00e9\u20ac");
  EXPECT_EQ(FilterCharacters(text, set, false), u"6\x7E\x81\u00e8\u20ad");
  // A set of digits keeps the digits of a long text and nothing else.
  std::u16string long_text;
  std::u16string digits;
  for (int i = 0; i < 1000; ++i) {
    long_text += static_cast<char16_t>(u'0' + i % 10);
    long_text += static_cast<char16_t>(0x660 + i % 10);  // Arabic-Indic digits are not members
    digits += static_cast<char16_t>(u'0' + i % 10);
  }
  EXPECT_EQ(FilterCharacters(long_text, u"0123456789", true), digits);
}

}  // namespace
}  // namespace brintova::ExcelExtract
