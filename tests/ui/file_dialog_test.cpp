// CommonDialog1 as Qt's open-file dialog: with multi-select asked for, several files are chosen
// through the dialog's own mode for existing files (no reaching into its inner widgets), and
// come back in the dialog's result format.
#include "ui/file_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include "platform/qt/qt_text.h"

namespace brintova {
namespace {

constexpr std::int32_t kAddFilesFlags = 0x280201;  // what "Add Excel File(s)" sets

TEST(OpenFileMode, MultiSelectChoosesExistingFiles) {
  EXPECT_EQ(OpenFileMode(kAddFilesFlags), QFileDialog::ExistingFiles);
  EXPECT_EQ(OpenFileMode(kOfnAllowMultiSelect | kOfnFileMustExist), QFileDialog::ExistingFiles);
  EXPECT_EQ(OpenFileMode(kOfnFileMustExist), QFileDialog::ExistingFile);
  EXPECT_EQ(OpenFileMode(0), QFileDialog::AnyFile);
}

// The shown dialog, answered the way a user picks two files: typed as the dialog's own list
// of quoted names, then Open.
TEST(QtFileDialog, SeveralChosenFilesComeBackAsTheFolderAndTheirNames) {
  QTemporaryDir folder;
  for (const char* name : {"a.xlsx", "b.xlsx", "c.txt"}) {
    QFile file(folder.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  QWidget owner;
  QtFileDialog dialog(&owner);
  dialog.SetFlags(kAddFilesFlags);
  dialog.SetDialogTitle(u"Add File(s) - Hold Ctrl to select multiple files");
  dialog.SetFilter(u"Excel Files (*.xl*)|*.xl*");

  QFileDialog::FileMode mode = QFileDialog::AnyFile;
  QString title;
  QTimer::singleShot(0, [&] {
    auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (shown == nullptr) return;
    mode = shown->fileMode();
    title = shown->windowTitle();
    shown->setDirectory(folder.path());
    shown->selectFile(QStringLiteral("\"a.xlsx\" \"b.xlsx\""));
    static_cast<QDialog*>(shown)->accept();  // Open, as the button does
  });
  // Should the dialog not close, give up instead of hanging the suite.
  QTimer::singleShot(10'000, [] {
    if (auto* stuck = QApplication::activeModalWidget()) stuck->close();
  });
  dialog.ShowOpen();

  EXPECT_EQ(mode, QFileDialog::ExistingFiles);
  EXPECT_EQ(title, "Add File(s) - Hold Ctrl to select multiple files");
  const std::u16string folder_text = PathFromQt(QDir(folder.path()).absolutePath());
  EXPECT_EQ(dialog.FileName(), folder_text + u'\0' + u"a.xlsx" + u'\0' + u"b.xlsx");
}

}  // namespace
}  // namespace brintova
