// Directory listings, attributes and identities from dirent and stat().
#include "platform/posix/posix_file_queries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <system_error>

#include "platform/failure.h"
#include "platform/text.h"
#include "platform/wildcard.h"

namespace brintova {

namespace {

std::u16string Quoted(std::u16string_view path) { return u"\"" + std::u16string(path) + u"\""; }

Failure FailureFromErrno(std::u16string_view what, std::u16string_view path, int error) {
  return Failure(std::u16string(what) + u" " + Quoted(path) + u": " +
                 ToUtf16(std::generic_category().message(error)));
}

bool IsHiddenName(std::string_view name) {
  return !name.empty() && name.front() == '.' && name != "." && name != "..";
}

std::uint32_t AttributesFromStat(const struct stat& st, bool hidden) {
  std::uint32_t attributes = 0;
  if (S_ISDIR(st.st_mode)) attributes |= file_attribute::kDirectory;
  if (S_ISREG(st.st_mode)) attributes |= file_attribute::kArchive;
  if ((st.st_mode & S_IWUSR) == 0) attributes |= file_attribute::kReadOnly;
  if (hidden) attributes |= file_attribute::kHidden;
  return attributes;
}

// The last component of a path, ignoring trailing separators.
std::string_view LastComponent(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// stat() that follows links, and for a dangling link reports the link itself.
int StatFollowing(int dir_fd, const char* name, struct stat& st) {
  if (fstatat(dir_fd, name, &st, 0) == 0) return 0;
  const int error = errno;
  if ((error == ENOENT || error == ELOOP) && fstatat(dir_fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
      S_ISLNK(st.st_mode)) {
    return 0;
  }
  errno = error;
  return -1;
}

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

}  // namespace

std::vector<std::u16string> PosixFileQueries::ListDirectory(std::u16string_view folder,
                                                            std::u16string_view pattern,
                                                            std::uint32_t attributes) {
  const std::string native = NativePathFromText(folder);
  std::unique_ptr<DIR, DirCloser> dir(opendir(native.empty() ? "." : native.c_str()));
  if (!dir) throw FailureFromErrno(u"Cannot read the folder", folder, errno);

  const bool want_directories = (attributes & file_attribute::kDirectory) != 0;
  const bool want_hidden = (attributes & file_attribute::kHidden) != 0;
  std::vector<std::u16string> names;
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir.get());
    if (entry == nullptr) {
      if (errno != 0) throw FailureFromErrno(u"Cannot read the folder", folder, errno);
      break;
    }
    const std::string_view raw(entry->d_name);
    if (!want_hidden && IsHiddenName(raw)) continue;
    const bool dot_entry = raw == "." || raw == "..";
    if (dot_entry && !want_directories) continue;
    std::u16string name = TextFromNativePath(raw);
    if (!MatchesWildcard(pattern, name)) continue;

    bool is_directory = dot_entry || entry->d_type == DT_DIR;
    if (!dot_entry && (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)) {
      struct stat st {};
      // An entry that vanished since readdir() is left out, as if listed a moment later.
      if (StatFollowing(dirfd(dir.get()), entry->d_name, st) != 0) continue;
      is_directory = S_ISDIR(st.st_mode);
    }
    if (is_directory && !want_directories) continue;
    names.push_back(std::move(name));
  }

  std::sort(names.begin(), names.end(), [](const std::u16string& a, const std::u16string& b) {
    return ListingOrderLess(a, b);
  });
  return names;
}

std::uint32_t PosixFileQueries::GetAttributes(std::u16string_view path) {
  const std::string native = NativePathFromText(path);
  struct stat st {};
  if (StatFollowing(AT_FDCWD, native.c_str(), st) != 0) {
    throw FailureFromErrno(u"Cannot read the attributes of", path, errno);
  }
  return AttributesFromStat(st, IsHiddenName(LastComponent(native)));
}

std::int64_t PosixFileQueries::LastModified(std::u16string_view path) {
  const std::string native = NativePathFromText(path);
  struct stat st {};
  if (stat(native.c_str(), &st) != 0) {
    throw FailureFromErrno(u"Cannot read the modification time of", path, errno);
  }
  return static_cast<std::int64_t>(st.st_mtime);
}

std::optional<std::string> PosixFileQueries::FolderIdentity(std::u16string_view path) {
  const std::string native = NativePathFromText(path);
  struct stat st {};
  if (stat(native.c_str(), &st) != 0) throw FailureFromErrno(u"Cannot examine", path, errno);
  return std::to_string(static_cast<unsigned long long>(st.st_dev)) + ":" +
         std::to_string(static_cast<unsigned long long>(st.st_ino));
}

}  // namespace brintova
