// File-system queries: directory listings with attribute masks and wildcards, attributes,
// last-modified times. Paths are text; the separator is the platform's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brintova {

namespace file_attribute {
inline constexpr std::uint32_t kReadOnly = 1;
inline constexpr std::uint32_t kHidden = 2;
inline constexpr std::uint32_t kSystem = 4;
inline constexpr std::uint32_t kDirectory = 16;
inline constexpr std::uint32_t kArchive = 32;
}  // namespace file_attribute

class FileQueries {
 public:
  virtual ~FileQueries() = default;

  // "\" on Windows, "/" on POSIX.
  virtual char16_t Separator() = 0;

  // The names of the entries of `folder` that match the wildcard `pattern` ("*" and "?",
  // case-insensitive; "*.*" and the empty pattern match every name), in the order the platform
  // lists them. Ordinary files are always included; an entry that is hidden, system or a
  // directory is included only when each of those bits it carries is set in `attributes`.
  // With the directory bit asked for, "." and ".." are listed too. Throws Failure when the
  // folder cannot be read.
  virtual std::vector<std::u16string> ListDirectory(std::u16string_view folder,
                                                    std::u16string_view pattern,
                                                    std::uint32_t attributes) = 0;

  // Attribute bits of a file or folder. Throws Failure when it does not exist.
  virtual std::uint32_t GetAttributes(std::u16string_view path) = 0;

  // Last-modified time, seconds since 1970. Throws Failure when it cannot be read.
  virtual std::int64_t LastModified(std::u16string_view path) = 0;

  // An opaque key that is equal for two paths naming the same folder (on POSIX its device and
  // inode), so that a folder walk can enter each folder once even through links that point back
  // up the tree. nullopt when the platform cannot tell. Throws Failure when `path` cannot be
  // examined.
  virtual std::optional<std::string> FolderIdentity(std::u16string_view /*path*/) {
    return std::nullopt;
  }
};

}  // namespace brintova
