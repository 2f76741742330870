// QCoreApplication, QFileDialog and QDesktopServices behind the shell port.
#include "platform/qt/qt_shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

#include "platform/qt/qt_text.h"

namespace brintova {

std::u16string FittedFolder(std::u16string folder) {
  if (folder.size() + 1 > kMaxFolderPath) return {};
  return folder;
}

std::u16string Unquoted(std::u16string_view file) {
  if (file.size() >= 2 && file.front() == u'"' && file.back() == u'"') {
    file = file.substr(1, file.size() - 2);
  }
  return std::u16string(file);
}

std::u16string QtShell::ProgramFolder() {
  return PathFromQt(QCoreApplication::applicationDirPath());
}

std::u16string QtShell::BrowseForFolder(std::u16string_view title) {
  const QString folder =
      QFileDialog::getExistingDirectory(owner_ && owner_->isVisible() ? owner_.data() : nullptr,
                                        ToQString(title), QString(), QFileDialog::ShowDirsOnly);
  if (folder.isEmpty()) return {};
  return FittedFolder(PathFromQt(folder));
}

void QtShell::ShellExecute(std::u16string_view file, std::u16string_view directory) {
  (void)directory;  // the desktop picks the working folder of what it starts
  QDesktopServices::openUrl(QUrl::fromLocalFile(PathToQt(Unquoted(file))));
}

}  // namespace brintova
