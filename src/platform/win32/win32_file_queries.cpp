// Directory listings, attributes and identities from the Win32 file functions.
#include "platform/win32/win32_file_queries.h"

#include "platform/wildcard.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace brintova {

using win32::FileSystemPath;
using win32::FromWide;
using win32::SystemFailure;

namespace {

struct FindCloser {
  HANDLE handle = INVALID_HANDLE_VALUE;
  ~FindCloser() {
    if (handle != INVALID_HANDLE_VALUE) FindClose(handle);
  }
};

struct HandleCloser {
  HANDLE handle = INVALID_HANDLE_VALUE;
  ~HandleCloser() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

// Whether an entry with `entry` attributes is listed when `asked` are asked for: ordinary files
// always; hidden, system and directory entries only when each of those bits they carry is asked.
bool Listed(std::uint32_t entry, std::uint32_t asked) {
  constexpr std::uint32_t kMasked =
      file_attribute::kHidden | file_attribute::kSystem | file_attribute::kDirectory;
  return (entry & kMasked & ~asked) == 0;
}

}  // namespace

std::vector<std::u16string> Win32FileQueries::ListDirectory(std::u16string_view folder,
                                                            std::u16string_view pattern,
                                                            std::uint32_t attributes) {
  std::u16string query(folder);
  if (!query.empty() && query.back() != u'\\' && query.back() != u'/') query += u'\\';
  query += pattern.empty() ? std::u16string_view(u"*") : pattern;

  WIN32_FIND_DATAW data{};
  FindCloser find;
  find.handle = FindFirstFileExW(FileSystemPath(query).c_str(), FindExInfoBasic, &data,
                                 FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  std::vector<std::u16string> names;
  if (find.handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // No entry matches: an empty listing, not a failure.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return names;
    throw SystemFailure(u"Cannot read the folder", folder, error);
  }
  do {
    std::u16string name = FromWide(data.cFileName);
    if (!Listed(data.dwFileAttributes, attributes)) continue;
    if (!MatchesWildcard(pattern, name)) continue;  // found through its short name only
    names.push_back(std::move(name));
  } while (FindNextFileW(find.handle, &data));
  const DWORD error = GetLastError();
  if (error != ERROR_NO_MORE_FILES) throw SystemFailure(u"Cannot read the folder", folder, error);
  return names;
}

std::uint32_t Win32FileQueries::GetAttributes(std::u16string_view path) {
  const DWORD attributes = GetFileAttributesW(FileSystemPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    throw SystemFailure(u"Cannot read the attributes of", path, GetLastError());
  }
  return attributes;
}

std::int64_t Win32FileQueries::LastModified(std::u16string_view path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(FileSystemPath(path).c_str(), GetFileExInfoStandard, &data)) {
    throw SystemFailure(u"Cannot read the modification time of", path, GetLastError());
  }
  ULARGE_INTEGER time{};
  time.LowPart = data.ftLastWriteTime.dwLowDateTime;
  time.HighPart = data.ftLastWriteTime.dwHighDateTime;
  // 100-nanosecond steps since 1601 to seconds since 1970.
  constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
  return static_cast<std::int64_t>(time.QuadPart / 10'000'000) - kSecondsFrom1601To1970;
}

std::optional<std::string> Win32FileQueries::FolderIdentity(std::u16string_view path) {
  HandleCloser file;
  // Backup semantics: the only way to open a folder; no access is asked, only its identity.
  file.handle = CreateFileW(FileSystemPath(path).c_str(), 0,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file.handle == INVALID_HANDLE_VALUE) {
    throw SystemFailure(u"Cannot examine", path, GetLastError());
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.handle, &info)) {
    throw SystemFailure(u"Cannot examine", path, GetLastError());
  }
  const unsigned long long index =
      (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(index);
}

}  // namespace brintova
