// The real main window after start-up, as a new user first sees it: captions, the operation
// list, geometry in twips at the screen's resolution, tab order, the file list's column, the
// output option, fonts and colours; and the file list holding 100,000 rows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "desktop_fixture.h"
#include "platform/qt/qt_text.h"

namespace brintova::testing {
namespace {

struct Twips {
  int left, top, width, height;
};

class MainWindowTest : public DesktopFixture {
 protected:
  void SetUp() override { desktop->Start(); }

  double DpiX() const { return desktop->window().screen()->logicalDotsPerInchX(); }
  double DpiY() const { return desktop->window().screen()->logicalDotsPerInchY(); }

  // A pixel length back in twips; a correct placement is within half a pixel of the design.
  void ExpectTwips(int pixels, int twips, double dpi, const QString& what) {
    const double measured = pixels * 1440.0 / dpi;
    EXPECT_LE(std::abs(measured - twips), 1440.0 / dpi / 2 + 1e-9)
        << what.toStdString() << ": " << pixels << " px is " << measured << " twips, not " << twips;
  }

  void ExpectPlaced(const QWidget& widget, const QWidget& container, Twips design) {
    const QString name = widget.objectName();
    EXPECT_EQ(widget.parentWidget(), &container) << name.toStdString();
    const QRect r = widget.geometry();
    ExpectTwips(r.left(), design.left, DpiX(), name + " left");
    ExpectTwips(r.top(), design.top, DpiY(), name + " top");
    ExpectTwips(r.width(), design.width, DpiX(), name + " width");
    ExpectTwips(r.height(), design.height, DpiY(), name + " height");
  }
};

TEST_F(MainWindowTest, CaptionsAndTooltipAreTheDesignTexts) {
  MainWindow& w = window();
  EXPECT_EQ(w.windowTitle(), "Brintova");
  EXPECT_FALSE(w.windowIcon().isNull());
  EXPECT_EQ(w.frame2().title(), "Extract Options");
  EXPECT_EQ(w.frame1().title(), "Output Options");
  EXPECT_EQ(w.option1().text(), "Put results in new sheet");
  EXPECT_EQ(w.option2().text(), "Put results in new workbook");
  EXPECT_EQ(w.push_button(3).text(), "Add Excel File(s)");
  EXPECT_EQ(w.push_button(6).text(), "Add All Excel File(s) In Folder");
  EXPECT_EQ(w.push_button(7).text(), "Start Extracting");
  EXPECT_EQ(w.push_button(1).text(), "Clear List");
  EXPECT_EQ(w.push_button(2).text(), "Load Sample/Example Files");
  EXPECT_EQ(w.list_view1().toolTip(),
            "Drag and drop files here. Double-click item to remove it. Move bar to right and out "
            "of window to reveal full names.");
  EXPECT_EQ(w.progress_bar1().minimum(), 0);
  EXPECT_EQ(w.progress_bar1().maximum(), 100);
  EXPECT_EQ(w.progress_bar1().value(), 0);
}

TEST_F(MainWindowTest, DropDownHoldsTheElevenOperationsAndFirstStartPicksTheFirst) {
  const std::vector<QString> expected = {
      "Extract Alphabet Characters In All Cells",
      "Extract Numbers In All Cells",
      "Extract Alphanumeric Characters In All Cells",
      "Extract Non-Alphanumeric Characters In All Cells",
      "Extract User-defined Characters In All Cells",
      "Extract All Characters After User-defined Characters In All Cells",
      "Extract All Characters Before User-defined Characters In All Cells",
      "Extract First x Characters In All Cells",
      "Extract Last x Characters In All Cells",
      "Extract All Characters After x Numeric Position",
      "Extract All Characters Before x Numeric Position",
  };
  QComboBox& combo = window().combo1();
  ASSERT_EQ(combo.count(), 11);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(combo.itemText(i), expected[i]) << "entry " << i;
  EXPECT_FALSE(combo.isEditable());
  EXPECT_EQ(combo.currentIndex(), 0);
  // A new user: the first start stores its choice at once, and nothing was asked or reported
  // (the embedded spreadsheet engine starts, so there is no "not installed" box).
  EXPECT_EQ(config.Stored("Combo1").toString(), "0");
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(MainWindowTest, EveryControlSitsAtItsDesignPlaceInTwips) {
  MainWindow& w = window();
  ExpectTwips(w.width(), 8040, DpiX(), "client width");
  ExpectTwips(w.height(), 5610, DpiY(), "client height");
  // Fixed single border: the user cannot resize the window.
  EXPECT_EQ(w.minimumSize(), w.maximumSize());
  EXPECT_EQ(w.size(), w.minimumSize());

  ExpectPlaced(w.list_view1(), w, {120, 120, 7800, 1575});
  ExpectPlaced(w.frame2(), w, {120, 2775, 7800, 800});
  ExpectPlaced(w.combo1(), w.frame2(), {240, 300, 7320, 345});
  ExpectPlaced(w.frame1(), w, {120, 3660, 7800, 735});
  ExpectPlaced(w.option2(), w.frame1(), {3000, 300, 3135, 255});
  ExpectPlaced(w.option1(), w.frame1(), {240, 300, 2475, 255});
  ExpectPlaced(w.progress_bar1(), w, {120, 5070, 7800, 405});
  ExpectPlaced(w.push_button(3), w, {120, 1790, 3840, 405});
  ExpectPlaced(w.push_button(6), w, {4080, 1790, 3840, 405});
  ExpectPlaced(w.push_button(7), w, {120, 4530, 7800, 405});
  ExpectPlaced(w.push_button(1), w, {120, 2300, 3840, 405});
  ExpectPlaced(w.push_button(2), w, {4080, 2300, 3840, 405});
}

TEST_F(MainWindowTest, EveryCaptionFitsItsControl) {
  // Arial, or a font with its metrics, fits every caption into the design sizes; a wider
  // stand-in font would cut the option buttons' captions off.
  MainWindow& w = window();
  std::vector<QWidget*> controls = {&w.option1(), &w.option2(), &w.combo1()};
  for (int n : {1, 2, 3, 6, 7}) controls.push_back(&w.push_button(n));
  for (const QWidget* control : controls) {
    EXPECT_LE(control->sizeHint().width(), control->width())
        << control->objectName().toStdString() << " in "
        << QFontInfo(control->font()).family().toStdString();
  }
}

TEST_F(MainWindowTest, TabOrderFollowsTheTabIndexesSkippingFramesAndTheProgressBar) {
  MainWindow& w = window();
  const std::vector<QString> expected = {"ListView1",   "Option1",     "Option2",
                                         "PushButton3", "PushButton6", "PushButton7",
                                         "Combo1",      "PushButton1", "PushButton2"};
  // The focus chain from the list on, keeping the named controls that take focus by Tab.
  std::vector<QString> order;
  QWidget* widget = &w.list_view1();
  do {
    if (!widget->objectName().isEmpty() && (widget->focusPolicy() & Qt::TabFocus) &&
        widget->isVisibleTo(&w) && widget->window() == &w) {
      order.push_back(widget->objectName());
    }
    widget = widget->nextInFocusChain();
  } while (widget != &w.list_view1() && order.size() < 20);
  EXPECT_EQ(order, expected);
  EXPECT_EQ(w.frame1().focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(w.frame2().focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(w.progress_bar1().focusPolicy(), Qt::NoFocus);
}

TEST_F(MainWindowTest, FileListIsAReportWithOneColumnSevenThousandTwipsWide) {
  FileListView& list = window().list_view1();
  ASSERT_EQ(list.model()->columnCount(), 1);
  EXPECT_EQ(list.model()->headerData(0, Qt::Horizontal).toString(), "Excel File(s)");
  EXPECT_FALSE(list.isHeaderHidden());
  ExpectTwips(list.header()->sectionSize(0), 7000, DpiX(), "column width");
  EXPECT_EQ(list.model()->rowCount(), 0);
  EXPECT_TRUE(list.acceptDrops());
}

TEST_F(MainWindowTest, PutResultsInNewSheetIsSelectedAndTheOptionsAreOneGroup) {
  MainWindow& w = window();
  EXPECT_TRUE(w.option1().isChecked());
  EXPECT_FALSE(w.option2().isChecked());
  QTest::mouseClick(&w.option2(), Qt::LeftButton);
  EXPECT_TRUE(w.option2().isChecked());
  EXPECT_FALSE(w.option1().isChecked());
  EXPECT_TRUE(w.Option2().Value());
  EXPECT_FALSE(w.Option1().Value());
}

TEST_F(MainWindowTest, FontsAndWhiteBackgroundsWithoutASkin) {
  MainWindow& w = window();
  const auto expect_font = [](const QWidget& widget, double points) {
    const QFont f = widget.font();
    EXPECT_EQ(f.family(), "Arial") << widget.objectName().toStdString();
    EXPECT_DOUBLE_EQ(f.pointSizeF(), points) << widget.objectName().toStdString();
    EXPECT_TRUE(f.bold()) << widget.objectName().toStdString();
  };
  expect_font(w, 9);
  expect_font(w.list_view1(), 9);
  expect_font(w.combo1(), 9);
  expect_font(w.option1(), 9);
  for (int n : {1, 2, 3, 6, 7}) expect_font(w.push_button(n), 11.25);
  for (const QWidget* widget :
       {static_cast<const QWidget*>(&w), static_cast<const QWidget*>(&w.frame1()),
        static_cast<const QWidget*>(&w.frame2()), static_cast<const QWidget*>(&w.option1()),
        static_cast<const QWidget*>(&w.option2())}) {
    EXPECT_TRUE(widget->autoFillBackground()) << widget->objectName().toStdString();
    EXPECT_EQ(widget->palette().color(widget->backgroundRole()), QColor(Qt::white))
        << widget->objectName().toStdString();
  }
}

TEST_F(MainWindowTest, FileListStaysAModelViewWithAHundredThousandRows) {
  constexpr int kRows = 100'000;
  FileListView& list = window().list_view1();
  ListView& port = window().ListView1();
  const int widgets_before = static_cast<int>(list.findChildren<QWidget*>().size());

  QElapsedTimer timer;
  timer.start();
  for (int i = 1; i <= kRows; ++i) {
    port.Add(u"/data/folder " + ToU16(QString::number(i / 100)) + u"/Book " +
             ToU16(QString::number(i)) + u".xlsx");
  }
  // Lay out and paint, then jump to the end as a user dragging the scroll bar would.
  QApplication::processEvents();
  list.scrollToBottom();
  list.viewport()->repaint();
  const qint64 elapsed_ms = timer.elapsed();

  EXPECT_EQ(list.model(), &list.model_of_rows());
  EXPECT_EQ(list.model()->rowCount(), kRows);
  EXPECT_EQ(port.Count(), kRows);
  EXPECT_EQ(port.Item(1), u"/data/folder 0/Book 1.xlsx");
  EXPECT_EQ(port.Item(kRows), u"/data/folder 1000/Book 100000.xlsx");
  // Rows are drawn from the model: no widget was made for any of them.
  EXPECT_EQ(static_cast<int>(list.findChildren<QWidget*>().size()), widgets_before);
  EXPECT_EQ(list.indexWidget(list.model()->index(kRows - 1, 0)), nullptr);
  EXPECT_EQ(list.verticalScrollBar()->value(), list.verticalScrollBar()->maximum());
  const QModelIndex last_shown = list.indexAt(QPoint(4, list.viewport()->height() - 4));
  EXPECT_GT(last_shown.row(), kRows - 100);
  // Linear work takes well under a second here; a step that grew with the square of the rows
  // would take minutes.
  EXPECT_LT(elapsed_ms, 10'000);

  // Removing a row near the start and clearing stay cheap too.
  list.setCurrentIndex(list.model()->index(1, 0));
  QTest::keyClick(&list, Qt::Key_Delete);
  EXPECT_EQ(port.Count(), kRows - 1);
  EXPECT_EQ(port.Item(2), u"/data/folder 0/Book 3.xlsx");
  QTest::mouseClick(&window().push_button(1), Qt::LeftButton);
  EXPECT_EQ(port.Count(), 0);
  EXPECT_TRUE(dialogs.boxes.empty());
}

}  // namespace
}  // namespace brintova::testing
