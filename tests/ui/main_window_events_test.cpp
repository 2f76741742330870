// The real main window's event handling: a stored operation that cannot be used leaves the
// drop-down without a selection, the busy pointer stays the window's own, anything a handler
// lets escape is reported in a box, drops copy or link but never move and take files of this
// machine only, and closing the window during a folder walk ends the walk with the program.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QInputDialog>
#include <QMimeData>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <new>

#include "desktop_fixture.h"
#include "platform/failure.h"
#include "platform/qt/qt_text.h"
#include "ui/results_window.h"

namespace brintova::testing {
namespace {

class MainWindowEventsTest : public DesktopFixture {
 protected:
  void StoreOperation(const QString& value) {
    QSettings settings(config.SettingsFile(), QSettings::IniFormat);
    settings.setValue("Brintova/Combo1", value);
  }

  // Drags `urls` over the list and, when the list accepts them, drops them there, with the
  // `possible` actions of the source; Shift held makes the desktop propose a move.
  struct DropOutcome {
    bool enter_accepted = false;
    bool drop_accepted = false;
    Qt::DropAction action = Qt::IgnoreAction;
  };
  DropOutcome Drop(const QList<QUrl>& urls, Qt::DropActions possible,
                   Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QMimeData data;
    data.setUrls(urls);
    QWidget* target = window().list_view1().viewport();
    const QPoint at = target->rect().center();
    DropOutcome outcome;
    QDragEnterEvent enter(at, possible, &data, Qt::LeftButton, keys);
    QApplication::sendEvent(target, &enter);
    outcome.enter_accepted = enter.isAccepted();
    if (!outcome.enter_accepted) return outcome;
    QDropEvent drop(QPointF(at), possible, &data, Qt::LeftButton, keys);
    QApplication::sendEvent(target, &drop);
    outcome.drop_accepted = drop.isAccepted();
    outcome.action = drop.dropAction();
    return outcome;
  }

  // A folder of `count` subfolders holding one workbook each.
  QString MakeTree(const QTemporaryDir& root, int count) {
    QDir dir(root.path());
    for (int i = 0; i < count; ++i) {
      const QString sub = QStringLiteral("sub%1").arg(i);
      EXPECT_TRUE(dir.mkpath(sub));
      QFile file(dir.filePath(sub + "/book.xlsx"));
      EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    }
    return root.path();
  }
};

// Qt selects the first entry of an empty list as soon as one is added; a stored operation that
// cannot be used must leave no selection, or a run would extract letters nobody asked for.
TEST_F(MainWindowEventsTest, AStoredOperationThatCannotBeUsedLeavesNoSelection) {
  for (const QString& stored :
       {QStringLiteral("abc"), QStringLiteral("11"), QStringLiteral("2.5x")}) {
    desktop.reset();
    dialogs.boxes.clear();
    desktop = std::make_unique<Desktop>(&dialogs);
    StoreOperation(stored);
    desktop->Start();
    EXPECT_EQ(window().combo1().currentIndex(), -1) << stored.toStdString();
    EXPECT_EQ(window().Combo1().ListIndex(), -1) << stored.toStdString();
    ASSERT_EQ(dialogs.boxes.size(), 1u) << stored.toStdString();
    EXPECT_NE(dialogs.boxes[0].text.find(u"at line 154"), std::u16string::npos);
    EXPECT_EQ(config.Stored("Combo1").toString(), stored);  // kept until the user picks
  }

  // Settings that cannot be read at all: the same.
  desktop.reset();
  dialogs.boxes.clear();
  QFile::remove(config.SettingsFile());
  ASSERT_TRUE(QDir().mkpath(config.SettingsFile()));  // a folder where the file should be
  desktop = std::make_unique<Desktop>(&dialogs);
  desktop->Start();
  EXPECT_EQ(window().combo1().currentIndex(), -1);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_NE(dialogs.boxes[0].text.find(u"cannot be read"), std::u16string::npos);
  ASSERT_TRUE(QDir().rmdir(config.SettingsFile()));

  // "-1" is no selection, and no failure; a valid index is selected.
  for (const auto& [stored, index] :
       {std::pair{QStringLiteral("-1"), -1}, std::pair{QStringLiteral("10"), 10}}) {
    desktop.reset();
    dialogs.boxes.clear();
    desktop = std::make_unique<Desktop>(&dialogs);
    StoreOperation(stored);
    desktop->Start();
    EXPECT_EQ(window().combo1().currentIndex(), index) << stored.toStdString();
    EXPECT_TRUE(dialogs.boxes.empty()) << stored.toStdString();
  }
}

// The hourglass is the main window's: boxes and input boxes a run shows keep their own arrow.
TEST_F(MainWindowEventsTest, TheBusyPointerIsTheWindowsOwn) {
  desktop->Start();
  window().SetMousePointer(kPointerBusy);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(window().cursor().shape(), Qt::WaitCursor);
  EXPECT_EQ(window().list_view1().viewport()->cursor().shape(), Qt::WaitCursor);
  QInputDialog box(&window());
  EXPECT_EQ(box.cursor().shape(), Qt::ArrowCursor);
  window().SetMousePointer(kPointerDefault);
  EXPECT_EQ(window().cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Whatever a handler lets escape (a failure, memory running out, anything at all) is shown in
// a box, and the window goes on working.
TEST_F(MainWindowEventsTest, WhatAHandlerLetsEscapeIsShownInABox) {
  desktop->Start();
  MainWindowEvents& events = window().events();
  events.push_button1_click = [] { throw std::bad_alloc(); };
  events.push_button2_click = [] { throw 42; };
  events.combo1_click = [] { throw Failure(u"The drop-down broke"); };
  QTest::mouseClick(&window().push_button(1), Qt::LeftButton);
  QTest::mouseClick(&window().push_button(2), Qt::LeftButton);
  QTest::keyClick(&window().combo1(), Qt::Key_Down);
  ASSERT_EQ(dialogs.boxes.size(), 3u);
  EXPECT_NE(dialogs.boxes[0].text.find(u"not enough memory"), std::u16string::npos);
  EXPECT_NE(dialogs.boxes[1].text.find(u"unexpected"), std::u16string::npos);
  EXPECT_EQ(dialogs.boxes[2].text, u"The drop-down broke");
  for (const ShownBox& box : dialogs.boxes) {
    EXPECT_EQ(box.icon, MessageIcon::kExclamation);
    EXPECT_EQ(box.buttons, MessageButtons::kOk);
  }
  EXPECT_TRUE(window().isVisible());
}

// A drop never moves: a source that honours a move would delete the originals.
TEST_F(MainWindowEventsTest, DropsCopyOrLinkButNeverMove) {
  desktop->Start();
  QTemporaryDir folder;
  const QString book = folder.filePath("a.xlsx");
  QFile(book).open(QIODevice::WriteOnly);
  const QList<QUrl> urls = {QUrl::fromLocalFile(book)};

  // Shift held: the desktop proposes a move; the list takes a copy.
  const DropOutcome shifted = Drop(urls, Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier);
  EXPECT_TRUE(shifted.enter_accepted);
  EXPECT_TRUE(shifted.drop_accepted);
  EXPECT_EQ(shifted.action, Qt::CopyAction);
  // A source that offers a move and a link: a link.
  const DropOutcome linked = Drop(urls, Qt::LinkAction | Qt::MoveAction, Qt::ShiftModifier);
  EXPECT_TRUE(linked.drop_accepted);
  EXPECT_EQ(linked.action, Qt::LinkAction);
  EXPECT_EQ(window().ListView1().Count(), 2);
  // A source that offers nothing but a move is refused.
  const DropOutcome move_only = Drop(urls, Qt::MoveAction);
  EXPECT_FALSE(move_only.enter_accepted);
  EXPECT_EQ(window().ListView1().Count(), 2);
  EXPECT_TRUE(QFile::exists(book));
}

// "file://server/share/a.xlsx" names a file on another machine, not /share/a.xlsx here.
TEST_F(MainWindowEventsTest, ADropNamingAnotherHostIsRefused) {
  desktop->Start();
  QTemporaryDir folder;
  const QString book = folder.filePath("a.xlsx");
  QFile(book).open(QIODevice::WriteOnly);
  QUrl remote = QUrl::fromLocalFile(book);
  remote.setHost("fileserver.example");
  const DropOutcome refused = Drop({QUrl::fromLocalFile(book), remote}, Qt::CopyAction);
  EXPECT_FALSE(refused.enter_accepted);
  EXPECT_EQ(window().ListView1().Count(), 0);

  QUrl here = QUrl::fromLocalFile(book);
  here.setHost("localhost");
  EXPECT_TRUE(Drop({here}, Qt::CopyAction).drop_accepted);
  ASSERT_EQ(window().ListView1().Count(), 1);
  EXPECT_EQ(window().ListView1().Item(1), PathFromQt(book));
}

// Closing the window while a dropped folder is walked ends the walk and the program at once;
// nothing more is listed and no box appears.
TEST_F(MainWindowEventsTest, ClosingTheWindowDuringAWalkEndsIt) {
  desktop->Start();
  QTemporaryDir root;
  const QString tree = MakeTree(root, 20);
  QTimer::singleShot(0, &window(), [this] { window().close(); });
  Drop({QUrl::fromLocalFile(tree)}, Qt::CopyAction);
  EXPECT_FALSE(window().isVisible());
  EXPECT_TRUE(window().ending());
  EXPECT_EQ(window().ListView1().Count(), 0);
  EXPECT_TRUE(dialogs.boxes.empty());
}

// With results open the program goes on when the main window closes, and so does the walk.
TEST_F(MainWindowEventsTest, WithResultsOpenTheWalkGoesOnAfterTheWindowCloses) {
  desktop->Start();
  ASSERT_NE(desktop->results(), nullptr);
  auto app = desktop->ports().server.CreateObject(kSpreadsheetProgId);
  app->Workbooks().Add();
  app->SetVisible(true);
  ASSERT_TRUE(desktop->results()->isVisible());
  QTemporaryDir root;
  const QString tree = MakeTree(root, 20);
  QTimer::singleShot(0, &window(), [this] { window().close(); });
  Drop({QUrl::fromLocalFile(tree)}, Qt::CopyAction);
  EXPECT_FALSE(window().isVisible());
  EXPECT_FALSE(window().ending());
  EXPECT_EQ(window().ListView1().Count(), 20);
  EXPECT_TRUE(dialogs.boxes.empty());
  app->Quit();
}

}  // namespace
}  // namespace brintova::testing
