// Reading a large sheet's texts through the server while its numbers are formatted ahead on a
// second thread: every read shows what the cell shows, in walk order, skipping about, going back,
// and after the sheet or the workbook's styles have changed under the reads.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>

#include "engine/model/workbook.h"
#include "engine/server/embedded_server.h"

namespace brintova::engine {
namespace {

using model::Cell;

constexpr std::int32_t kRows = 220;
constexpr std::int32_t kColumns = 400;  // 88,000 positions: past the size that starts a thread

struct LargeSheet {
  EmbeddedServer server;
  std::shared_ptr<Application> app = server.CreateObject(kSpreadsheetProgId);
  std::shared_ptr<Workbook> book = app->Workbooks().Add();
  std::shared_ptr<Sheet> sheet = book->Sheets().Item(1);

  // Numbers in styles of several formats (one past the style table), texts, booleans, errors and
  // cells with a style but no value, mixed at random.
  LargeSheet() {
    model::Workbook& model = std::static_pointer_cast<EmbeddedWorkbook>(book)->model();
    model::StyleTable& styles = model.styles();
    const std::uint32_t fixed = styles.AddStyle(styles.AddFormat(164, u"0.00"));
    const std::uint32_t date = styles.AddStyle(styles.FormatForId(14));
    const std::uint32_t percent = styles.AddStyle(styles.FormatForId(10));
    const std::uint32_t sections =
        styles.AddStyle(styles.AddFormat(165, u"#,##0;[Red]-#,##0;\"zero\""));
    const std::uint32_t kinds[] = {0,       fixed,    date,
                                   percent, sections, model::StyleTable::kMissingStyle};
    model::Sheet& cells = model.sheet(0);
    std::mt19937 random(7);
    for (std::int32_t row = 1; row <= kRows; ++row) {
      for (std::int32_t column = 1; column <= kColumns; ++column) {
        const std::uint32_t style = kinds[random() % 6];
        const double value =
            static_cast<double>(static_cast<int>(random() % 2000000) - 1000000) / 64;
        switch (random() % 8) {
          case 0:
            cells.Put(row, Cell::OwnedString(
                               column,
                               cells.strings().Add(u"ID-" + std::u16string(1, u'A' + column % 26)),
                               style));
            break;
          case 1:
            cells.Put(row, Cell::Boolean(column, value > 0, style));
            break;
          case 2:
            cells.Put(row, Cell::Empty(column, style));
            break;
          case 3:
            cells.Put(row, Cell::Error(column, numfmt::ErrorValue::kDiv0, style));
            break;
          default:
            cells.Put(row, Cell::Number(column, value, style));
        }
      }
    }
  }

  // What each cell shows, rendered one by one from the model.
  std::map<std::pair<std::int32_t, std::int32_t>, std::u16string> Shown() {
    model::Workbook& model = std::static_pointer_cast<EmbeddedWorkbook>(book)->model();
    std::map<std::pair<std::int32_t, std::int32_t>, std::u16string> shown;
    std::u16string text;
    for (std::int32_t row = 1; row <= kRows; ++row) {
      for (std::int32_t column = 1; column <= kColumns; ++column) {
        model::DisplayedText(model, model.sheet(0), model.sheet(0).Find(row, column), text);
        shown[{row, column}] = text;
      }
    }
    return shown;
  }
};

TEST(TextAhead, AWalkThatWritesElsewhereReadsWhatEveryCellShows) {
  LargeSheet large;
  const auto shown = large.Shown();
  // The walk's own writes: a sheet of results in the same workbook, each cell given "@" first,
  // which adds a style to the table the thread formats with.
  std::shared_ptr<Sheet> results = large.book->Sheets().Add(large.sheet);
  std::size_t read = 0;
  CellPosition at{1, 1};
  const CellPosition end = large.sheet->UsedRangeEnd();
  while (const auto cell = large.sheet->NextCellWithContent(at, end)) {
    const std::u16string text = large.sheet->CellText(*cell);
    ASSERT_EQ(text, shown.at({cell->row, cell->column})) << cell->row << "," << cell->column;
    results->SetCellNumberFormat(*cell, u"@");
    results->SetCellValue(*cell, text);
    ++read;
    at = {cell->row, cell->column + 1};
    if (at.column > end.column) at = {cell->row + 1, 1};
    if (at.row > end.row) break;
  }
  EXPECT_GT(read, 60000u);
  // Read again from the top, and then in jumps that skip rows and land on cells of every kind.
  for (std::int32_t row = 1; row <= kRows; row += 37) {
    for (std::int32_t column = 1; column <= kColumns; column += 13) {
      ASSERT_EQ(large.sheet->CellText({row, column}), shown.at({row, column}));
    }
  }
}

TEST(TextAhead, ReadsThatSkipAboutFromTheStartStillMatch) {
  LargeSheet large;
  const auto shown = large.Shown();
  std::mt19937 random(11);
  CellPosition at{1, 1};
  while (at.row <= kRows) {
    ASSERT_EQ(large.sheet->CellText(at), shown.at({at.row, at.column}))
        << at.row << "," << at.column;
    at.column += 1 + static_cast<std::int32_t>(random() % 900);
    while (at.column > kColumns) {
      at.column -= kColumns;
      ++at.row;
    }
  }
  // A read behind the walk (the first cells again) is rendered on the spot, and so is one that
  // jumps far ahead of it, as a window scrolled to the end of the sheet does.
  ASSERT_EQ(large.sheet->CellText({1, 1}), shown.at({1, 1}));
  ASSERT_EQ(large.sheet->CellText({kRows, kColumns}), shown.at({kRows, kColumns}));
}

TEST(TextAhead, AJumpFarAheadStopsRenderingAndReadsOnAsTheCellsShow) {
  LargeSheet large;
  const auto shown = large.Shown();
  ASSERT_EQ(large.sheet->CellText({1, 1}), shown.at({1, 1}));
  ASSERT_EQ(large.sheet->CellText({kRows, kColumns}), shown.at({kRows, kColumns}));
  for (std::int32_t row = 2; row <= kRows; row += 11) {
    for (std::int32_t column = 1; column <= kColumns; column += 7) {
      ASSERT_EQ(large.sheet->CellText({row, column}), shown.at({row, column}));
    }
  }
}

TEST(TextAhead, AWriteToTheSheetIsSeenByTheNextRead) {
  LargeSheet large;
  // Taken before the reads: asking for the model stops the thread.
  model::Workbook& model = std::static_pointer_cast<EmbeddedWorkbook>(large.book)->model();
  // The first read waits for the first rows to be formatted ahead.
  large.sheet->CellText({1, 1});
  // A number cell near the top, already formatted ahead, gets a new format, then a text.
  std::int32_t column = 1;
  while (model.sheet(0).Find(3, column)->type != model::CellType::kNumber) ++column;
  const double value = model.sheet(0).Find(3, column)->number;
  large.sheet->SetCellNumberFormat({3, column}, u"0.000");
  std::u16string expected;
  numfmt::NumberFormat format;
  ASSERT_TRUE(numfmt::NumberFormat::Compile(u"0.000", format));
  format.RenderNumber(value, numfmt::DateSystem::k1900, expected);
  EXPECT_EQ(large.sheet->CellText({3, column}), expected);
  while (model.sheet(0).Find(4, column)->type != model::CellType::kNumber) ++column;
  large.sheet->SetCellValue({4, column}, u"written");
  EXPECT_EQ(large.sheet->CellText({4, column}), u"written");
  // The rest still reads as it shows.
  const auto shown = large.Shown();
  for (std::int32_t row = 4; row <= kRows; row += 5) {
    for (std::int32_t c = 1; c <= kColumns; c += 3) {
      ASSERT_EQ(large.sheet->CellText({row, c}), shown.at({row, c})) << row << "," << c;
    }
  }
}

}  // namespace
}  // namespace brintova::engine
