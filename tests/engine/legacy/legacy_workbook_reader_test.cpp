// The legacy reader over files from other producers: fixtures written by LibreOffice
// (tests/data/legacy_make_fixtures.py) and calamine's collection of .xls files from the
// spreadsheet application, LibreOffice and others (tests/data/calamine).
#include "engine/legacy/legacy_workbook_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "engine/server/open_workbook.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::engine::legacy {
namespace {

const std::string kData = BRINTOVA_TEST_DATA;

std::u16string Data(const std::string& name) { return TextFromNativePath(kData + "/" + name); }

std::string Shown(const model::Workbook& book, const model::Sheet& sheet, std::int32_t row,
                  std::int32_t column) {
  std::u16string text;
  model::DisplayedText(book, sheet, sheet.Find(row, column), text);
  return ToUtf8(text);
}

std::string Shown(const model::Workbook& book, std::size_t sheet, std::int32_t row,
                  std::int32_t column) {
  return Shown(book, book.sheet(sheet), row, column);
}

std::string FailureOf(std::u16string_view path) {
  try {
    OpenWorkbookFile(path);
  } catch (const Failure& f) {
    return ToUtf8(f.description());
  }
  return "(no failure)";
}

// Every non-empty displayed text of every worksheet: "Sheet!A1" -> text.
std::map<std::string, std::string> AllTexts(const model::Workbook& book) {
  std::map<std::string, std::string> texts;
  for (std::size_t i = 0; i < book.SheetCount(); ++i) {
    const model::Sheet& sheet = book.sheet(i);
    for (const auto& [row, cells] : sheet.rows()) {
      for (const model::Cell& cell : cells) {
        const std::string text = Shown(book, sheet, row, cell.column);
        if (!text.empty()) {
          texts[ToUtf8(sheet.name()) + "!" + model::CellReference(row, cell.column)] = text;
        }
      }
    }
  }
  return texts;
}

TEST(ReadLegacyWorkbook, ReadsSheetsInOrderWithTheirValues) {
  const auto book = OpenWorkbookFile(Data("legacy_values.xls"));
  EXPECT_EQ(book->source().kind, model::SourceKind::kXls);
  std::vector<std::u16string> names;
  for (std::size_t i = 0; i < book->SheetCount(); ++i) names.push_back(book->sheet(i).name());
  EXPECT_EQ(names,
            (std::vector<std::u16string>{u"Values", u"Hidden one", u"Données ünï", u"Empty"}));
  struct Case {
    std::int32_t row, column;
    std::string shown;
  };
  // Each through its own number format: B2 "0.00", E2 "yyyy-mm-dd", F and G the default
  // date-time and time formats the file was written with; D holds truth values and H1 the
  // cached result of =B2*2.
  const std::vector<Case> cases = {
      {1, 1, "text"},       {2, 1, "Café-42"}, {2, 2, "123.00"},
      {2, 3, "0.5"},        {3, 2, "-7"},      {3, 3, "1234.5678"},
      {2, 4, "TRUE"},       {3, 4, "FALSE"},   {2, 5, "2024-02-29"},
      {3, 5, "1999-01-01"}, {2, 7, "7:05:09"}, {3, 7, "23:59:59"},
      {1, 8, "246"},        {5, 10, "last"},   {2, 6, "2023-12-31 13:45:30"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Shown(*book, 0, c.row, c.column), c.shown) << c.row << "," << c.column;
  }
  EXPECT_EQ(book->sheet(1).visibility(), model::Visibility::kHidden);
  EXPECT_EQ(Shown(*book, 1, 1, 1), "hidden text");
  EXPECT_EQ(Shown(*book, 2, 3, 2), "x");
  EXPECT_TRUE(book->sheet(3).used_range().empty());
}

TEST(ReadLegacyWorkbook, OpensTheDefaultPasswordAndRefusesARealOne) {
  // Saved with the password the application uses for read-only protection: it opens as the
  // plain file does.
  const auto plain = OpenWorkbookFile(Data("legacy_values.xls"));
  const auto protected_book = OpenWorkbookFile(Data("legacy_default_password.xls"));
  EXPECT_EQ(AllTexts(*protected_book), AllTexts(*plain));
  EXPECT_EQ(FailureOf(Data("legacy_password.xls")),
            "This workbook is protected by a password: " + ToUtf8(Data("legacy_password.xls")));
}

TEST(ReadLegacyWorkbook, RefusesFilesOfOtherKindsByWhatTheyHold) {
  const std::string fake = ::testing::TempDir() + "legacy_not_really.xls";
  std::ofstream(fake, std::ios::binary) << "id,name\n1,x\n";
  const std::string message = FailureOf(TextFromNativePath(fake));
  std::remove(fake.c_str());
  EXPECT_EQ(message, "Not a workbook: " + fake + " (it is not an Excel 97-2003 workbook)");
  // A package named .xls opens as the package it is, as it does in the application.
  const std::string renamed = ::testing::TempDir() + "legacy_really_a_package.xls";
  std::filesystem::copy_file(kData + "/engine/number_formats.xlsx", renamed,
                             std::filesystem::copy_options::overwrite_existing);
  const auto package = OpenWorkbookFile(TextFromNativePath(renamed));
  std::remove(renamed.c_str());
  EXPECT_EQ(AllTexts(*package), AllTexts(*OpenWorkbookFile(Data("engine/number_formats.xlsx"))));
  EXPECT_EQ(package->source().kind, model::SourceKind::kXls);
  // A compound file whose directory cannot be read is damaged, not protected.
  const std::u16string damaged = Data("legacy_damaged_string.xls");
  const std::string reason = FailureOf(damaged);
  EXPECT_EQ(reason.rfind("Cannot open " + ToUtf8(damaged) + ": the file is damaged", 0), 0u)
      << reason;
  EXPECT_EQ(FailureOf(Data("calamine/too_small.xls")),
            "Not a workbook: " + ToUtf8(Data("calamine/too_small.xls")) +
                " (it is not an Excel 97-2003 workbook)");
}

// LibreOffice saved the same cells as .xlsx (tests/data/engine) and .xls (tests/data/legacy):
// both must show the same texts in the same sheets.
class SameCellsBothKinds : public ::testing::TestWithParam<const char*> {};

TEST_P(SameCellsBothKinds, ShowTheSameTexts) {
  const std::string name = GetParam();
  const auto xlsx = OpenWorkbookFile(Data("engine/" + name + ".xlsx"));
  const auto xls = OpenWorkbookFile(Data("legacy/" + name + ".xls"));
  ASSERT_EQ(xls->SheetCount(), xlsx->SheetCount());
  for (std::size_t i = 0; i < xls->SheetCount(); ++i) {
    EXPECT_EQ(xls->sheet(i).name(), xlsx->sheet(i).name());
    EXPECT_EQ(xls->sheet(i).visibility(), xlsx->sheet(i).visibility());
  }
  EXPECT_EQ(xls->date1904(), xlsx->date1904());
  std::map<std::string, std::string> expected = AllTexts(*xlsx);
  if (name == "formulas_with_cached_values") {
    // LibreOffice stores the result of the text formula =A2&"-"&A1 in .xls as the number 0
    // (no STRING record follows it); the cached result is what the file holds.
    EXPECT_EQ(expected["Calc!B2"], "abc-21");
    expected["Calc!B2"] = "0";
  }
  EXPECT_EQ(AllTexts(*xls), expected);
}

INSTANTIATE_TEST_SUITE_P(LibreOfficeFixtures, SameCellsBothKinds,
                         ::testing::Values("dates_1900", "dates_1904", "hidden_sheets",
                                           "number_formats", "rich_text_strings",
                                           "used_range_from_c5", "formulas_with_cached_values",
                                           "inline_strings"));

// calamine's .xls files: every one opens except the one that is not a workbook at all, and
// what each proves shows as LibreOffice shows it.
TEST(CalamineFixtures, EveryWorkbookOpens) {
  int read = 0;
  std::vector<std::string> refused;
  for (const auto& entry : std::filesystem::directory_iterator(kData + "/calamine")) {
    if (entry.path().extension() != ".xls") continue;
    const std::string name = entry.path().filename().string();
    try {
      const auto book = OpenWorkbookFile(TextFromNativePath(entry.path().string()));
      EXPECT_GT(book->SheetCount(), 0u) << name;
      ++read;
    } catch (const Failure& f) {
      refused.push_back(name + ": " + f.what());
    }
  }
  EXPECT_EQ(read, 35);
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_EQ(refused[0].rfind("too_small.xls: Not a workbook", 0), 0u) << refused[0];
}

TEST(CalamineFixtures, ShowWhatEachFileHolds) {
  struct Case {
    const char* file;
    const char* cell;  // "Sheet!A1"
    const char* shown;
  };
  const std::vector<Case> cases = {
      // Excel 5/95 files: 8-bit text in the file's code page, formulas, rich strings.
      {"biff5-rich-text-string.xls", "Sheet1!A1",
       "ELECTORAL DIVISION OF SOMERSET EAST ; FIELD-CÓRNËTCY No. 5, ZWAGERSHÓÊN."},
      {"biff5_write.xls", "SheetJS!A1", "1"},
      {"issue_643_biff5_formula.xls", "SheetJS!A1", "1"},
      // Shared strings running on through CONTINUE records, and a table whose count lies.
      {"sst_continue.xls", "Sheet1!A1",
       "This is a long string with a serial number at the end 0001"},
      {"gh548_incorrect_sst_unique_count.xls", "System Level Data!B2", "Title:"},
      // Both date systems show the same dates; a formula's date through its cell's format.
      {"date.xls", "Sheet1!A1", "2021-01-01"},
      {"date_1904.xls", "Sheet1!A1", "2021-01-01"},
      {"formula-date-format.xls", "Sheet1!A1", "27/02/2017"},
      {"xls_formula_columns_beyond_z.xls", "Sheet1!AA1", "1"},
      {"xls_wrong_decimals.xls", "Sheet1!A1", "0.525625"},
      {"issue219.xls", "工作表1!A1", "a"},
      {"sheet_name_parsing.xls", "Sheet1!A1", "Titel"},
  };
  for (const Case& c : cases) {
    const auto book = OpenWorkbookFile(Data(std::string("calamine/") + c.file));
    const auto texts = AllTexts(*book);
    const auto it = texts.find(c.cell);
    ASSERT_NE(it, texts.end()) << c.file << " " << c.cell;
    EXPECT_EQ(it->second, c.shown) << c.file << " " << c.cell;
  }
  // Excel 5/95 sheet names in the file's Cyrillic code page.
  EXPECT_EQ(OpenWorkbookFile(Data("calamine/issue343.xls"))->sheet(0).name(), u"Лист1");
  const auto any = OpenWorkbookFile(Data("calamine/any_sheets.xls"));
  std::vector<std::pair<std::string, model::Visibility>> sheets;
  for (std::size_t i = 0; i < any->SheetCount(); ++i) {
    sheets.emplace_back(ToUtf8(any->sheet(i).name()), any->sheet(i).visibility());
  }
  ASSERT_GE(sheets.size(), 3u);
  EXPECT_EQ(sheets[0].second, model::Visibility::kVisible);
  EXPECT_EQ(sheets[1].second, model::Visibility::kHidden);
  EXPECT_EQ(sheets[2].second, model::Visibility::kVeryHidden);
}

}  // namespace
}  // namespace brintova::engine::legacy
