// "Start Extracting" pressed in the real window, wired to the embedded spreadsheet engine as the
// program is: the samples are listed, an operation picked, the button clicked, and the results
// window then holds one instance per workbook with the extracted texts. Instances left visible
// make the next run warn first, as running spreadsheet windows would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <algorithm>

#include "desktop_fixture.h"
#include "extract/automation.h"
#include "platform/qt/qt_text.h"
#include "ui/results_window.h"
#include "ui/sheet_model.h"

namespace brintova::testing {
namespace {

// Samples/ is copied beside the test executable, as beside the program.
QString SamplesFolder() { return QCoreApplication::applicationDirPath() + "/Samples"; }

class RunEndToEndTest : public DesktopFixture {
 protected:
  void SetUp() override {
    ASSERT_NE(desktop->results(), nullptr) << "built without the embedded engine";
    desktop->Start();
    ASSERT_TRUE(dialogs.boxes.empty());
  }

  ResultsWindow& results() { return *desktop->results(); }

  // Picks an operation with the keyboard, as a user does on the closed drop-down.
  void PickOperation(int index) {
    QComboBox& combo = window().combo1();
    combo.setFocus();
    while (combo.currentIndex() < index) QTest::keyClick(&combo, Qt::Key_Down);
    while (combo.currentIndex() > index) QTest::keyClick(&combo, Qt::Key_Up);
  }

  void PressStart() { QTest::mouseClick(&window().push_button(7), Qt::LeftButton); }

  // Drops local files onto the list, as the file manager would.
  void DropFiles(const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls.push_back(QUrl::fromLocalFile(path));
    data.setUrls(urls);
    QWidget* target = window().list_view1().viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
  }

  int EntryNamed(const QString& title) {
    for (int i = 0; i < results().EntryCount(); ++i) {
      if (results().EntryTitle(i) == title) return i;
    }
    return -1;
  }

  // The displayed text of a cell ("B2") of the sheet the results window shows.
  QString Shown(int row, int column) {
    const SheetModel* model = results().sheet_model();
    if (model == nullptr || row > model->rowCount() || column > model->columnCount()) return {};
    return model->CellText(model->index(row - 1, column - 1));
  }

  // Every box shown so far, for failure messages.
  std::string Boxes() const {
    std::string all;
    for (const ShownBox& box : dialogs.boxes) all += "\n[box] " + ToQString(box.text).toStdString();
    return all;
  }

  std::vector<std::u16string> BoxTexts() const {
    std::vector<std::u16string> texts;
    for (const ShownBox& box : dialogs.boxes) texts.push_back(box.text);
    return texts;
  }
};

TEST_F(RunEndToEndTest, SamplesInNewSheetsAppearInTheResultsWindowAndTheNextRunWarns) {
  // "Load Sample/Example Files", declining to open the folder.
  dialogs.yes_no_answers.push_back(MessageResult::kNo);
  QTest::mouseClick(&window().push_button(2), Qt::LeftButton);
  const int listed = window().ListView1().Count();
  ASSERT_GE(listed, 4) << "no samples in " << SamplesFolder().toStdString() << Boxes();
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  dialogs.boxes.clear();

  PickOperation(1);  // "Extract Numbers In All Cells"
  EXPECT_EQ(config.Stored("Combo1").toString(), "1");
  ASSERT_TRUE(window().option1().isChecked());
  EXPECT_FALSE(ExcelExtract::IsExcelRunning(desktop->ports().server));

  PressStart();

  // Every sample opened and extracted without a failure; the run ends with "Done." and the
  // bar and pointer back at rest.
  EXPECT_EQ(BoxTexts(), std::vector<std::u16string>{u"Done."});
  EXPECT_EQ(window().progress_bar1().value(), 0);
  EXPECT_EQ(window().MousePointer(), 0);

  ASSERT_TRUE(results().isVisible());
  ASSERT_EQ(results().EntryCount(), listed) << Boxes();
  const int orders = EntryNamed("Orders and Phones.xlsx");
  ASSERT_GE(orders, 0);
  results().SelectEntry(orders);
  // The result sheet was inserted in front of the source's sheets and is shown first.
  const QStringList tabs = results().SheetTabs();
  ASSERT_EQ(tabs.size(), 3);
  EXPECT_EQ(tabs[1], "Orders");
  EXPECT_EQ(tabs[2], "Customers");
  EXPECT_EQ(results().CurrentSheet(), 0);
  ASSERT_NE(results().sheet_model(), nullptr);
  // Rows only "Orders" fills keep its results; where "Customers" also has text, its later
  // result stays, an empty one included.
  EXPECT_EQ(Shown(6, 1), "202599999");    // ORD-2025-99999Z
  EXPECT_EQ(Shown(6, 2), "49030901820");  // +49 (0)30 901820
  EXPECT_EQ(Shown(6, 3), "20251231");     // the date as shown, 2025-12-31
  EXPECT_EQ(Shown(3, 5), "00");           // 0.0%
  EXPECT_EQ(Shown(2, 1), "000123");       // C-000123 from "Customers"
  EXPECT_EQ(Shown(2, 2), "");             // Ada Lovelace: written, empty
  EXPECT_EQ(Shown(2, 3), "07700900123");  // 07700 900123
  // The source sheet itself is untouched.
  results().SelectSheet(1);
  EXPECT_EQ(Shown(6, 1), "ORD-2025-99999Z");

  // Instances left open count as a running spreadsheet program: the next press warns first,
  // and No stops the run before anything else happens.
  EXPECT_TRUE(ExcelExtract::IsExcelRunning(desktop->ports().server));
  dialogs.boxes.clear();
  dialogs.yes_no_answers.push_back(MessageResult::kNo);
  PressStart();
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, ExcelExtract::kExcelOpenWarningText);
  EXPECT_EQ(dialogs.boxes[0].buttons, MessageButtons::kYesNo);
  EXPECT_EQ(results().EntryCount(), listed);

  // Closing every entry quits its instance; then nothing counts as running any more.
  while (results().EntryCount() > 0) results().CloseEntry(0);
  EXPECT_FALSE(ExcelExtract::IsExcelRunning(desktop->ports().server));
}

TEST_F(RunEndToEndTest, DroppedWorkbookInANewWorkbookAsksForTheNumberAndShowsOnlyTheResult) {
  DropFiles({SamplesFolder() + "/Orders and Phones.xlsx"});
  ASSERT_EQ(window().ListView1().Count(), 1) << Boxes();
  EXPECT_EQ(window().ListView1().Item(1), PathFromQt(SamplesFolder() + "/Orders and Phones.xlsx"));

  PickOperation(7);  // "Extract First x Characters In All Cells"
  QTest::mouseClick(&window().option2(), Qt::LeftButton);
  ASSERT_TRUE(window().option2().isChecked());
  dialogs.input_answers.push_back(u"3");

  PressStart();

  ASSERT_EQ(dialogs.input_boxes.size(), 1u);
  EXPECT_EQ(dialogs.input_boxes[0].prompt, u"Enter number of first characters: ");
  EXPECT_EQ(dialogs.input_boxes[0].title, u"Brintova");
  EXPECT_EQ(BoxTexts(), std::vector<std::u16string>{u"Done."});

  // The source's instance quit; only the new workbook with the results is shown, titled with
  // the source's name as well.
  ASSERT_EQ(results().EntryCount(), 1);
  EXPECT_EQ(results().EntryTitle(0), QString::fromUtf8("Book1 \u2014 Orders and Phones.xlsx"));
  results().SelectEntry(0);
  ASSERT_EQ(results().SheetTabs().size(), 1);
  EXPECT_EQ(Shown(6, 1), "ORD");
  EXPECT_EQ(Shown(2, 1), "C-0");  // "Customers" writes over "Orders"
  EXPECT_EQ(Shown(2, 2), "Ada");
  EXPECT_EQ(Shown(5, 6), "fre");  // free sample
  EXPECT_EQ(Shown(1, 7), "");     // nothing beyond the used range

  // Closing the main window leaves the results open and their instance running.
  window().close();
  EXPECT_FALSE(window().isVisible());
  EXPECT_TRUE(results().isVisible());
  EXPECT_EQ(results().EntryCount(), 1);
  EXPECT_TRUE(ExcelExtract::IsExcelRunning(desktop->ports().server));
}

}  // namespace
}  // namespace brintova::testing
