// Zip files written byte by byte, for packages no zip library would write: two entries with one
// name, an entry whose directory lies about its size, an entry marked encrypted.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brintova::testfiles {

struct RawZipEntry {
  RawZipEntry(std::string entry_name, std::string entry_data)
      : name(std::move(entry_name)), data(std::move(entry_data)) {}

  std::string name;
  std::string data;
  bool deflate = true;
  // The uncompressed size the headers declare; the true size when empty.
  std::optional<std::uint32_t> declared_size;
  bool marked_encrypted = false;
};

// A zip of the entries in order (local headers, data, central directory), with true checksums.
std::string MakeRawZip(const std::vector<RawZipEntry>& entries);

struct StoredEntry {
  int method = 0;                // 0 stored, 8 deflated
  std::string compressed_bytes;  // the entry's data as the file holds it
};

// Entry name -> compression method and raw data, as a zip file at `path` holds them. Throws
// std::runtime_error when `path` is no zip file.
std::map<std::string, StoredEntry> ZipStoredEntries(const std::string& path);

}  // namespace brintova::testfiles
