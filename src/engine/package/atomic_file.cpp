// Temporary-file-and-rename saving, and the guard against saving over the source file.
#include "engine/package/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "engine/package/zip_writer.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::engine::package {

namespace {

std::string Quoted(const std::string& native_path) {
  return "\"" + ToUtf8(TextFromNativePath(native_path)) + "\"";
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Creates a new empty file with the usual permissions (0666 less the umask); returns its path.
std::string CreateTemporaryBeside(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  const std::string folder = FolderOf(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%ld.%u.tmp", static_cast<long>(getpid()), counter++);
    std::string candidate = folder + "/.~" + NameOf(target) + suffix;
    const int fd = open(candidate.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0) {
      close(fd);
      return candidate;
    }
    if (errno != EEXIST) {
      throw Failure("Cannot save " + Quoted(target) + ": the folder cannot be written (" +
                    DiskErrorText(errno) + ").");
    }
  }
  throw Failure("Cannot save " + Quoted(target) + ": no temporary file could be created.");
}

}  // namespace

void ReplaceFileAtomically(const std::string& target,
                           const std::function<void(const std::string&)>& write) {
  if (target.empty() || target.back() == '/') {
    throw Failure("Cannot save " + Quoted(target) + ": the name is not a file name.");
  }
  const std::string temporary = CreateTemporaryBeside(target);
  try {
    write(temporary);
  } catch (...) {
    unlink(temporary.c_str());
    throw;
  }
  if (rename(temporary.c_str(), target.c_str()) != 0) {
    const int error = errno;
    unlink(temporary.c_str());
    throw Failure("Cannot save " + Quoted(target) + ": " + DiskErrorText(error) + ".");
  }
}

void RefuseSavingOverSource(const std::string& target, const std::string& source) {
  if (source.empty()) return;
  bool same = false;
  struct stat target_stat {};
  struct stat source_stat {};
  if (stat(target.c_str(), &target_stat) == 0 && stat(source.c_str(), &source_stat) == 0) {
    same = target_stat.st_dev == source_stat.st_dev && target_stat.st_ino == source_stat.st_ino;
  } else {
    std::error_code error;
    const auto a = std::filesystem::weakly_canonical(std::filesystem::path(target), error);
    const auto b = std::filesystem::weakly_canonical(std::filesystem::path(source), error);
    same = !error && a == b;
  }
  if (same) {
    throw Failure("Cannot save " + Quoted(target) +
                  ": it is the file the workbook was opened from, which is never overwritten. "
                  "Choose another name.");
  }
}

}  // namespace brintova::engine::package
