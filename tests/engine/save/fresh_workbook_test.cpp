// Workbooks written anew (from text and legacy files, and new ones) and the CSV export: the
// engine and LibreOffice read back the same displayed texts.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "engine/package/save_workbook.h"
#include "engine/server/open_workbook.h"
#include "engine/text/text_workbook_reader.h"
#include "platform/failure.h"
#include "platform/text.h"
#include "save_helpers.h"

namespace brintova::engine::savetest {
namespace {

// Texts that need escaping of every kind, as a CSV file gives them.
constexpr char kAwkwardCsv[] =
    "plain,  leading,trailing  ,\"<&>\"\"'\"\n"
    "\"tab\tinside\",\"line\nbreak\",_x0041_,\"ctl\x01mark\"\n"
    "00123,\"1,234\",TRUE,\xF0\x9F\x98\x80 smile\n"
    "-2.5e-3,caf\xC3\xA9,\"cr\rin\",\n";

TEST(SaveWorkbookAs, TextFileBecomesAWorkbookWithTheSameTexts) {
  ScratchFolder folder;
  auto book = textfile::ReadTextWorkbookFromBytes(kAwkwardCsv,
                                                  TextFromNativePath(folder.File("awkward.csv")));
  const CellTexts expected = SheetTexts(*book, book->sheet(0));
  ASSERT_EQ(expected.at({3, 2}), "1,234");
  const std::string saved = folder.File("awkward.xlsx");
  package::SaveWorkbookAs(*book, TextFromNativePath(saved));

  const auto reopened = Open(saved);
  ASSERT_EQ(reopened->SheetCount(), 1u);
  EXPECT_EQ(reopened->sheet(0).name(), u"awkward");
  EXPECT_EQ(SheetTexts(*reopened, reopened->sheet(0)), expected);

  const auto shown = LibreOfficeFirstSheet(saved, folder.path());
  if (!shown) GTEST_SKIP() << "soffice is not installed";
  EXPECT_EQ(*shown, expected);
}

TEST(SaveWorkbookAs, LegacyWorkbookKeepsSheetsValuesAndDates) {
  ScratchFolder folder;
  auto book = Open(DataPath("legacy_values.xls"));
  const std::string saved = folder.File("legacy.xlsx");
  package::SaveWorkbookAs(*book, TextFromNativePath(saved));
  const auto reopened = Open(saved);
  ASSERT_EQ(reopened->SheetCount(), book->SheetCount());
  for (std::size_t i = 0; i < book->SheetCount(); ++i) {
    EXPECT_EQ(reopened->sheet(i).name(), book->sheet(i).name());
    EXPECT_EQ(SheetTexts(*reopened, reopened->sheet(i)), SheetTexts(*book, book->sheet(i)))
        << ToUtf8(book->sheet(i).name());
  }
  const CellTexts first = SheetTexts(*reopened, reopened->sheet(0));
  // Each date and time keeps the number format it had in the legacy file.
  EXPECT_EQ(first.at({2, 5}), "2024-02-29");
  EXPECT_EQ(first.at({2, 6}), "2023-12-31 13:45:30");
  EXPECT_EQ(first.at({2, 7}), "7:05:09");
  EXPECT_EQ(first.at({2, 2}), "123.00");
  EXPECT_EQ(first.at({2, 4}), "TRUE");
}

TEST(SaveWorkbookAs, NewWorkbookAsTemplate) {
  ScratchFolder folder;
  model::Workbook book;
  model::Sheet& sheet = book.AddSheet(u"Sheet1", model::SheetKind::kWorksheet);
  sheet.Put(2, model::Cell::Number(3, 0.125, book.styles().StyleWithFormat(0, u"0.0%")));
  sheet.Put(1, model::Cell::OwnedString(1, sheet.strings().Add(u"x"), 0));
  const std::string saved = folder.File("new.xltx");
  package::SaveWorkbookAs(book, TextFromNativePath(saved));
  pugi::xml_document types;
  ASSERT_TRUE(types.load_string(ZipEntries(saved).at("[Content_Types].xml").c_str()));
  EXPECT_STREQ(types.select_node("//Override[@PartName='/xl/workbook.xml']")
                   .node()
                   .attribute("ContentType")
                   .value(),
               "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml");
  const auto reopened = Open(saved);
  EXPECT_EQ(SheetTexts(*reopened, reopened->sheet(0)),
            (CellTexts{{{1, 1}, "x"}, {{2, 3}, "12.5%"}}));
}

TEST(SaveSheetAsCsv, WritesDisplayedTextsQuotedWhereNeeded) {
  ScratchFolder folder;
  auto book = textfile::ReadTextWorkbookFromBytes(
      "a,\"b,c\",\"say \"\"hi\"\"\"\n\n1,234,\"1,234\",\"two\nlines\"\n", u"in.csv");
  const std::string out = folder.File("out.csv");
  package::SaveSheetAsCsv(*book, book->sheet(0), TextFromNativePath(out));
  EXPECT_EQ(ReadBytes(out),
            "\xEF\xBB\xBF"
            "a,\"b,c\",\"say \"\"hi\"\"\"\r\n"
            "\r\n"
            "1,234,\"1,234\",\"two\nlines\"\r\n");
  EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"out.csv"}));
  // What it wrote reads back as the same texts.
  auto again = textfile::ReadTextWorkbook(TextFromNativePath(out));
  EXPECT_EQ(SheetTexts(*again, again->sheet(0)), SheetTexts(*book, book->sheet(0)));
}

// A sheet used to the grid's last cell is written as its texts, not as the 17 billion empty
// fields of the whole grid: rows end at their last text, and nothing follows the last row
// with one (cells that only carry a format add nothing).
TEST(SaveSheetAsCsv, StreamsOnlyUpToTheLastTextOfEachRow) {
  ScratchFolder folder;
  model::Workbook book;
  model::Sheet& sheet = book.AddSheet(u"Sheet1", model::SheetKind::kWorksheet);
  const auto put_text = [&](std::int32_t row, std::int32_t column, std::u16string_view text) {
    sheet.Put(row, model::Cell::OwnedString(column, sheet.strings().Add(text), 0));
  };
  const std::uint32_t hidden = book.styles().StyleWithFormat(0, u";;;");
  put_text(1, 2, u"b");
  put_text(3, 1, u"x");
  put_text(3, 4, u"y");
  sheet.Put(3, model::Cell::Number(9, 5, hidden));  // shows no text
  put_text(model::kMaxRows, model::kMaxColumns, u"corner");
  sheet.Put(model::kMaxRows, model::Cell::Empty(1, hidden));
  ASSERT_EQ(sheet.used_range().last_row, model::kMaxRows);
  ASSERT_EQ(sheet.used_range().last_column, model::kMaxColumns);
  const std::string out = folder.File("wide.csv");
  package::SaveSheetAsCsv(book, sheet, TextFromNativePath(out));
  const std::string bytes = ReadBytes(out);
  const std::string head = "\xEF\xBB\xBF,b\r\n\r\nx,,,y\r\n";
  const std::string tail = std::string(model::kMaxColumns - 1, ',') + "corner\r\n";
  ASSERT_EQ(bytes.size(), head.size() + (model::kMaxRows - 4) * 2 + tail.size());
  EXPECT_EQ(bytes.substr(0, head.size()), head);
  EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);
  EXPECT_EQ(bytes.find_first_not_of("\r\n", head.size()), bytes.size() - tail.size());

  // Formatted cells below and right of the last text add no rows or fields.
  model::Workbook small;
  model::Sheet& s = small.AddSheet(u"Sheet1", model::SheetKind::kWorksheet);
  s.Put(1, model::Cell::OwnedString(1, s.strings().Add(u"only"), 0));
  s.Put(500, model::Cell::Empty(300, small.styles().StyleWithFormat(0, u"0.00")));
  package::SaveSheetAsCsv(small, s, TextFromNativePath(folder.File("small.csv")));
  EXPECT_EQ(ReadBytes(folder.File("small.csv")), "\xEF\xBB\xBFonly\r\n");
}

}  // namespace
}  // namespace brintova::engine::savetest
