// SheetModel over real engine sheets: sizes from the used range, texts, headers, and the cost of
// a million-cell used range shown in a view.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTableView>
#include <memory>

#include "engine/server/embedded_server.h"
#include "platform/spreadsheet_server.h"
#include "ui/sheet_model.h"

namespace brintova {
namespace {

struct NewSheet {
  engine::EmbeddedServer server;
  std::shared_ptr<Application> app = server.CreateObject(kSpreadsheetProgId);
  std::shared_ptr<Workbook> book = app->Workbooks().Add();
  std::shared_ptr<engine::EmbeddedSheet> sheet =
      std::static_pointer_cast<engine::EmbeddedSheet>(book->Sheets().Item(1));
};

TEST(ColumnLetters, CountsInBaseTwentySixWithoutZero) {
  const struct {
    std::int32_t column;
    const char* letters;
  } cases[] = {{1, "A"},   {2, "B"},    {26, "Z"},    {27, "AA"},    {52, "AZ"},
               {53, "BA"}, {702, "ZZ"}, {703, "AAA"}, {16384, "XFD"}};
  for (const auto& c : cases) {
    EXPECT_EQ(ColumnLetters(c.column), QString::fromLatin1(c.letters)) << "column " << c.column;
  }
  EXPECT_EQ(CellAddress(3, 2), QStringLiteral("B3"));
  EXPECT_EQ(CellAddress(1048576, 16384), QStringLiteral("XFD1048576"));
}

TEST(SheetModel, SpansFromA1ToTheEndOfTheUsedRange) {
  NewSheet s;
  // The used range starts at C5; the grid still starts at A1.
  s.sheet->SetCellValue({5, 3}, u"first");
  s.sheet->SetCellValue({7, 5}, u"last, \"quoted\"");
  SheetModel model(s.sheet);
  EXPECT_EQ(model.rowCount(), 7);
  EXPECT_EQ(model.columnCount(), 5);
  EXPECT_EQ(model.data(model.index(4, 2)).toString(), QStringLiteral("first"));
  EXPECT_EQ(model.data(model.index(6, 4)).toString(), QStringLiteral("last, \"quoted\""));
  EXPECT_EQ(model.data(model.index(0, 0)).toString(), QString());
  EXPECT_EQ(model.headerData(4, Qt::Horizontal).toString(), QStringLiteral("E"));
  EXPECT_EQ(model.headerData(6, Qt::Vertical).toString(), QStringLiteral("7"));
  // Children of a cell: none, as for any table.
  EXPECT_EQ(model.rowCount(model.index(0, 0)), 0);
}

TEST(SheetModel, ShowsAnEmptySheetAsOneEmptyCell) {
  NewSheet s;
  SheetModel model(s.sheet);
  EXPECT_EQ(model.rowCount(), 1);
  EXPECT_EQ(model.columnCount(), 1);
  EXPECT_EQ(model.data(model.index(0, 0)).toString(), QString());
}

TEST(SheetModel, ReadsNothingOnceTheInstanceHasQuit) {
  NewSheet s;
  s.sheet->SetCellValue({1, 1}, u"gone");
  SheetModel model(s.sheet);
  s.app->Quit();
  // A repaint after Quit must not throw out of the view.
  EXPECT_EQ(model.data(model.index(0, 0)).toString(), QString());
  EXPECT_EQ(model.CellText(model.index(0, 0)), QString());
}

TEST(SheetModel, ShowsAMillionCellUsedRangeAtOnce) {
  NewSheet s;
  s.sheet->SetCellValue({1, 1}, u"top");
  s.sheet->SetCellValue({1000000, 10}, u"bottom");

  QElapsedTimer timer;
  timer.start();
  SheetModel model(s.sheet);
  QTableView view;
  view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view.setModel(&model);
  view.resize(800, 600);
  view.show();
  QApplication::processEvents();
  view.scrollToBottom();
  view.setCurrentIndex(model.index(999999, 9));
  QApplication::processEvents();
  const qint64 elapsed_ms = timer.elapsed();

  EXPECT_EQ(model.rowCount(), 1000000);
  EXPECT_EQ(model.columnCount(), 10);
  EXPECT_EQ(model.headerData(9, Qt::Horizontal).toString(), QStringLiteral("J"));
  EXPECT_EQ(model.data(model.index(999999, 9)).toString(), QStringLiteral("bottom"));
  EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("top"));
  // Reading ten million cells up front would take seconds; reading the visible ones, a few ms.
  EXPECT_LT(elapsed_ms, 1500) << "showing the sheet took " << elapsed_ms << " ms";
}

}  // namespace
}  // namespace brintova
