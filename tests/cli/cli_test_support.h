// What the command-line tests share: a fresh folder per test, files copied into it, the entries
// of a zip file, and running a command line in-process or through the built executable.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace brintova::cli::testing {

std::string SamplePath(const std::string& name);  // a workbook of Samples/
std::string DataPath(const std::string& name);    // a fixture of tests/cli/data/

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

std::string ReadBytes(const std::string& path);

// Entry name -> uncompressed contents. Throws std::runtime_error when `path` is no zip file.
std::map<std::string, std::string> ZipEntries(const std::string& path);

struct CommandResult {
  int status = -1;
  std::string out;
  std::string err;
};

// CommandLineMain on `arguments` (without the program name), standard error no terminal.
CommandResult RunInProcess(const std::vector<std::string>& arguments);

// The built brintova-cli on `arguments`, its streams captured through files in `scratch`.
CommandResult RunExecutable(const std::vector<std::string>& arguments,
                            const ScratchFolder& scratch);

}  // namespace brintova::cli::testing
