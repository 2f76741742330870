// "Save All…" and "Close All" of the results window over the real embedded server: names that
// collide with each other and with files already in the folder, entries saved earlier, a folder
// that cannot be written, stopping half way, and the unsaved count in the title.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <deque>

#include "engine/server/embedded_server.h"
#include "platform/qt/qt_text.h"
#include "ui/results_window.h"

namespace brintova {
namespace {

const QString kFixture = QStringLiteral(BRINTOVA_TEST_DATA "/contract_book.xlsx");

struct Scripted {
  std::deque<bool> answers;  // Yes/No in order; No when none is left
  QStringList questions;
  QString folder;                          // the folder dialog's answer
  int stop_at = -1;                        // the progress step at which the user stops
  std::vector<std::pair<int, int>> steps;  // (done, total) as reported
  QStringList summaries;
};

struct SaveAllWindow {
  engine::EmbeddedServer server;
  ResultsWindow window;
  Scripted script;
  QTemporaryDir scratch;

  SaveAllWindow() {
    ResultsWindow::Prompts& p = window.prompts();
    p.confirm = [this](const QString& question) {
      script.questions << question;
      if (script.answers.empty()) return false;
      const bool answer = script.answers.front();
      script.answers.pop_front();
      return answer;
    };
    p.choose_folder = [this](const QString&) { return script.folder; };
    p.progress = [this](int done, int total, const QString&) {
      script.steps.emplace_back(done, total);
      return done != script.stop_at;
    };
    p.show_summary = [this](const QString& text) { script.summaries << text; };
    p.show_failure = [](const QString& text) { ADD_FAILURE() << text.toStdString(); };
    AttachResultsWindow(server, window);
  }

  QString Path(const QString& name) const { return scratch.filePath(name); }

  // The fixture copied to `name` in the scratch folder, opened and shown as a run shows it.
  std::shared_ptr<Application> ShowCopy(const QString& name) {
    const QString path = Path(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    EXPECT_TRUE(QFile::copy(kFixture, path));
    auto app = server.CreateObject(kSpreadsheetProgId);
    auto book = app->Workbooks().Open(PathFromQt(path));
    book->Sheets().Add(book->Sheets().Item(1))->SetCellValue({1, 1}, u"result");
    app->SetVisible(true);
    return app;
  }
  // A new-workbook result as the run leaves it: the source opened in a hidden instance, the
  // results added in another, which is shown.
  std::shared_ptr<Application> ShowNewWorkbookResultOf(const QString& name) {
    const QString path = Path(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    EXPECT_TRUE(QFile::copy(kFixture, path));
    auto source = server.CreateObject(kSpreadsheetProgId);
    source->Workbooks().Open(PathFromQt(path));
    auto app = server.CreateObject(kSpreadsheetProgId);
    app->Workbooks().Add()->Sheets().Item(1)->SetCellValue({1, 1}, u"result");
    app->SetVisible(true);
    source->Quit();
    return app;
  }
  std::shared_ptr<Application> ShowNewBook() {
    auto app = server.CreateObject(kSpreadsheetProgId);
    app->Workbooks().Add()->Sheets().Item(1)->SetCellValue({1, 1}, u"new");
    app->SetVisible(true);
    return app;
  }
  QStringList Files(const QString& folder) const {
    return QDir(Path(folder)).entryList(QDir::Files, QDir::Name);
  }
};

TEST(SaveAll, NamesEveryResultAsTheCommandLineDoesAndNeverWritesOverAFile) {
  SaveAllWindow w;
  w.ShowCopy(QStringLiteral("a/Book.xlsx"));
  w.ShowCopy(QStringLiteral("b/Book.xlsx"));
  w.ShowNewBook();
  w.ShowNewWorkbookResultOf(QStringLiteral("c/Orders.xlsx"));
  QDir().mkpath(w.Path(QStringLiteral("out")));
  QFile existing(w.Path(QStringLiteral("out/Book.xlsx")));
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.write("someone's file");
  existing.close();
  EXPECT_EQ(w.window.windowTitle(), QStringLiteral("Results (4 unsaved)"));
  // A new workbook is named after the workbook its results came from.

  w.script.folder = w.Path(QStringLiteral("out"));
  w.window.SaveAll();

  EXPECT_TRUE(w.script.questions.isEmpty()) << "nothing was saved before, so nothing to ask";
  EXPECT_EQ(w.Files(QStringLiteral("out")),
            (QStringList{QStringLiteral("Book (2).xlsx"), QStringLiteral("Book (3).xlsx"),
                         QStringLiteral("Book.xlsx"), QStringLiteral("Book1.xlsx"),
                         QStringLiteral("Orders.xlsx")}));
  QFile kept(w.Path(QStringLiteral("out/Book.xlsx")));
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), QByteArray("someone's file"));
  EXPECT_EQ(w.script.steps,
            (std::vector<std::pair<int, int>>{{0, 4}, {1, 4}, {2, 4}, {3, 4}, {4, 4}}));
  ASSERT_EQ(w.script.summaries.size(), 1);
  EXPECT_TRUE(w.script.summaries[0].startsWith(QStringLiteral("Saved 4 results into ")))
      << w.script.summaries[0].toStdString();
  EXPECT_EQ(w.window.windowTitle(), QStringLiteral("Results"));
  EXPECT_EQ(w.window.UnsavedCount(), 0);

  // Saving beside the sources: a source is a file that is there, so it is never written.
  const QByteArray source = [&] {
    QFile f(w.Path(QStringLiteral("a/Book.xlsx")));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }();
  const SaveAllOutcome beside = w.window.SaveAllInto(w.Path(QStringLiteral("a")), true);
  EXPECT_TRUE(beside.failures.isEmpty()) << beside.failures.join(u'\n').toStdString();
  EXPECT_EQ(w.Files(QStringLiteral("a")),
            (QStringList{QStringLiteral("Book (2).xlsx"), QStringLiteral("Book (3).xlsx"),
                         QStringLiteral("Book.xlsx"), QStringLiteral("Book1.xlsx"),
                         QStringLiteral("Orders.xlsx")}));
  QFile f(w.Path(QStringLiteral("a/Book.xlsx")));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), source);
}

TEST(SaveAll, LeavesOutWhatWasSavedUnlessAskedToSaveItAgain) {
  SaveAllWindow w;
  w.ShowCopy(QStringLiteral("in/First.xlsx"));
  w.ShowCopy(QStringLiteral("in/Second.xlsx"));
  w.window.SaveAs(0, w.Path(QStringLiteral("First saved.xlsx")), SaveFormat::kWorkbook);
  EXPECT_EQ(w.window.windowTitle(), QStringLiteral("Results (1 unsaved)"));

  w.script.folder = w.Path(QStringLiteral("out"));
  QDir().mkpath(w.script.folder);
  w.script.answers = {false};
  w.window.SaveAll();
  EXPECT_EQ(w.script.questions,
            QStringList{QStringLiteral("1 result is saved already. Save it again as well?")});
  EXPECT_EQ(w.Files(QStringLiteral("out")), QStringList{QStringLiteral("Second.xlsx")});
  ASSERT_EQ(w.script.summaries.size(), 1);
  EXPECT_NE(w.script.summaries[0].indexOf(QStringLiteral("1 result saved earlier was left out")),
            -1)
      << w.script.summaries[0].toStdString();

  // Everything saved: asked whether to save it all again; No does nothing at all.
  w.script.questions.clear();
  w.window.SaveAll();
  EXPECT_EQ(w.script.questions.size(), 1);
  EXPECT_EQ(w.script.summaries.size(), 1);
  EXPECT_EQ(w.Files(QStringLiteral("out")).size(), 1);
  w.script.answers = {true};
  w.window.SaveAll();
  EXPECT_EQ(w.Files(QStringLiteral("out")),
            (QStringList{QStringLiteral("First.xlsx"), QStringLiteral("Second (2).xlsx"),
                         QStringLiteral("Second.xlsx")}));
}

TEST(SaveAll, ReportsAFolderThatCannotBeWrittenAndKeepsEveryResultUnsaved) {
  SaveAllWindow w;
  w.ShowCopy(QStringLiteral("in/First.xlsx"));
  w.ShowNewBook();
  // Not even root can create files in /proc, so this holds however the tests run.
  w.script.folder = QStringLiteral("/proc");
  w.window.SaveAll();
  ASSERT_EQ(w.script.summaries.size(), 1);
  const std::string summary = w.script.summaries[0].toStdString();
  EXPECT_NE(summary.find("Nothing was saved into /proc."), std::string::npos) << summary;
  EXPECT_NE(summary.find("2 were not saved:"), std::string::npos) << summary;
  EXPECT_NE(summary.find("First.xlsx: Cannot save"), std::string::npos) << summary;
  EXPECT_EQ(w.window.UnsavedCount(), 2);
  EXPECT_EQ(w.window.windowTitle(), QStringLiteral("Results (2 unsaved)"));
  EXPECT_EQ(w.window.EntryCount(), 2);
}

TEST(SaveAll, StopsWhenTheUserStopsAndSaysSo) {
  SaveAllWindow w;
  w.ShowCopy(QStringLiteral("in/One.xlsx"));
  w.ShowCopy(QStringLiteral("in/Two.xlsx"));
  w.ShowCopy(QStringLiteral("in/Three.xlsx"));
  w.script.folder = w.Path(QStringLiteral("out"));
  QDir().mkpath(w.script.folder);
  w.script.stop_at = 1;
  w.window.SaveAll();
  EXPECT_EQ(w.Files(QStringLiteral("out")), QStringList{QStringLiteral("One.xlsx")});
  EXPECT_EQ(w.window.UnsavedCount(), 2);
  ASSERT_EQ(w.script.summaries.size(), 1);
  EXPECT_NE(w.script.summaries[0].indexOf(QStringLiteral("stopped")), -1);
}

TEST(CloseAll, AsksOnceWhenResultsWouldBeLostAndQuitsEveryInstance) {
  SaveAllWindow w;
  auto first = w.ShowCopy(QStringLiteral("in/First.xlsx"));
  auto second = w.ShowNewBook();
  EXPECT_FALSE(w.window.CloseAll());  // answered No
  EXPECT_EQ(w.script.questions,
            QStringList{QStringLiteral("Discard the unsaved results of 2 workbooks?")});
  EXPECT_EQ(w.window.EntryCount(), 2);

  w.script.answers = {true};
  EXPECT_TRUE(w.window.CloseAll());
  EXPECT_EQ(w.window.EntryCount(), 0);
  EXPECT_FALSE(std::static_pointer_cast<engine::EmbeddedApplication>(first)->IsOpen());
  EXPECT_FALSE(std::static_pointer_cast<engine::EmbeddedApplication>(second)->IsOpen());
  EXPECT_FALSE(w.window.isVisible());
  EXPECT_EQ(w.window.windowTitle(), QStringLiteral("Results"));

  // Nothing unsaved: no question.
  w.ShowCopy(QStringLiteral("in/Third.xlsx"));
  w.window.SaveAs(0, w.Path(QStringLiteral("third.xlsx")), SaveFormat::kWorkbook);
  w.script.questions.clear();
  w.window.CloseAll();
  EXPECT_TRUE(w.script.questions.isEmpty());
  EXPECT_EQ(w.window.EntryCount(), 0);
}

}  // namespace
}  // namespace brintova
