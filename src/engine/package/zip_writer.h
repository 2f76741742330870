// Writing a zip package with libzip: parts made in memory, and entries copied from another
// package as their stored (compressed) bytes, so an unchanged part stays byte for byte.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "engine/package/block_deflater.h"

struct zip;
struct zip_source;

namespace brintova::engine::package {

class ZipReader;
class FileSink;

// A new package at a path. Nothing is written until Close(); the destructor discards an
// unclosed package. Failures name `shown_target` (the file the user asked for), never the
// temporary file being written.
class ZipWriter {
 public:
  ZipWriter(const std::string& native_path, std::string shown_target);  // Throws Failure.
  ~ZipWriter();
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  // Adds a part; `level` is the deflate level (1 fastest, 9 smallest). Throws Failure.
  void AddPart(std::string_view name, std::string contents, int level = 6);
  // Adds a part deflated already (BlockDeflater); its bytes are written as they are. Throws
  // Failure.
  void AddDeflatedPart(std::string_view name, DeflatedPart part);
  // Copies an entry's compressed bytes, CRC and time unchanged, stored entries stored. `source`
  // must stay open until Close(). Throws Failure.
  void CopyEntry(const ZipReader& source, std::size_t index);
  // Writes the file. Throws Failure ("the disk is full", ...).
  void Close();

 private:
  // Adds `source` (nullptr when libzip could not make it) as the entry `name`; its index. On
  // failure frees the source and throws Failure saying the part `failing`.
  std::uint64_t AddEntry(const std::string& name, zip_source* source, std::string_view failing);

  int fd_ = -1;
  std::unique_ptr<FileSink> sink_;  // writes what libzip makes into fd_
  zip* archive_ = nullptr;
  std::string shown_target_;
  std::deque<std::string> buffers_;  // kept alive until Close()
  std::deque<DeflatedPart> deflated_;
};

// What a failed write of a file means to its user ("the disk is full"), from the system's
// error number.
std::string DiskErrorText(int error_number);

}  // namespace brintova::engine::package
