// FakeFileQueries: an in-memory folder tree with attributes, for the folder walk and the drop;
// FakeShell: the program folder, scripted folder-browser answers and a record of opened files;
// FakeDataObject: the data of a drag.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_queries.h"
#include "platform/shell.h"
#include "platform/window.h"

namespace brintova::testing {

// Paths are full paths with `separator`; a doubled separator inside a path is read as one (as
// the desktop does with D:\\Sub), a trailing one is ignored. Listings keep the order in which
// entries were added, so tests see whether the caller reorders anything.
class FakeFileQueries : public FileQueries {
 public:
  explicit FakeFileQueries(char16_t separator = u'/') : separator_(separator) {}

  // Adds a folder (and any missing parents, plain folders) with the given attribute bits; the
  // directory bit is always set.
  void AddFolder(std::u16string_view path, std::uint32_t attributes = 0);
  // Adds a file (and any missing parent folders). Default: archive only.
  void AddFile(std::u16string_view path, std::uint32_t attributes = file_attribute::kArchive);
  // Removes a file or a whole folder.
  void Remove(std::u16string_view path);
  // Makes `path` a folder link to `target`: it lists like the target and has its identity.
  void AddFolderLink(std::u16string_view path, std::u16string_view target);

  std::set<std::u16string> fail_listing;       // ListDirectory throws for these folders
  std::set<std::u16string> fail_file_listing;  // ... only when asked for files, not folders
  std::set<std::u16string> fail_attributes;    // GetAttributes throws for these paths
  std::set<std::u16string> fail_identity;      // FolderIdentity throws for these paths
  int listings = 0;

  char16_t Separator() override { return separator_; }
  std::vector<std::u16string> ListDirectory(std::u16string_view folder, std::u16string_view pattern,
                                            std::uint32_t attributes) override;
  std::uint32_t GetAttributes(std::u16string_view path) override;
  std::int64_t LastModified(std::u16string_view path) override;
  std::optional<std::string> FolderIdentity(std::u16string_view path) override;

  // The form the fake stores a path under.
  std::u16string Normalize(std::u16string_view path) const;

 private:
  struct Node {
    std::uint32_t attributes = 0;
    std::vector<std::u16string> children;  // names, in the order added
    std::optional<std::u16string> link_target;
  };
  const Node* Find(std::u16string_view path) const;
  std::u16string Resolve(std::u16string_view path) const;
  void Insert(std::u16string_view path, std::uint32_t attributes);
  std::u16string Parent(const std::u16string& normal) const;
  std::u16string Name(const std::u16string& normal) const;
  std::u16string Child(const std::u16string& folder, std::u16string_view name) const;

  char16_t separator_;
  std::map<std::u16string, Node> nodes_;
};

class FakeShell : public Shell {
 public:
  std::u16string program_folder = u"/opt/brintova";
  std::deque<std::u16string> browse_answers;  // when none is left: Cancel (empty)
  std::vector<std::u16string> browse_titles;
  struct Executed {
    std::u16string file;
    std::u16string directory;
  };
  std::vector<Executed> executed;

  std::u16string ProgramFolder() override { return program_folder; }
  std::u16string BrowseForFolder(std::u16string_view title) override;
  void ShellExecute(std::u16string_view file, std::u16string_view directory) override {
    executed.push_back({std::u16string(file), std::u16string(directory)});
  }
};

// A drag's data: the formats it offers and the dropped paths.
class FakeDataObject : public DataObject {
 public:
  std::set<std::int32_t> formats{kFormatFileList};
  std::vector<std::u16string> files;

  bool GetFormat(std::int32_t format) override { return formats.contains(format); }
  std::int32_t FileCount() override { return static_cast<std::int32_t>(files.size()); }
  std::u16string File(std::int32_t index) override;
};

}  // namespace brintova::testing
