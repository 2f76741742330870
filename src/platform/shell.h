// The desktop shell: the folder browser, opening a folder for the user, and where the program
// itself lives.
#pragma once

#include <string>
#include <string_view>

namespace brintova {

class Shell {
 public:
  virtual ~Shell() = default;
  // The folder that holds the running executable, without a trailing separator.
  virtual std::u16string ProgramFolder() = 0;
  // Shows the folder browser (file-system folders only) with `title`. Returns the chosen
  // folder's path, or the empty text on Cancel or when the path does not fit 260 characters.
  virtual std::u16string BrowseForFolder(std::u16string_view title) = 0;
  // Asks the desktop to open `file` with its default action (a folder opens in the file
  // manager). The result is not reported.
  virtual void ShellExecute(std::u16string_view file, std::u16string_view directory) = 0;
};

}  // namespace brintova
