// Writing a zip package with libzip: parts made in memory, and entries copied from another
// package as their stored (compressed) bytes, so an unchanged part stays byte for byte.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

struct zip;

namespace brintova::engine::package {

// A package opened for reading entries to copy. Throws Failure when it cannot be opened.
class SourcePackage {
 public:
  explicit SourcePackage(const std::string& native_path);
  ~SourcePackage();
  SourcePackage(const SourcePackage&) = delete;
  SourcePackage& operator=(const SourcePackage&) = delete;

  std::int64_t EntryCount() const;
  std::string EntryName(std::int64_t index) const;
  // -1 when there is no such entry (the name compared exactly).
  std::int64_t Find(std::string_view name) const;
  // The uncompressed contents. Throws Failure naming the part.
  std::string Read(std::int64_t index) const;

  zip* handle() const { return archive_; }
  const std::string& path() const { return path_; }

 private:
  zip* archive_ = nullptr;
  std::string path_;
};

// A new package at a path. Nothing is written until Close(); the destructor discards an
// unclosed package.
class ZipWriter {
 public:
  explicit ZipWriter(const std::string& native_path);  // Throws Failure.
  ~ZipWriter();
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  // Adds a part; `level` is the deflate level (1 fastest, 9 smallest). Throws Failure.
  void AddPart(std::string_view name, std::string contents, int level = 6);
  // Copies an entry's compressed bytes, CRC and time unchanged. `source` must stay open until
  // Close(). Throws Failure.
  void CopyEntry(const SourcePackage& source, std::int64_t index);
  // Writes the file. Throws Failure.
  void Close();

 private:
  zip* archive_ = nullptr;
  std::string path_;
  std::deque<std::string> buffers_;  // kept alive until Close()
};

}  // namespace brintova::engine::package
