// Win32FileQueries: the file-query port over FindFirstFileExW and GetFileAttributesW, with the
// system's real attribute bits.
#pragma once

#include "platform/file_queries.h"

namespace brintova {

// Listings come back in the order the file system gives them. A pattern is handed to the
// system and then checked against each entry's long name as well: through generated 8.3 short
// names "*.xls" also finds Book.xlsx ("BOOK~1.XLS") on volumes that have them, and such entries
// are left out. Paths past 260 characters are read through the "\\?\" form. Failure
// descriptions name the path and give the system's reason.
class Win32FileQueries : public FileQueries {
 public:
  char16_t Separator() override { return u'\\'; }
  std::vector<std::u16string> ListDirectory(std::u16string_view folder, std::u16string_view pattern,
                                            std::uint32_t attributes) override;
  std::uint32_t GetAttributes(std::u16string_view path) override;
  std::int64_t LastModified(std::u16string_view path) override;
  // Volume serial number and file index of the folder, links followed.
  std::optional<std::string> FolderIdentity(std::u16string_view path) override;
};

}  // namespace brintova
