// The desktop shell through Qt: the program's folder, the folder browser and opening a folder
// in the file manager.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/shell.h"

namespace brintova {

// The longest path the folder browser hands back, its terminating NUL included.
inline constexpr std::size_t kMaxFolderPath = 260;

class QtShell : public Shell {
 public:
  explicit QtShell(QWidget* owner = nullptr) : owner_(owner) {}

  std::u16string ProgramFolder() override;
  std::u16string BrowseForFolder(std::u16string_view title) override;
  void ShellExecute(std::u16string_view file, std::u16string_view directory) override;

 private:
  QPointer<QWidget> owner_;
};

// The browser's answer as the port gives it: empty when it does not fit kMaxFolderPath.
std::u16string FittedFolder(std::u16string folder);
// The file to open without the double quotes a caller may put around it.
std::u16string Unquoted(std::u16string_view file);

}  // namespace brintova
