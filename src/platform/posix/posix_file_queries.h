// PosixFileQueries: the file-query port over POSIX directories and stat(), with the desktop's
// attribute rules mapped onto Linux.
#pragma once

#include "platform/file_queries.h"

namespace brintova {

// Attributes: a name beginning with "." is hidden (2), except "." and ".."; read-only (1) when
// the owner may not write; directory (16); archive (32) on every regular file; system (4) never.
// Links report what they point to, a dangling link its own. Listings come back sorted by name
// without regard to case. Paths convert losslessly (TextFromNativePath), so names that are not
// valid UTF-8 survive the round trip. Failure descriptions name the path and the reason.
class PosixFileQueries : public FileQueries {
 public:
  char16_t Separator() override { return u'/'; }
  std::vector<std::u16string> ListDirectory(std::u16string_view folder, std::u16string_view pattern,
                                            std::uint32_t attributes) override;
  std::uint32_t GetAttributes(std::u16string_view path) override;
  std::int64_t LastModified(std::u16string_view path) override;
  // "device:inode" of what the path names after following links.
  std::optional<std::string> FolderIdentity(std::u16string_view path) override;
};

}  // namespace brintova
