// The .xlsb reader over the calamine fixtures and over packages of records built in memory:
// values of every cell record, number formats through the styles part, and damaged or hostile
// records refused with a reason.
#include "engine/xlsb/xlsb_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/model/workbook.h"
#include "engine/server/open_workbook.h"
#include "engine/xlsb/xlsb_parts.h"
#include "platform/failure.h"
#include "platform/text.h"
#include "xlsb_builder.h"

namespace brintova::engine {
namespace {

using testing::CellHeader;
using testing::F64;
using testing::Record;
using testing::RowHeader;
using testing::U16;
using testing::U32;
using testing::Wide;

const std::string kCalamine = std::string(BRINTOVA_TEST_DATA) + "/calamine/";

std::string Text(const model::Workbook& book, std::size_t sheet, const char* reference) {
  const auto ref = model::ParseCellReference(reference);
  std::u16string out;
  const model::Sheet& s = book.sheet(sheet);
  model::DisplayedText(book, s, s.Find(static_cast<int>(ref->row), static_cast<int>(ref->column)),
                       out);
  return ToUtf8(out);
}

package::ReadResult ReadBuilt(const testing::Entries& entries) {
  const std::string zip = testing::MakeZip(entries);
  return xlsb::ReadXlsbBuffer(zip.data(), zip.size());
}

std::unique_ptr<model::Workbook> Built(const std::string& sheet, const std::string& styles = "",
                                       const std::string& strings = "") {
  auto result = ReadBuilt(testing::XlsbPackage(sheet, styles, strings));
  EXPECT_TRUE(result.ok()) << result.error.description;
  return std::move(result.workbook);
}

std::string FailureOf(const std::string& sheet, const std::string& workbook = "") {
  const auto result = ReadBuilt(testing::XlsbPackage(sheet, "", "", workbook));
  EXPECT_FALSE(result.ok());
  EXPECT_FALSE(result.error.description.empty());
  return result.error.description;
}

TEST(XlsbFixtures, EveryFileReadsButThePasswordProtectedOne) {
  int read = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kCalamine)) {
    if (entry.path().extension() != ".xlsb") continue;
    const std::u16string path = TextFromNativePath(entry.path().string());
    if (entry.path().filename() == "pass_protected.xlsb") {
      try {
        OpenWorkbookFile(path);
        ADD_FAILURE() << "a protected workbook opened";
      } catch (const Failure& failure) {
        EXPECT_EQ(failure.description(), u"This workbook is protected by a password: " + path);
      }
      continue;
    }
    try {
      const auto book = OpenWorkbookFile(path);
      EXPECT_EQ(book->source().kind, model::SourceKind::kXlsb);
      EXPECT_GE(book->SheetCount(), 1u) << entry.path();
      ++read;
    } catch (const Failure& failure) {
      ADD_FAILURE() << entry.path() << ": " << ToUtf8(failure.description());
    }
  }
  EXPECT_EQ(read, 11);
}

TEST(XlsbFixtures, SheetKindsVisibilityAndValues) {
  const auto book = OpenWorkbookFile(TextFromNativePath(kCalamine + "any_sheets.xlsb"));
  ASSERT_EQ(book->SheetCount(), 4u);
  const char* names[] = {"Visible", "Hidden", "VeryHidden", "Chart"};
  const model::Visibility visibility[] = {model::Visibility::kVisible, model::Visibility::kHidden,
                                          model::Visibility::kVeryHidden,
                                          model::Visibility::kVisible};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(ToUtf8(book->sheet(i).name()), names[i]);
    EXPECT_EQ(book->sheet(i).visibility(), visibility[i]) << names[i];
  }
  EXPECT_EQ(book->sheet(3).kind(), model::SheetKind::kChart);
  EXPECT_EQ(Text(*book, 0, "B3"), "6");
  EXPECT_EQ(Text(*book, 0, "A5"),
            "This workbook contains 4 sheets: Visible, Hidden, VeryHidden and Chart");
}

TEST(XlsbFixtures, BothDateSystemsShowTheSameDatesAndDurations) {
  const auto book1900 = OpenWorkbookFile(TextFromNativePath(kCalamine + "date.xlsb"));
  const auto book1904 = OpenWorkbookFile(TextFromNativePath(kCalamine + "date_1904.xlsb"));
  EXPECT_FALSE(book1900->date1904());
  EXPECT_TRUE(book1904->date1904());
  for (const char* cell : {"A1", "A2", "A3", "A4", "B1", "B4"}) {
    EXPECT_EQ(Text(*book1900, 0, cell), Text(*book1904, 0, cell)) << cell;
  }
  EXPECT_EQ(Text(*book1900, 0, "A1"), "2021-01-01");  // yyyy\-mm\-dd
  EXPECT_EQ(Text(*book1900, 0, "A3"), "255:10:10");   // [hh]:mm:ss
}

TEST(XlsbFixtures, FormulaResultsStringsAndOddPartNames) {
  const auto formulas = OpenWorkbookFile(TextFromNativePath(kCalamine + "issue_182.xlsb"));
  EXPECT_EQ(Text(*formulas, 0, "A1"), "3");
  EXPECT_EQ(Text(*formulas, 0, "A2"), "Ab");
  EXPECT_EQ(Text(*formulas, 0, "A3"), "FALSE");
  const auto issues = OpenWorkbookFile(TextFromNativePath(kCalamine + "issues.xlsb"));
  EXPECT_EQ(Text(*issues, 0, "A3"), "ab");
  EXPECT_EQ(Text(*issues, 0, "A6"), "10/20/2016");
  // The shared strings of this one live in "xl/SharedStrings.bin".
  const auto capital = OpenWorkbookFile(TextFromNativePath(kCalamine + "issue_419.xlsb"));
  EXPECT_EQ(Text(*capital, 0, "A1"), "Hello");
}

TEST(XlsbRecords, EveryCellRecordKeepsItsValue) {
  const std::string sheet =
      RowHeader(0) + Record(2, CellHeader(0) + U32((1234u << 2) | 0x2)) +  // integer RK
      Record(2, CellHeader(1) + U32((12345u << 2) | 0x3)) +                // integer / 100
      Record(2, CellHeader(2) + U32(0x3FF00000u)) +                        // 1.0 as a double RK
      Record(5, CellHeader(3) + F64(-2.5)) + Record(4, CellHeader(4) + "\x01") +
      Record(3, CellHeader(5) + "\x07") + Record(6, CellHeader(6) + Wide(u"caf\u00e9")) +
      RowHeader(2) + Record(8, CellHeader(0) + Wide(u"from a formula") + U16(0) + U32(0)) +
      Record(9, CellHeader(1) + F64(0.125) + U16(0) + U32(0)) +
      Record(10, CellHeader(2) + std::string(1, '\0') + U16(0) + U32(0)) +
      Record(11, CellHeader(3) + "\x2A" + U16(0) + U32(0)) +
      Record(11, CellHeader(4) + "\x2B" + U16(0) + U32(0)) +
      Record(62, CellHeader(5) + "\x01" + Wide(u"rich") + U32(0));
  const auto book = Built(sheet);
  ASSERT_NE(book, nullptr);
  const std::pair<const char*, const char*> expected[] = {
      {"A1", "1234"},  {"B1", "123.45"},  {"C1", "1"},    {"D1", "-2.5"},
      {"E1", "TRUE"},  {"F1", "#DIV/0!"}, {"G1", "café"}, {"A3", "from a formula"},
      {"B3", "0.125"}, {"C3", "FALSE"},   {"D3", "#N/A"}, {"E3", "#GETTING_DATA"},
      {"F3", "rich"},
  };
  for (const auto& [cell, text] : expected) EXPECT_EQ(Text(*book, 0, cell), text) << cell;
  EXPECT_EQ(book->sheet(0).used_range().last_row, 3);
}

TEST(XlsbRecords, NumberFormatsComeFromCellFormatsNotCellStyleFormats) {
  // Two cell-style formats come first; cell format 1 uses the custom code 164, 2 the built-in 10.
  const std::string xf_style = U16(0xFFFF) + U16(0) + std::string(12, '\0');
  const std::string styles = Record(615, U32(1)) + Record(44, U16(164) + Wide(u"#,##0.00 \"kg\"")) +
                             Record(616, "") + Record(626, U32(2)) + Record(47, xf_style) +
                             Record(47, U16(0) + U16(14) + std::string(12, '\0')) +
                             Record(627, "") + Record(617, U32(3)) +
                             Record(47, U16(0) + U16(0) + std::string(12, '\0')) +
                             Record(47, U16(0) + U16(164) + std::string(12, '\0')) +
                             Record(47, U16(0) + U16(10) + std::string(12, '\0')) + Record(618, "");
  const std::string sheet = RowHeader(0) + Record(5, CellHeader(0, 1) + F64(1234.5)) +
                            Record(5, CellHeader(1, 2) + F64(0.256)) +
                            Record(5, CellHeader(2, 7) + F64(0.256));  // no such format
  const auto book = Built(sheet, styles);
  ASSERT_NE(book, nullptr);
  EXPECT_EQ(Text(*book, 0, "A1"), "1,234.50 kg");
  EXPECT_EQ(Text(*book, 0, "B1"), "25.60%");
  EXPECT_EQ(Text(*book, 0, "C1"), "0.256");
}

TEST(XlsbRecords, SharedStringsAndAnIndexPastTheTable) {
  const std::string strings = Record(159, U32(2) + U32(0x7FFFFFFF)) +  // a count that lies
                              Record(19, std::string(1, '\0') + Wide(u"first")) +
                              Record(19, "\x01" + Wide(u"second") + U32(0)) + Record(160, "");
  const std::string sheet = RowHeader(0) + Record(7, CellHeader(0) + U32(1)) +
                            Record(7, CellHeader(1) + U32(0)) + Record(7, CellHeader(2) + U32(9));
  const auto book = Built(sheet, "", strings);
  ASSERT_NE(book, nullptr);
  EXPECT_EQ(Text(*book, 0, "A1"), "second");
  EXPECT_EQ(Text(*book, 0, "B1"), "first");
  EXPECT_EQ(Text(*book, 0, "C1"), "");
}

TEST(XlsbRecords, DamagedOrHostileRecordsAreRefusedWithAReason) {
  struct Case {
    const char* name;
    std::string sheet;
    const char* expected;
  };
  const Case cases[] = {
      {"ColumnPastTheGrid", RowHeader(0) + Record(5, CellHeader(16384) + F64(1)),
       "column 16385, past the grid's 16384 columns"},
      {"RowPastTheGrid", RowHeader(1048576) + Record(5, CellHeader(0) + F64(1)),
       "row 1048577 lies past the last row"},
      {"StringLongerThanItsRecord", RowHeader(0) + Record(6, CellHeader(0) + U32(0x7FFFFFFF)),
       "a cell record ends early"},
      {"CellRecordCutShort", RowHeader(0) + Record(5, CellHeader(0) + "\x01\x02"),
       "a cell record ends early"},
      {"RecordCutShort", RowHeader(0) + Record(5, CellHeader(0) + F64(1)).substr(0, 9),
       "ends in the middle of a record"},
      {"SizeInFiveBytes", std::string("\x05\xFF\xFF\xFF\xFF\x01", 6),
       "size is written in more than four bytes"},
  };
  for (const Case& c : cases) {
    const std::string description = FailureOf(c.sheet);
    EXPECT_NE(description.find(c.expected), std::string::npos) << c.name << ": " << description;
    EXPECT_NE(description.find("xl/worksheets/sheet1.bin"), std::string::npos)
        << c.name << ": " << description;
  }
  const std::string no_sheets =
      Record(131, "") + Record(143, "") + Record(144, "") + Record(132, "");
  EXPECT_EQ(FailureOf("", no_sheets), "the workbook lists no sheets");
  const std::string wrong_id = Record(156, U32(0) + U32(1) + Wide(u"rId7") + Wide(u"Lost"));
  EXPECT_NE(FailureOf("", wrong_id).find("sheet \"Lost\" refers to relationship \"rId7\""),
            std::string::npos);
  // Names a saved copy could not keep apart.
  const std::string one_name = Record(131, "") + Record(143, "") +
                               Record(156, U32(0) + U32(1) + Wide(u"rId1") + Wide(u"Data")) +
                               Record(156, U32(0) + U32(2) + Wide(u"rId1") + Wide(u"DATA")) +
                               Record(144, "") + Record(132, "");
  EXPECT_NE(FailureOf("", one_name).find("two sheets are named \"Data\" and \"DATA\""),
            std::string::npos)
      << FailureOf("", one_name);
}

TEST(XlsbRecords, CellsPastWhatTheFileSizeJustifiesAreRefused) {
  // Nine million times the same cell record deflate to under 200 KB; the zip layer is told to
  // let that ratio pass, so that the cell budget is what stops it.
  const std::string cell = Record(4, CellHeader(0) + "\x01");
  std::string sheet = RowHeader(0);
  sheet.reserve(cell.size() * 9'000'000 + 64);
  for (int i = 0; i < 9'000'000; ++i) sheet += cell;
  const std::string zip = testing::MakeZip(testing::XlsbPackage(sheet), 9);
  ASSERT_LT(zip.size(), 250'000u);
  package::ZipLimits limits;
  limits.max_ratio = 1u << 30;
  const auto result = xlsb::ReadXlsbBuffer(zip.data(), zip.size(), limits);
  ASSERT_FALSE(result.ok());
  EXPECT_NE(result.error.description.find("more than a file of this size can hold"),
            std::string::npos)
      << result.error.description;
  EXPECT_EQ(xlsb::CellBudget::ForFileSize(500'000).limit, (1u << 22) + 8'000'000u);
  // No file, however large, holds more than any workbook may.
  EXPECT_EQ(xlsb::CellBudget::ForFileSize(1'000'000).limit, model::kMaxWorkbookCells);
  EXPECT_EQ(xlsb::CellBudget::ForFileSize(std::uint64_t{1} << 40).limit, model::kMaxWorkbookCells);
}

TEST(XlsbPackage, OtherKindsOfFileAreNamedForWhatTheyAre) {
  // An .xlsx package under the .xlsb extension.
  testing::Entries xml = testing::MinimalWorkbook(R"(<row r="1"><c r="A1"><v>1</v></c></row>)");
  auto result = ReadBuilt(xml);
  EXPECT_TRUE(result.error.not_a_workbook);
  EXPECT_NE(result.error.description.find("rename it to .xlsx"), std::string::npos);
  // A compound file without encryption streams: a legacy workbook, not a protected package.
  std::string compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  compound.resize(4096, '\0');
  result = xlsb::ReadXlsbBuffer(compound.data(), compound.size());
  EXPECT_FALSE(result.error.encrypted);
  EXPECT_TRUE(result.error.not_a_workbook);
  const std::string text = "just,some\ntext\n";
  result = xlsb::ReadXlsbBuffer(text.data(), text.size());
  EXPECT_TRUE(result.error.not_a_workbook) << result.error.description;
}

}  // namespace
}  // namespace brintova::engine
