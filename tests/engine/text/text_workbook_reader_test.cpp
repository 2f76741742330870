// The workbook a csv or txt file becomes: one sheet named after the file, values typed, the
// displayed texts the application would show.
#include "engine/text/text_workbook_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::engine::textfile {
namespace {

std::string Shown(const model::Workbook& book, std::int32_t row, std::int32_t column) {
  std::u16string text;
  const model::Sheet& sheet = book.sheet(0);
  model::DisplayedText(book, sheet, sheet.Find(row, column), text);
  return ToUtf8(text);
}

TEST(ReadTextWorkbook, ShowsEachFieldAsTheApplicationWould) {
  const auto book = ReadTextWorkbookFromBytes(
      "id,amount,flag,note\r\n00123,\"1,234\",true,\"a \"\"b\"\"\"\n-1.50,1,234.5,FALSE,x\n",
      u"/data/orders.csv");
  ASSERT_EQ(book->SheetCount(), 1u);
  EXPECT_EQ(book->sheet(0).name(), u"orders");
  EXPECT_EQ(book->source().kind, model::SourceKind::kCsv);
  struct Case {
    std::int32_t row, column;
    std::string shown;
    model::CellType type;
  };
  const std::vector<Case> cases = {
      {1, 1, "id", model::CellType::kOwnedString},
      {2, 1, "123", model::CellType::kNumber},    // leading zeros dropped
      {2, 2, "1,234", model::CellType::kNumber},  // grouped: #,##0
      {2, 3, "TRUE", model::CellType::kBoolean},
      {2, 4, "a \"b\"", model::CellType::kOwnedString},
      {3, 1, "-1.5", model::CellType::kNumber},  // General
      {3, 2, "1", model::CellType::kNumber},     // unquoted: the comma separates
      {3, 3, "234.5", model::CellType::kNumber},
      {3, 4, "FALSE", model::CellType::kBoolean},
  };
  for (const Case& c : cases) {
    const model::Cell* cell = book->sheet(0).Find(c.row, c.column);
    ASSERT_NE(cell, nullptr) << c.row << "," << c.column;
    EXPECT_EQ(cell->type, c.type) << c.row << "," << c.column;
    EXPECT_EQ(Shown(*book, c.row, c.column), c.shown) << c.row << "," << c.column;
  }
}

TEST(ReadTextWorkbook, TxtPrefersTabsAndLatin1FallsBack) {
  const auto book = ReadTextWorkbookFromBytes("Caf\xE9\t1,5\n", u"notes.TXT");
  EXPECT_EQ(book->source().kind, model::SourceKind::kTxt);
  EXPECT_EQ(Shown(*book, 1, 1), "Café");
  EXPECT_EQ(Shown(*book, 1, 2), "1,5");  // not a number in en-US, stays text
}

TEST(ReadTextWorkbook, ByteOrderMarkIsNotPartOfTheFirstCell) {
  const auto book = ReadTextWorkbookFromBytes("\xEF\xBB\xBFname,7", u"a.csv");
  EXPECT_EQ(Shown(*book, 1, 1), "name");
  EXPECT_EQ(Shown(*book, 1, 2), "7");
}

TEST(ReadTextWorkbook, KeepsToTheGrid) {
  std::string wide;
  for (int i = 0; i < model::kMaxColumns + 2; ++i) wide += "x,";
  const auto book = ReadTextWorkbookFromBytes(wide, u"wide.csv");
  EXPECT_EQ(book->sheet(0).used_range().last_column, model::kMaxColumns);
  const std::string long_text(40000, 'a');
  const auto long_book = ReadTextWorkbookFromBytes(long_text, u"long.csv");
  EXPECT_EQ(Shown(*long_book, 1, 1).size(), 32767u);
}

TEST(SheetNameForFile, CutsAndCleansTheFileName) {
  struct Case {
    std::u16string path;
    std::u16string name;
  };
  const std::vector<Case> cases = {
      {u"/x/report.2024.csv", u"report.2024"},
      {u"/x/a[1]:b*?.csv", u"a_1__b__"},
      {u"/x/" + std::u16string(40, u'n') + u".csv", std::u16string(31, u'n')},
      {u"/x/.csv", u".csv"},  // a leading dot is part of the name
      {u"/x/'q'.txt", u"_q_"},
      {u"plain", u"plain"},
  };
  for (const Case& c : cases) EXPECT_EQ(SheetNameForFile(c.path), c.name) << ToUtf8(c.path);
}

TEST(ReadTextWorkbook, ReadsAFileAndNamesAMissingOne) {
  const std::string path = testing::TempDir() + "text_reader_file.csv";
  std::ofstream(path, std::ios::binary) << "1,2\n";
  const auto book = ReadTextWorkbook(TextFromNativePath(path));
  EXPECT_EQ(book->sheet(0).name(), u"text_reader_file");
  EXPECT_EQ(book->source().path, TextFromNativePath(path));
  std::remove(path.c_str());
  try {
    ReadTextWorkbook(TextFromNativePath(path));
    FAIL() << "no failure for a missing file";
  } catch (const Failure& f) {
    EXPECT_NE(ToUtf8(f.description()).find("text_reader_file.csv"), std::string::npos);
  }
}

TEST(ReadTextWorkbook, ReadsWhatFitsTheGridAndCountsTheRest) {
  // Two rows past the last row, and a first line with three fields past the last column.
  std::string text;
  for (int column = 1; column <= model::kMaxColumns + 3; ++column) text += "c,";
  text.back() = '\n';
  for (int row = 2; row <= model::kMaxRows + 2; ++row) text += std::to_string(row) + "\n";
  const auto book = ReadTextWorkbookFromBytes(text, u"/data/big.csv");
  EXPECT_EQ(Shown(*book, 1, model::kMaxColumns), "c");
  EXPECT_EQ(Shown(*book, model::kMaxRows, 1), std::to_string(model::kMaxRows));
  ASSERT_EQ(book->load_failures().size(), 1u);
  EXPECT_EQ(ToUtf8(book->load_failures()[0]),
            "Not all of /data/big.csv fits on a worksheet: 2 rows after row 1,048,576 and 3 "
            "fields after column XFD (the 16,384th) did not fit and were left out; the cells "
            "that fit were read.");

  // What fits says nothing.
  EXPECT_TRUE(ReadTextWorkbookFromBytes("1,2\n3,4", u"/data/small.csv")->load_failures().empty());
}

TEST(ReadTextWorkbook, RefusesMoreThanItsLimits) {
  TextLimits limits;
  limits.max_cells = 5;
  EXPECT_NO_THROW(ReadTextWorkbookFromBytes("1,2,3\n4,5", u"/data/five.csv", limits));
  try {
    ReadTextWorkbookFromBytes("1,2,3\n4,5,6", u"/data/six.csv", limits);
    FAIL() << "six cells read with a limit of five";
  } catch (const Failure& f) {
    EXPECT_EQ(ToUtf8(f.description()),
              "Cannot open /data/six.csv: the file holds more than 5 cells, the most this "
              "program reads for one workbook");
  }

  const std::string path = testing::TempDir() + "text_reader_large.csv";
  std::ofstream(path, std::ios::binary) << std::string((3u << 20) / 2, '1');
  limits.max_bytes = 1u << 20;
  try {
    ReadTextWorkbook(TextFromNativePath(path), limits);
    FAIL() << "a file of 1.5 MB read with a limit of 1 MB";
  } catch (const Failure& f) {
    EXPECT_NE(ToUtf8(f.description()).find("the file is larger than 1 MB"), std::string::npos)
        << ToUtf8(f.description());
  }
  std::remove(path.c_str());
}

}  // namespace
}  // namespace brintova::engine::textfile
