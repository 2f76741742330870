// A fresh folder in the temporary folder for one test, removed at the end with everything in it
// (hidden, system and read-only entries and paths past 260 characters included).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brintova::wintest {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder's path, without a trailing separator.
  const std::u16string& path() const { return path_; }
  std::u16string At(std::u16string_view relative) const {
    return path_ + u"\\" + std::u16string(relative);
  }

  // Creates an empty file (and the folders on the way) and gives it `attributes` when not 0.
  // Returns its path. Fails the test when it cannot.
  std::u16string File(std::u16string_view relative, std::uint32_t attributes = 0) const;
  std::u16string Folder(std::u16string_view relative, std::uint32_t attributes = 0) const;

 private:
  std::u16string path_;
};

// Removes a file or a folder tree; false when something stayed.
bool RemoveTree(std::u16string_view path);

}  // namespace brintova::wintest
