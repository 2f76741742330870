// Workbooks saved by LibreOffice, read by the engine: every cell's displayed text must equal
// what LibreOffice itself exported as shown, and the sheet list, kinds, visibility, date
// system and used range must be what the files hold.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "engine/model/workbook.h"
#include "engine/server/open_workbook.h"
#include "platform/failure.h"
#include "platform/text.h"
#include "test_package.h"

namespace brintova::engine {
namespace {

using testing::ParseCsv;
using testing::ReadFileBytes;

const std::string kData = std::string(BRINTOVA_TEST_DATA) + "/engine/";

std::unique_ptr<model::Workbook> Open(const std::string& name) {
  return OpenWorkbookFile(TextFromNativePath(kData + name));
}

std::string Text(const model::Workbook& book, const model::Sheet& sheet, int row, int column) {
  std::u16string out;
  model::DisplayedText(book, sheet, sheet.Find(row, column), out);
  return ToUtf8(out);
}

// Where this engine shows what the spreadsheet application shows and LibreOffice differs:
// (file, sheet, cell) -> the application's text.
const std::map<std::string, std::string> kApplicationDiffers = {
    // General fits a number into about 11 characters in the application, switching to E notation
    // when the plain digits would not fit (123456700000 shows as 1.23457E+11 there);
    // LibreOffice writes all twelve digits. 0.0000001 (B18) fits and shows the same in both.
    {"number_formats.xlsx/Numbers/B17", "1.23457E+11"},
};

struct FixtureCase {
  const char* file;
  std::vector<std::string> sheets;  // every sheet in tab order, with its CSV
};

class LibreOfficeFixture : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(LibreOfficeFixture, DisplayedTextsMatchWhatLibreOfficeShows) {
  const FixtureCase& c = GetParam();
  const auto book = Open(c.file);
  ASSERT_EQ(book->SheetCount(), c.sheets.size());
  const std::string stem = std::filesystem::path(c.file).stem().string();
  for (std::size_t i = 0; i < c.sheets.size(); ++i) {
    const model::Sheet& sheet = book->sheet(i);
    EXPECT_EQ(ToUtf8(sheet.name()), c.sheets[i]);
    const auto rows = ParseCsv(ReadFileBytes(kData + stem + "-" + c.sheets[i] + ".csv"));
    int compared = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      for (std::size_t col = 0; col < rows[r].size(); ++col) {
        const std::string where =
            std::string(c.file) + "/" + c.sheets[i] + "/" +
            model::CellReference(static_cast<int>(r + 1), static_cast<int>(col + 1));
        std::string expected = rows[r][col];
        if (auto it = kApplicationDiffers.find(where); it != kApplicationDiffers.end()) {
          expected = it->second;
        }
        EXPECT_EQ(Text(*book, sheet, static_cast<int>(r + 1), static_cast<int>(col + 1)), expected)
            << where;
        ++compared;
      }
    }
    // Nothing shows outside what LibreOffice exported.
    for (const auto& [row, cells] : sheet.rows()) {
      for (const model::Cell& cell : cells) {
        const bool inside =
            static_cast<std::size_t>(row) <= rows.size() && cell.column <= rows[row - 1].size();
        if (!inside) {
          EXPECT_EQ(Text(*book, sheet, row, cell.column), "")
              << c.file << " " << model::CellReference(row, cell.column);
        }
      }
    }
    if (sheet.kind() == model::SheetKind::kWorksheet) {
      EXPECT_GT(compared, 0) << c.sheets[i];
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Engine, LibreOfficeFixture,
    ::testing::Values(FixtureCase{"used_range_from_c5.xlsx", {"Data"}},
                      FixtureCase{"dates_1900.xlsx", {"Dates"}},
                      FixtureCase{"dates_1904.xlsx", {"Dates"}},
                      FixtureCase{"hidden_sheets.xlsx",
                                  {"Visible", "Hidden", "VeryHidden", "Last"}},
                      FixtureCase{"rich_text_strings.xlsx", {"Text"}},
                      FixtureCase{"formulas_with_cached_values.xlsx", {"Calc"}},
                      FixtureCase{"number_formats.xlsx", {"Numbers"}},
                      FixtureCase{"inline_strings.xlsx", {"Inline"}},
                      FixtureCase{"chart_sheet.xlsx", {"Chart1", "Data", "After"}}),
    [](const auto& info) {
      std::string name = std::filesystem::path(info.param.file).stem().string();
      std::erase(name, '_');
      return name;
    });

TEST(Fixtures, UsedRangeComesFromCellsAndFormatsNotFromTheDimension) {
  const auto book = Open("used_range_from_c5.xlsx");
  const model::UsedRange used = book->sheet(0).used_range();
  // C5 and E9 hold text; D12 is formatted and empty, and counts.
  EXPECT_EQ(used.first_row, 5);
  EXPECT_EQ(used.first_column, 3);
  EXPECT_EQ(used.last_row, 12);
  EXPECT_EQ(used.last_column, 5);
}

TEST(Fixtures, DateSystemIsTakenFromTheWorkbook) {
  EXPECT_FALSE(Open("dates_1900.xlsx")->date1904());
  EXPECT_TRUE(Open("dates_1904.xlsx")->date1904());
}

TEST(Fixtures, SheetKindsVisibilityAndPackageFacts) {
  const auto hidden = Open("hidden_sheets.xlsx");
  const model::Visibility expected[] = {model::Visibility::kVisible, model::Visibility::kHidden,
                                        model::Visibility::kHidden, model::Visibility::kVisible};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(hidden->sheet(i).visibility(), expected[i]) << i;
    EXPECT_FALSE(hidden->sheet(i).part_name().empty());
    EXPECT_FALSE(hidden->sheet(i).changed());
  }
  EXPECT_EQ(hidden->source().kind, model::SourceKind::kXlsx);
  EXPECT_EQ(hidden->source().package.workbook_part, "xl/workbook.xml");
  EXPECT_FALSE(hidden->source().package.shared_strings_part.empty());

  const auto chart = Open("chart_sheet.xlsx");
  EXPECT_EQ(chart->sheet(0).kind(), model::SheetKind::kChart);
  EXPECT_EQ(chart->sheet(0).part_name(), "xl/chartsheets/sheet1.xml");
  EXPECT_EQ(chart->sheet(1).kind(), model::SheetKind::kWorksheet);
}

TEST(Fixtures, InlineStringsAreOwnedByTheirSheet) {
  const auto book = Open("inline_strings.xlsx");
  const model::Cell* a1 = book->sheet(0).Find(1, 1);
  ASSERT_NE(a1, nullptr);
  EXPECT_EQ(a1->type, model::CellType::kOwnedString);
  EXPECT_EQ(book->shared_strings().Count(), 0u);
}

TEST(OpenWorkbookFile, TellsADamagedPackageFromAFileOfAnotherKind) {
  const std::string good =
      testing::MakeZip(testing::MinimalWorkbook(R"(<row r="1"><c r="A1"><v>1</v></c></row>)"));
  const std::string dir = ::testing::TempDir();
  auto failure_of = [&](const std::string& name, const std::string& bytes) {
    const std::string native = dir + name;
    std::ofstream(native, std::ios::binary) << bytes;
    std::string message;
    try {
      OpenWorkbookFile(TextFromNativePath(native));
    } catch (const Failure& failure) {
      message = ToUtf8(failure.description());
    }
    std::filesystem::remove(native);
    return std::make_pair(message, ToUtf8(TextFromNativePath(native)));
  };
  // Cut short, the package has lost its central directory: damaged, not foreign.
  auto [truncated, truncated_path] = failure_of("cut_short.xlsx", good.substr(0, good.size() / 2));
  EXPECT_EQ(truncated.rfind("Cannot open ", 0), 0u) << truncated;
  EXPECT_NE(truncated.find(truncated_path), std::string::npos) << truncated;
  EXPECT_NE(truncated.find("damaged"), std::string::npos) << truncated;
  auto [text, text_path] = failure_of("really_text.xlsx", "id,name\n1,x\n");
  EXPECT_EQ(text.rfind("Not a workbook: " + text_path, 0), 0u) << text;
}

TEST(CsvHelper, ParsesQuotesLineBreaksAndEmptyFields) {
  const auto rows = ParseCsv("a,\"b,\"\"c\"\"\",\n\"line\nbreak\",x\r\nlast");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"a", "b,\"c\"", ""}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"line\nbreak", "x"}));
  EXPECT_EQ(rows[2], (std::vector<std::string>{"last"}));
  EXPECT_NE(ParseCsv("a,b\n"), ParseCsv("a,c\n"));
}

}  // namespace
}  // namespace brintova::engine
