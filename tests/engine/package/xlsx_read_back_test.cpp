// What the reader makes of values that other producers write loosely and that the engine's own
// saves must read back exactly: _xHHHH_ escapes in every kind of string cell (lone surrogates
// included), empty number-format codes, and formula cells saved without a result.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <iterator>
#include <string>

#include "engine/model/workbook.h"
#include "engine/package/save_workbook.h"
#include "engine/package/xlsx_reader.h"
#include "platform/text.h"
#include "test_package.h"

namespace brintova::engine {
namespace {

using package::ReadResult;
using package::ReadXlsxBuffer;
using testing::MakeZip;
using testing::MinimalWorkbook;

ReadResult Read(const testing::Entries& entries) {
  const std::string bytes = MakeZip(entries);
  return ReadXlsxBuffer(bytes.data(), bytes.size());
}

std::u16string TextAt(const model::Workbook& book, int row, int column) {
  std::u16string out;
  const model::Sheet& sheet = book.sheet(0);
  model::DisplayedText(book, sheet, sheet.Find(row, column), out);
  return out;
}

const std::string kEscapedSharedStrings =
    R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<si><t>a_xD83D_b</t></si></sst>)";

// Whichever way a string reaches the sheet, an escape names one UTF-16 code unit, a lone
// surrogate as much as any other; "_x005F_" keeps a literal "_x" sequence.
TEST(XlsxReadBack, EscapesNameTheExactCodeUnitInEveryKindOfStringCell) {
  const auto result = Read(MinimalWorkbook(
      R"(<row r="1"><c r="A1" t="s"><v>0</v></c>)"
      R"(<c r="B1" t="inlineStr"><is><t>a_xD83D_b</t></is></c>)"
      R"(<c r="C1" t="str"><f>X1</f><v>a_xD83D_b</v></c>)"
      R"(<c r="D1" t="inlineStr"><v>a_xD83D_b</v></c>)"
      R"(<c r="E1" t="str"><f>X1</f><v>line_x000D__x000A_two _x005F_x0041_</v></c></row>)",
      "", kEscapedSharedStrings));
  ASSERT_TRUE(result.ok()) << result.error.description;
  const std::u16string lone = std::u16string(u"a") + char16_t(0xD83D) + u"b";
  for (int column = 1; column <= 4; ++column) {
    EXPECT_EQ(TextAt(*result.workbook, 1, column), lone) << "column " << column;
  }
  EXPECT_EQ(TextAt(*result.workbook, 1, 5), u"line\r\ntwo _x0041_");
}

// A result that keeps half of an emoji, control characters or text that looks like an escape
// is saved and reads back unit for unit.
TEST(XlsxReadBack, SavedTextsReadBackExactlyAsWritten) {
  const std::u16string texts[] = {
      std::u16string(u"a") + char16_t(0xD83D),                            // first half of U+1F600
      std::u16string(1, char16_t(0xDE00)) + u"b",                         // second half
      std::u16string(u"x") + char16_t(0xDC00) + char16_t(0xD800) + u"y",  // halves reversed
      u"_x0041_ stays _x0041_",
      std::u16string(u"tab\tcr\rlf\nbell") + char16_t(7) + char16_t(0xFFFE),
      u"\U0001F600 whole",
      u" <a> & \"b\" 'c' ",  // markup characters, and spaces at both ends
  };
  model::Workbook book;
  model::Sheet& sheet = book.AddSheet(u"Sheet1", model::SheetKind::kWorksheet);
  for (int i = 0; i < static_cast<int>(std::size(texts)); ++i) {
    sheet.Put(i + 1, model::Cell::OwnedString(1, sheet.strings().Add(texts[i]), 0));
  }
  // The grid's last cell: the longest reference a sheet holds.
  sheet.Put(model::kMaxRows, model::Cell::OwnedString(model::kMaxColumns,
                                                      sheet.strings().Add(u"last"), 0));
  char folder[] = "/tmp/engine_read_back_XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string path = std::string(folder) + "/texts.xlsx";
  package::SaveWorkbookAs(book, TextFromNativePath(path));
  const ReadResult again = package::ReadXlsxFile(path);
  std::remove(path.c_str());
  rmdir(folder);
  ASSERT_TRUE(again.ok()) << again.error.description;
  for (int i = 0; i < static_cast<int>(std::size(texts)); ++i) {
    EXPECT_EQ(TextAt(*again.workbook, i + 1, 1), texts[i]) << "row " << i + 1;
  }
  EXPECT_EQ(TextAt(*again.workbook, model::kMaxRows, model::kMaxColumns), u"last");
}

std::string StylesWithFormats(const std::string& num_fmts, const std::string& xf_ids) {
  return R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
         "<numFmts>" +
         num_fmts + "</numFmts><cellXfs>" + xf_ids + "</cellXfs></styleSheet>";
}

// An empty code would hide every value it formats: a built-in id keeps its own code (General
// for id 0), any other id shows General.
TEST(XlsxReadBack, AnEmptyFormatCodeIsNoCode) {
  const auto result = Read(MinimalWorkbook(
      R"(<row r="1"><c r="A1" s="0"><v>1234.5</v></c><c r="B1" s="1"><v>45000</v></c>)"
      R"(<c r="C1" s="2"><v>0.25</v></c><c r="D1" s="3"><v>7</v></c></row>)",
      StylesWithFormats(R"(<numFmt numFmtId="0" formatCode=""/>)"
                        R"(<numFmt numFmtId="14" formatCode=""/>)"
                        R"(<numFmt numFmtId="164" formatCode=""/>)"
                        R"(<numFmt numFmtId="165" formatCode="0.0"/>)",
                        R"(<xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="164"/>)"
                        R"(<xf numFmtId="165"/>)")));
  ASSERT_TRUE(result.ok()) << result.error.description;
  EXPECT_EQ(TextAt(*result.workbook, 1, 1), u"1234.5");
  EXPECT_EQ(TextAt(*result.workbook, 1, 2), u"3/15/2023");
  EXPECT_EQ(TextAt(*result.workbook, 1, 3), u"0.25");
  EXPECT_EQ(TextAt(*result.workbook, 1, 4), u"7.0");
}

// Formula cells that a program wrote without calculating them (openpyxl writes "<f>..</f>
// <v></v>") read as empty and are counted; a stored result, the empty text included, is not.
TEST(XlsxReadBack, CountsFormulaCellsWithoutAStoredResult) {
  const auto result = Read(MinimalWorkbook(
      R"(<row r="1"><c r="A1"><f>1+1</f><v></v></c><c r="B1"><f>SUM(A1:A9)</f></c>)"
      R"(<c r="C1" t="b"><f>TRUE()</f></c><c r="D1" t="str"><f>X1</f></c></row>)"
      R"(<row r="2"><c r="A2"><f>1+1</f><v>2</v></c><c r="B2" t="str"><f>""</f><v></v></c>)"
      R"(<c r="C2" t="str"><f>"a"</f><v>a</v></c><c r="D2"><v>5</v></c><c r="E2"/></row>)"));
  ASSERT_TRUE(result.ok()) << result.error.description;
  const model::Workbook& book = *result.workbook;
  EXPECT_EQ(book.formulas_without_result(), 4u);
  for (int column = 1; column <= 4; ++column) {
    EXPECT_EQ(TextAt(book, 1, column), u"") << "column " << column;
  }
  EXPECT_EQ(TextAt(book, 2, 1), u"2");
  EXPECT_EQ(TextAt(book, 2, 3), u"a");
  ASSERT_NE(book.sheet(0).Find(1, 4), nullptr);  // an uncalculated formula still counts as used
  EXPECT_EQ(book.sheet(0).used_range().last_column, 4);

  const auto plain = Read(MinimalWorkbook(R"(<row r="1"><c r="A1"><v>1</v></c></row>)"));
  ASSERT_TRUE(plain.ok());
  EXPECT_EQ(plain.workbook->formulas_without_result(), 0u);
}

}  // namespace
}  // namespace brintova::engine
