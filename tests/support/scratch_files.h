// Files for tests that write them: a fresh folder per test, a file's bytes, a zip's entries.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace brintova::testfiles {

// An empty folder for one test, removed with its contents at the end of the scope.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Copies `from` to File(name), creating the folders on the way.
  std::string Copy(const std::string& from, const std::string& name) const;
  // File names in `folder` (relative to path(), "" for path() itself), sorted.
  std::vector<std::string> Entries(const std::string& folder = "") const;

 private:
  std::string path_;
};

// Throws std::runtime_error when the file cannot be read.
std::string ReadBytes(const std::string& path);

// Entry name -> uncompressed contents. Throws std::runtime_error when `path` is no zip file or
// an entry cannot be read whole.
std::map<std::string, std::string> ZipEntries(const std::string& path);

}  // namespace brintova::testfiles
