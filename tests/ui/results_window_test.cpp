// ResultsWindow over the real embedded server: instances arriving, tabs, the formula bar,
// closing (and the running-instance test that follows from it) and saving through the seam.
#include "ui/results_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "engine/server/embedded_server.h"
#include "platform/failure.h"
#include "platform/qt/qt_text.h"
#include "platform/spreadsheet_server.h"
#include "ui/sheet_model.h"

namespace brintova {
namespace {

using engine::model::SourceKind;

const QString kChartFixture = QStringLiteral(BRINTOVA_TEST_DATA "/save_names_chartsheet.xlsx");
// Written by openpyxl: 12 formula cells, none with a stored result.
const QString kUncalculatedFixture =
    QStringLiteral(BRINTOVA_TEST_DATA "/uncalculated_formulas.xlsx");

QPushButton* ButtonCalled(QWidget& window, const QString& text) {
  for (auto* button : window.findChildren<QPushButton*>()) {
    if (button->text() == text) return button;
  }
  return nullptr;
}

// Answers the window's questions and dialogs from a script and records what was asked.
struct ScriptedPrompts {
  std::deque<bool> answers;  // Yes/No answers in order; No when none is left
  std::vector<QString> questions;
  QString save_path;  // the save dialog's answer ("" is Cancel)
  QString save_filter;
  QString suggested;
  QStringList offered_filters;
  std::vector<QString> failures;

  void Install(ResultsWindow& window) {
    window.prompts().confirm = [this](const QString& question) {
      questions.push_back(question);
      if (answers.empty()) return false;
      const bool answer = answers.front();
      answers.pop_front();
      return answer;
    };
    window.prompts().choose_save_path = [this](const QString& s, const QStringList& filters,
                                               QString* filter) {
      suggested = s;
      offered_filters = filters;
      if (!save_filter.isEmpty()) *filter = save_filter;
      return save_path;
    };
    window.prompts().show_failure = [this](const QString& text) { failures.push_back(text); };
  }
};

struct Results {
  engine::EmbeddedServer server;
  ResultsWindow window;
  ScriptedPrompts prompts;

  Results() {
    prompts.Install(window);
    AttachResultsWindow(server, window);
  }

  // A new instance holding a new workbook with `cells` written to its first sheet, made visible.
  std::shared_ptr<Application> ShowNewBook(
      const std::vector<std::pair<CellPosition, std::u16string>>& cells) {
    auto app = server.CreateObject(kSpreadsheetProgId);
    auto book = app->Workbooks().Add();
    for (const auto& [cell, text] : cells) book->Sheets().Item(1)->SetCellValue(cell, text);
    app->SetVisible(true);
    return app;
  }

  std::shared_ptr<Application> ShowFile(const QString& path) {
    auto app = server.CreateObject(kSpreadsheetProgId);
    app->Workbooks().Open(PathFromQt(path));
    app->SetVisible(true);
    return app;
  }

  bool Running() {
    try {
      server.GetObject(kSpreadsheetProgId);
      return true;
    } catch (const Failure&) {
      return false;
    }
  }
};

// Opens `path` in a fresh instance and returns the displayed text of `cell` on sheet `sheet`.
std::u16string TextInFile(const QString& path, std::int32_t sheet, CellPosition cell) {
  engine::EmbeddedServer server;
  auto app = server.CreateObject(kSpreadsheetProgId);
  auto book = app->Workbooks().Open(PathFromQt(path));
  return book->Sheets().Item(sheet)->CellText(cell);
}

TEST(ResultsWindow, ListsEachInstanceOnceAsItIsMadeVisible) {
  Results r;
  EXPECT_FALSE(r.window.isVisible());
  auto first = r.ShowNewBook({{{1, 1}, u"one"}});
  EXPECT_TRUE(r.window.isVisible());
  auto second = r.ShowNewBook({{{2, 2}, u"two"}});
  ASSERT_EQ(r.window.EntryCount(), 2);
  EXPECT_EQ(r.window.EntryTitle(0), QStringLiteral("Book1"));
  EXPECT_EQ(r.window.Instance(1), second);
  // The newest arrival is shown.
  EXPECT_EQ(r.window.CurrentEntry(), 1);
  ASSERT_NE(r.window.sheet_model(), nullptr);
  EXPECT_EQ(r.window.sheet_model()->CellText(r.window.sheet_model()->index(1, 1)),
            QStringLiteral("two"));

  // Shown again after being hidden: still one entry, selected.
  first->SetVisible(false);
  first->SetVisible(true);
  EXPECT_EQ(r.window.EntryCount(), 2);
  EXPECT_EQ(r.window.CurrentEntry(), 0);
  EXPECT_EQ(r.window.sheet_model()->CellText(r.window.sheet_model()->index(0, 0)),
            QStringLiteral("one"));
}

TEST(ResultsWindow, ColumnsWidenToTheirTextsUpToALimit) {
  Results r;
  const std::u16string digits = u"3006202412345678901234";
  const std::u16string essay(500, u'x');
  r.ShowNewBook({{{1, 1}, u"ab"}, {{3, 2}, digits}, {{2, 3}, essay}, {{1, 200}, digits}});
  const QTableView& grid = r.window.grid();
  const QFontMetrics metrics = grid.fontMetrics();
  // A short text keeps the ordinary width; a long number is shown whole; a very long text gets
  // a wide column that leaves room for the rest; columns far to the right are not measured.
  EXPECT_EQ(grid.columnWidth(0), grid.horizontalHeader()->defaultSectionSize());
  EXPECT_GE(grid.columnWidth(1), metrics.horizontalAdvance(ToQString(digits)));
  EXPECT_LT(grid.columnWidth(2), metrics.horizontalAdvance(ToQString(essay)));
  EXPECT_GT(grid.columnWidth(2), grid.columnWidth(1));
  EXPECT_EQ(grid.columnWidth(199), grid.horizontalHeader()->defaultSectionSize());
}

TEST(ResultsWindow, PicksUpInstancesVisibleBeforeItWasAttached) {
  engine::EmbeddedServer server;
  auto app = server.CreateObject(kSpreadsheetProgId);
  app->Workbooks().Add();
  app->SetVisible(true);
  auto hidden = server.CreateObject(kSpreadsheetProgId);
  hidden->Workbooks().Add();
  ResultsWindow window;
  AttachResultsWindow(server, window);
  ASSERT_EQ(window.EntryCount(), 1);
  EXPECT_EQ(window.Instance(0), app);
}

TEST(ResultsWindow, DropsEntriesWhoseInstanceQuitElsewhere) {
  Results r;
  auto first = r.ShowNewBook({});
  first->Quit();
  r.ShowNewBook({});
  EXPECT_EQ(r.window.EntryCount(), 1);
}

TEST(ResultsWindow, ShowsSheetTabsInOrderWithANoteForCharts) {
  if (!QFile::exists(kChartFixture))
    GTEST_SKIP() << "fixture missing: " << kChartFixture.toStdString();
  Results r;
  r.ShowFile(kChartFixture);
  ASSERT_EQ(r.window.EntryCount(), 1);
  EXPECT_EQ(r.window.EntryTitle(0), QStringLiteral("save_names_chartsheet.xlsx"));
  EXPECT_EQ(r.window.SheetTabs(), QStringList({QStringLiteral("Chart1"), QStringLiteral("Data"),
                                               QStringLiteral("Other (hidden)")}));
  // The first tab is a chart sheet: a note instead of the grid.
  EXPECT_EQ(r.window.CurrentSheet(), 0);
  EXPECT_EQ(r.window.sheet_model(), nullptr);
  EXPECT_TRUE(r.window.Note().contains(QStringLiteral("charts are not displayed")));

  r.window.SelectSheet(1);
  ASSERT_NE(r.window.sheet_model(), nullptr);
  EXPECT_EQ(r.window.Note(), QString());
  SheetModel& data = *r.window.sheet_model();
  EXPECT_EQ(data.rowCount(), 6);
  EXPECT_EQ(data.columnCount(), 3);
  // The formula bar follows the current cell and shows the displayed text.
  EXPECT_EQ(r.window.CurrentAddress(), QStringLiteral("A1"));
  EXPECT_EQ(r.window.CurrentText(), QStringLiteral("Item"));
  r.window.grid().setCurrentIndex(data.index(1, 1));
  EXPECT_EQ(r.window.CurrentAddress(), QStringLiteral("B2"));
  EXPECT_EQ(r.window.CurrentText(), QStringLiteral("1,234.50"));

  // Each entry keeps the tab it was left on.
  r.ShowNewBook({});
  EXPECT_EQ(r.window.SheetTabs(), QStringList({QStringLiteral("Sheet1")}));
  r.window.SelectEntry(0);
  EXPECT_EQ(r.window.CurrentSheet(), 1);
}

TEST(ResultsWindow, CloseQuitsTheInstanceSoNoneCountsAsRunning) {
  Results r;
  EXPECT_FALSE(r.Running());
  auto first = r.ShowNewBook({});
  auto second = r.ShowNewBook({});
  EXPECT_TRUE(r.Running());

  // "Close without saving?" answered No: nothing happens.
  r.prompts.answers = {false};
  r.window.CloseCurrent();
  EXPECT_EQ(r.prompts.questions.size(), 1u);
  EXPECT_EQ(r.window.EntryCount(), 2);
  EXPECT_TRUE(r.server.GetObject(kSpreadsheetProgId) == second);

  r.prompts.answers = {true};
  r.window.CloseCurrent();
  EXPECT_EQ(r.window.EntryCount(), 1);
  EXPECT_THROW(second->Workbooks(), Failure);
  EXPECT_TRUE(r.server.GetObject(kSpreadsheetProgId) == first);
  EXPECT_TRUE(r.window.isVisible());

  r.prompts.answers = {true};
  r.window.CloseCurrent();
  EXPECT_EQ(r.window.EntryCount(), 0);
  EXPECT_FALSE(r.Running());
  EXPECT_FALSE(r.window.isVisible());
  EXPECT_EQ(r.window.sheet_model(), nullptr);
}

TEST(ResultsWindow, ClosingTheWindowAsksBeforeDiscardingUnsavedResults) {
  Results r;
  auto app = r.ShowNewBook({{{1, 1}, u"keep me"}});

  r.prompts.answers = {false};
  EXPECT_FALSE(r.window.close());
  EXPECT_TRUE(r.window.isVisible());
  EXPECT_TRUE(r.Running());
  ASSERT_EQ(r.prompts.questions.size(), 1u);
  EXPECT_TRUE(r.prompts.questions[0].contains(QStringLiteral("Discard")));

  r.prompts.answers = {true};
  EXPECT_TRUE(r.window.close());
  EXPECT_EQ(r.window.EntryCount(), 0);
  EXPECT_FALSE(r.Running());
}

TEST(ResultsWindow, SavedEntriesCloseWithoutAQuestion) {
  QTemporaryDir folder;
  Results r;
  auto app = r.ShowNewBook({{{1, 1}, u"saved"}});
  r.window.SaveAs(0, folder.filePath(QStringLiteral("out.xlsx")), SaveFormat::kWorkbook);
  r.window.CloseCurrent();
  EXPECT_TRUE(r.prompts.questions.empty());
  EXPECT_EQ(r.window.EntryCount(), 0);
  EXPECT_FALSE(r.Running());
}

TEST(ResultsWindow, SavesTheWorkbookAndTheShownSheetAsCsv) {
  QTemporaryDir folder;
  Results r;
  r.ShowNewBook({{{1, 1}, u"a,b"}, {{2, 3}, u"z"}});

  const QString book_path = folder.filePath(QStringLiteral("result.xlsx"));
  r.window.SaveAs(0, book_path, SaveFormat::kWorkbook);
  EXPECT_EQ(TextInFile(book_path, 1, {1, 1}), u"a,b");
  EXPECT_EQ(TextInFile(book_path, 1, {2, 3}), u"z");

  const QString csv_path = folder.filePath(QStringLiteral("result.csv"));
  r.window.SaveAs(0, csv_path, SaveFormat::kCsvOfShownSheet);
  QFile csv(csv_path);
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  EXPECT_EQ(csv.readAll(), QByteArray("\xEF\xBB\xBF\"a,b\"\r\n,,z\r\n"));
}

TEST(ResultsWindow, SaysThatResultsOfAnOdsWorkbookAreSavedAsXlsxAndSavesThem) {
  const QString source = QStringLiteral(BRINTOVA_TEST_DATA "/ods/ods_structure.ods");
  QTemporaryDir folder;
  Results r;
  r.ShowFile(source);
  ASSERT_EQ(r.window.EntryCount(), 1);
  EXPECT_EQ(r.window.Status(), SaveKindNote(SourceKind::kOds));
  EXPECT_TRUE(r.window.Status().contains(QStringLiteral("OpenDocument")))
      << r.window.Status().toStdString();
  r.prompts.save_path = folder.filePath(QStringLiteral("chosen"));
  r.window.SaveCurrentAs();
  EXPECT_TRUE(r.prompts.suggested.endsWith(QStringLiteral("ods_structure (results).xlsx")))
      << r.prompts.suggested.toStdString();
  EXPECT_TRUE(r.prompts.failures.empty());
  EXPECT_EQ(TextInFile(folder.filePath(QStringLiteral("chosen.xlsx")), 1, {1, 1}), u"first");
  EXPECT_EQ(r.window.Status().left(8), QStringLiteral("Saved to"));
}

TEST(ResultsWindow, SaveAsButtonGoesThroughTheDialogAndReportsRefusals) {
  if (!QFile::exists(kChartFixture))
    GTEST_SKIP() << "fixture missing: " << kChartFixture.toStdString();
  QTemporaryDir folder;
  const QString source = folder.filePath(QStringLiteral("Plan.xlsx"));
  ASSERT_TRUE(QFile::copy(kChartFixture, source));
  QFile original(source);
  ASSERT_TRUE(original.open(QIODevice::ReadOnly));
  const QByteArray before = original.readAll();
  original.close();

  Results r;
  r.ShowFile(source);
  // Cancel: nothing written, nothing reported.
  r.window.SaveCurrentAs();
  EXPECT_EQ(r.prompts.suggested, folder.filePath(QStringLiteral("Plan (results).xlsx")));
  EXPECT_EQ(r.prompts.offered_filters.size(), 2);
  EXPECT_TRUE(r.prompts.failures.empty());

  // Over the source: refused with the saver's reason, the source untouched.
  r.prompts.save_path = source;
  r.window.SaveCurrentAs();
  ASSERT_EQ(r.prompts.failures.size(), 1u);
  EXPECT_FALSE(r.prompts.failures[0].isEmpty());
  ASSERT_TRUE(original.open(QIODevice::ReadOnly));
  EXPECT_EQ(original.readAll(), before);
  original.close();

  // CSV of the shown sheet while a chart sheet is shown: refused, nothing written.
  r.window.SelectSheet(0);
  r.prompts.save_path = folder.filePath(QStringLiteral("chart"));
  r.prompts.save_filter = r.prompts.offered_filters.back();
  r.window.SaveCurrentAs();
  ASSERT_EQ(r.prompts.failures.size(), 2u);
  EXPECT_TRUE(r.prompts.failures[1].contains(QStringLiteral("Chart1")));
  EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("chart.csv"))));

  // A name without extension and the workbook filter: saved as .xlsx, opens again.
  r.prompts.save_path = folder.filePath(QStringLiteral("copy"));
  r.prompts.save_filter = r.prompts.offered_filters.front();
  r.window.SaveCurrentAs();
  EXPECT_EQ(r.prompts.failures.size(), 2u);
  EXPECT_EQ(TextInFile(folder.filePath(QStringLiteral("copy.xlsx")), 2, {2, 2}), u"1,234.50");
}

TEST(SaveFilters, OfferTheSourceKindFirstAndCsvLast) {
  const struct {
    SourceKind kind;
    QStringList extensions;
  } cases[] = {
      {SourceKind::kNew, {"xlsx", "csv"}},  {SourceKind::kXlsx, {"xlsx", "csv"}},
      {SourceKind::kXls, {"xlsx", "csv"}},  {SourceKind::kCsv, {"xlsx", "csv"}},
      {SourceKind::kXlsm, {"xlsm", "csv"}}, {SourceKind::kXltx, {"xltx", "xlsx", "csv"}},
      {SourceKind::kXltm, {"xltm", "csv"}}, {SourceKind::kXlsb, {"xlsx", "csv"}},
      {SourceKind::kOds, {"xlsx", "csv"}},
  };
  for (const auto& c : cases) {
    const QStringList filters = SaveFilters(c.kind);
    ASSERT_EQ(filters.size(), c.extensions.size()) << filters.join(';').toStdString();
    for (qsizetype i = 0; i < filters.size(); ++i) {
      EXPECT_TRUE(filters[i].endsWith(QStringLiteral("(*.") + c.extensions[i] + u')'))
          << filters[i].toStdString() << " for kind " << static_cast<int>(c.kind);
    }
  }
}

TEST(SaveKindNote, SaysWhenTheSourceKindCannotBeWrittenBack) {
  for (SourceKind kind :
       {SourceKind::kXls, SourceKind::kXlt, SourceKind::kXlsb, SourceKind::kOds}) {
    EXPECT_TRUE(SaveKindNote(kind).contains(QStringLiteral("Save As writes .xlsx")))
        << static_cast<int>(kind);
  }
  for (SourceKind kind : {SourceKind::kNew, SourceKind::kXlsx, SourceKind::kXlsm, SourceKind::kXltx,
                          SourceKind::kXltm}) {
    EXPECT_TRUE(SaveKindNote(kind).isEmpty()) << static_cast<int>(kind);
  }
}

TEST(ResolveSaveTarget, TypedExtensionWinsElseTheFilterAppendsItsOwn) {
  const QString xlsx = SaveFilters(SourceKind::kXlsx).front();
  const QString xlsm = SaveFilters(SourceKind::kXlsm).front();
  const QString csv = SaveFilters(SourceKind::kXlsx).back();
  const struct {
    const char* path;
    QString filter;
    const char* expected_path;
    SaveFormat format;
  } cases[] = {
      {"/t/out", xlsx, "/t/out.xlsx", SaveFormat::kWorkbook},
      {"/t/out.xlsx", xlsx, "/t/out.xlsx", SaveFormat::kWorkbook},
      {"/t/OUT.XLSM", xlsx, "/t/OUT.XLSM", SaveFormat::kWorkbook},
      {"/t/out", xlsm, "/t/out.xlsm", SaveFormat::kWorkbook},
      {"/t/out", csv, "/t/out.csv", SaveFormat::kCsvOfShownSheet},
      {"/t/out.csv", xlsx, "/t/out.csv", SaveFormat::kCsvOfShownSheet},
      {"/t/out.xltx", csv, "/t/out.xltx", SaveFormat::kWorkbook},
      {"/t/v1.2", xlsx, "/t/v1.2.xlsx", SaveFormat::kWorkbook},
  };
  for (const auto& c : cases) {
    const SaveTarget target = ResolveSaveTarget(QString::fromUtf8(c.path), c.filter);
    EXPECT_EQ(target.path, QString::fromUtf8(c.expected_path)) << c.path;
    EXPECT_EQ(target.format, c.format) << c.path;
  }
}

// Whatever a button's or the window's handler lets escape (memory running out, anything) is
// reported in a box; the window and its results stay.
TEST(ResultsWindow, WhatAHandlerLetsEscapeIsReportedAndTheResultsStay) {
  Results r;
  r.ShowNewBook({{{1, 1}, u"keep me"}});
  QPushButton* save = ButtonCalled(r.window, QStringLiteral("Save As\u2026"));
  ASSERT_NE(save, nullptr);
  r.window.prompts().choose_save_path = [](const QString&, const QStringList&, QString*) {
    throw std::bad_alloc();
    return QString();
  };
  save->click();
  r.window.prompts().choose_save_path = [](const QString&, const QStringList&, QString*) {
    throw std::runtime_error("the dialog broke");
    return QString();
  };
  save->click();
  ASSERT_EQ(r.prompts.failures.size(), 2u);
  EXPECT_TRUE(r.prompts.failures[0].contains(QStringLiteral("not enough memory")));
  EXPECT_EQ(r.prompts.failures[1], QStringLiteral("the dialog broke"));

  // Closing the window: the question itself fails; nothing is discarded.
  r.window.prompts().confirm = [](const QString&) -> bool { throw 7; };
  EXPECT_FALSE(r.window.close());
  ASSERT_EQ(r.prompts.failures.size(), 3u);
  EXPECT_TRUE(r.window.isVisible());
  EXPECT_EQ(r.window.EntryCount(), 1);
  EXPECT_TRUE(r.Running());
}

// A workbook whose formulas were never calculated (openpyxl wrote it) shows them empty: the
// entry says how many, in new-sheet mode about the workbook itself, in new-workbook mode about
// the workbook the results came from, whose name also titles the entry.
TEST(ResultsWindow, SaysHowManyFormulaCellsWereReadAsEmpty) {
  if (!QFile::exists(kUncalculatedFixture))
    GTEST_SKIP() << "fixture missing: " << kUncalculatedFixture.toStdString();
  Results r;
  r.ShowFile(kUncalculatedFixture);
  EXPECT_EQ(r.window.EntryNotice(),
            QStringLiteral("12 formula cells have no stored result and were read as empty; open "
                           "and save the workbook in a spreadsheet application to calculate "
                           "them"));

  // As the run does it in new-workbook mode: the source opened first, the results added to a
  // new workbook in another instance, that one shown, the source's instance quit.
  auto source = r.server.CreateObject(kSpreadsheetProgId);
  source->Workbooks().Open(PathFromQt(kUncalculatedFixture));
  auto output = r.server.CreateObject(kSpreadsheetProgId);
  output->Workbooks().Add();
  output->SetVisible(true);
  source->Quit();
  ASSERT_EQ(r.window.EntryCount(), 2);
  EXPECT_EQ(r.window.EntryTitle(1), QStringLiteral("Book1 \u2014 uncalculated_formulas.xlsx"));
  EXPECT_EQ(r.window.EntryNotice(),
            QStringLiteral("12 formula cells of uncalculated_formulas.xlsx have no stored result "
                           "and were read as empty; open and save uncalculated_formulas.xlsx in "
                           "a spreadsheet application to calculate them"));

  // A workbook without such cells, and a new workbook not drawn from one: no notice.
  r.ShowNewBook({{{1, 1}, u"x"}});
  EXPECT_EQ(r.window.EntryTitle(2), QStringLiteral("Book1"));
  EXPECT_EQ(r.window.EntryNotice(), QString());
  r.window.SelectEntry(0);
  EXPECT_FALSE(r.window.EntryNotice().isEmpty());
}

}  // namespace
}  // namespace brintova
