// OpenDocument files made by other producers: LibreOffice's own .ods files show what LibreOffice
// shows (where the spreadsheet application agrees), the same cells saved by LibreOffice as .xlsx
// and as .ods read alike, and every calamine fixture reads but the password-protected one.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "engine/model/workbook.h"
#include "engine/server/open_workbook.h"
#include "platform/failure.h"
#include "platform/text.h"
#include "test_package.h"

namespace brintova::engine {
namespace {

const std::string kData = std::string(BRINTOVA_TEST_DATA) + "/";

std::unique_ptr<model::Workbook> Open(const std::string& relative) {
  return OpenWorkbookFile(TextFromNativePath(kData + relative));
}

std::string Text(const model::Workbook& book, const model::Sheet& sheet, int row, int column) {
  std::u16string out;
  model::DisplayedText(book, sheet, sheet.Find(row, column), out);
  return ToUtf8(out);
}

// Where the spreadsheet application shows something else than LibreOffice, and the engine
// shows what the application shows: (file/sheet/cell) -> the application's text.
const std::map<std::string, std::string> kApplicationDiffers = {
    // General fits numbers into 11 characters there; LibreOffice writes every digit.
    // "0.###" keeps the decimal point of a whole number there ("2."); LibreOffice drops it.
    {"ods_formats.ods/Formats/B31", "2."},
};

struct LibreOfficeCase {
  const char* file;
  std::vector<std::string> sheets;
};

class LibreOfficeOds : public ::testing::TestWithParam<LibreOfficeCase> {};

TEST_P(LibreOfficeOds, DisplayedTextsMatchWhatLibreOfficeShows) {
  const LibreOfficeCase& c = GetParam();
  const auto book = Open(std::string("ods/") + c.file);
  ASSERT_EQ(book->SheetCount(), c.sheets.size());
  const std::string stem = std::filesystem::path(c.file).stem().string();
  for (std::size_t i = 0; i < c.sheets.size(); ++i) {
    const model::Sheet& sheet = book->sheet(i);
    EXPECT_EQ(ToUtf8(sheet.name()), c.sheets[i]);
    const auto rows = testing::ParseCsv(
        testing::ReadFileBytes(kData + "ods/" + stem + "-" + c.sheets[i] + ".csv"));
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
    EXPECT_GT(compared, 0) << c.sheets[i];
  }
}

INSTANTIATE_TEST_SUITE_P(Engine, LibreOfficeOds,
                         ::testing::Values(LibreOfficeCase{"ods_formats.ods", {"Formats"}},
                                           LibreOfficeCase{"ods_structure.ods", {"Data", "Hidden"}},
                                           LibreOfficeCase{"ods_dates_1904.ods", {"Dates"}}),
                         [](const auto& info) {
                           std::string name =
                               std::filesystem::path(info.param.file).stem().string();
                           std::erase(name, '_');
                           return name;
                         });

// Every cell either file holds shows the same text from both.
TEST(OdsAndXlsx, TheSameCellsSavedByLibreOfficeReadAlike) {
  for (const char* stem : {"ods_formats", "ods_structure", "ods_dates_1904"}) {
    const auto ods = Open(std::string("ods/") + stem + ".ods");
    const auto xlsx = Open(std::string("ods/") + stem + ".xlsx");
    ASSERT_EQ(ods->SheetCount(), xlsx->SheetCount()) << stem;
    EXPECT_EQ(ods->date1904(), xlsx->date1904()) << stem;
    int compared = 0;
    for (std::size_t i = 0; i < ods->SheetCount(); ++i) {
      const model::Sheet& a = ods->sheet(i);
      const model::Sheet& b = xlsx->sheet(i);
      EXPECT_EQ(a.name(), b.name());
      EXPECT_EQ(a.visibility(), b.visibility()) << ToUtf8(a.name());
      std::set<std::pair<int, int>> cells;
      for (const model::Sheet* s : {&a, &b}) {
        for (const auto& [row, row_cells] : s->rows()) {
          for (const model::Cell& cell : row_cells) cells.emplace(row, cell.column);
        }
      }
      for (const auto& [row, column] : cells) {
        EXPECT_EQ(Text(*ods, a, row, column), Text(*xlsx, b, row, column))
            << stem << "/" << ToUtf8(a.name()) << "/" << model::CellReference(row, column);
        ++compared;
      }
    }
    EXPECT_GT(compared, 5) << stem;
  }
}

TEST(OdsFixtures, TheOdsFileIsOpenedAsWhatItIs) {
  const auto book = Open("ods/ods_structure.ods");
  EXPECT_EQ(book->source().kind, model::SourceKind::kOds);
  EXPECT_EQ(book->sheet(1).visibility(), model::Visibility::kHidden);
  // Ten rows of six sevens, which LibreOffice writes as one repeated row.
  EXPECT_EQ(Text(*book, book->sheet(0), 20, 6), "7");
  EXPECT_EQ(Text(*book, book->sheet(0), 1, 1), "first");  // not its comment
}

TEST(CalamineOds, EveryFileReadsButTheProtectedAndTheHostileOne) {
  int read = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kData + "calamine")) {
    if (entry.path().extension() != ".ods") continue;
    const std::u16string path = TextFromNativePath(entry.path().string());
    const std::string name = entry.path().filename().string();
    try {
      const auto book = OpenWorkbookFile(path);
      EXPECT_NE(name, "pass_protected.ods");
      EXPECT_NE(name, "issue_594_dos.ods");
      ++read;
    } catch (const Failure& failure) {
      const std::string message = ToUtf8(failure.description());
      if (name == "pass_protected.ods") {
        EXPECT_EQ(failure.description(), u"This workbook is protected by a password: " + path);
      } else if (name == "issue_594_dos.ods") {
        // A file of 1 KB claiming a billion rows of a billion cells of text.
        EXPECT_EQ(message.rfind("Cannot open " + entry.path().string() + ": ", 0), 0u) << message;
        EXPECT_NE(message.find("past the grid"), std::string::npos) << message;
      } else {
        ADD_FAILURE() << name << ": " << message;
      }
    }
  }
  EXPECT_EQ(read, 13);
}

TEST(CalamineOds, TextsOfSpecialCellsCommentsAndRepeats) {
  const auto special = Open("calamine/special_cells.ods");
  const model::Sheet& s = special->sheet(0);
  EXPECT_EQ(Text(*special, s, 1, 1), "Split\nLine");
  EXPECT_EQ(Text(*special, s, 3, 1), "Value   With 3 spaces");
  EXPECT_EQ(Text(*special, s, 5, 1), "  Value   With 2 spaces before and after  ");
  const auto annotated = Open("calamine/with-annotation.ods");
  EXPECT_EQ(Text(*annotated, annotated->sheet(0), 1, 1), "cell a.1");
  const auto repeated = Open("calamine/number_rows_repeated.ods");
  EXPECT_EQ(Text(*repeated, repeated->sheet(0), 6, 2), "D");
  EXPECT_EQ(Text(*repeated, repeated->sheet(0), 5, 2), "");
  const auto dates = Open("calamine/date.ods");
  EXPECT_EQ(Text(*dates, dates->sheet(0), 1, 1), "01/01/2021");
  EXPECT_EQ(Text(*dates, dates->sheet(0), 3, 1), "10:10:10");
}

}  // namespace
}  // namespace brintova::engine
