// PresentFiles: file queries that know only a set of existing paths (for start-up's
// file-exists tests); RecordingShell: a shell with a fixed program folder that records what it
// was asked to open or browse.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/file_queries.h"
#include "platform/shell.h"

namespace brintova::testing {

class PresentFiles : public FileQueries {
 public:
  std::set<std::u16string> paths;     // files that exist
  std::vector<std::u16string> asked;  // every path whose time was read, in order

  char16_t Separator() override { return u'/'; }
  std::vector<std::u16string> ListDirectory(std::u16string_view folder, std::u16string_view,
                                            std::uint32_t) override {
    throw Failure(u"Path not found: " + std::u16string(folder), 76);
  }
  std::uint32_t GetAttributes(std::u16string_view path) override {
    if (!paths.contains(std::u16string(path))) throw Failure(u"File not found", 53);
    return file_attribute::kArchive;
  }
  std::int64_t LastModified(std::u16string_view path) override {
    asked.emplace_back(path);
    if (!paths.contains(std::u16string(path))) throw Failure(u"File not found", 53);
    return 1'400'000'000;
  }
};

class RecordingShell : public Shell {
 public:
  std::u16string program_folder = u"/opt/brintova";
  std::u16string browse_answer;
  std::vector<std::u16string> browse_titles;
  std::vector<std::u16string> executed;

  std::u16string ProgramFolder() override { return program_folder; }
  std::u16string BrowseForFolder(std::u16string_view title) override {
    browse_titles.emplace_back(title);
    return browse_answer;
  }
  void ShellExecute(std::u16string_view file, std::u16string_view) override {
    executed.emplace_back(file);
  }
};

}  // namespace brintova::testing
