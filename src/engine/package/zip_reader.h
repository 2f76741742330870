// Reading parts out of a zip package with libzip, from a file or from bytes in memory, streamed
// in chunks and guarded against parts that inflate past a fixed ceiling or at a ratio no
// spreadsheet part reaches (zip bombs), and against packages that unpack to more in all than
// one workbook may take. Part names are found as a package names them: case-insensitively,
// through one index built at opening, which refuses a package naming a part twice.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct zip;

namespace brintova::engine::package {

struct ZipLimits {
  // No part of a workbook inflates past this.
  std::uint64_t max_part_bytes = std::uint64_t{1} << 30;
  // Past `ratio_floor_bytes` of output, a part that inflated more than `max_ratio` times its
  // compressed size is refused: deflate on spreadsheet XML stays far below that.
  std::uint64_t ratio_floor_bytes = std::uint64_t{32} << 20;
  std::uint64_t max_ratio = 500;
  // Every part read from one package together (and the package file itself) stays below this.
  std::uint64_t max_package_bytes = std::uint64_t{1} << 30;
};

// An entry's deflate stream as the package holds it, with what its directory records of the
// inflated part.
struct DeflateStream {
  std::string bytes;
  std::uint32_t crc = 0;   // CRC-32 of the inflated part
  std::uint64_t size = 0;  // inflated size
};

class ZipReader {
 public:
  ZipReader() = default;
  ~ZipReader();
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  // Each Open throws ReadError ("not a zip package", "the zip package is damaged: ...", a part
  // named twice). Set the limits first: the package's own size counts against them.
  void OpenFile(const std::string& native_path);
  // The buffer must outlive the reader.
  void OpenBuffer(const void* data, std::size_t size);
  // Keeps the bytes alive for as long as the reader.
  void OpenBytes(std::shared_ptr<const std::string> bytes);

  void set_limits(const ZipLimits& limits) { limits_ = limits; }
  const ZipLimits& limits() const { return limits_; }

  // The package's entries in their stored order, by their names as stored.
  std::size_t EntryCount() const { return names_.size(); }
  const std::string& EntryName(std::size_t index) const { return names_[index]; }
  // The entry holding a part (compared case-insensitively, as part names are).
  std::optional<std::size_t> Find(std::string_view part_name) const;
  bool Has(std::string_view part_name) const { return Find(part_name).has_value(); }
  // The size a part's entry declares it inflates to; 0 when the part is missing or the entry
  // does not say.
  std::uint64_t DeclaredSize(std::string_view part_name) const;
  // True when the entry is stored without compression.
  bool IsStored(std::size_t index) const;
  // The entry's compression method as libzip numbers it.
  std::int32_t CompressionMethod(std::size_t index) const;

  // Streams the part's inflated bytes to `sink` in chunks. Throws ReadError naming the part
  // when it is missing, damaged, encrypted or too large, or when the package's budget runs out.
  void Read(std::string_view part_name,
            const std::function<void(const char* data, std::size_t size)>& sink) const;
  void ReadEntry(std::size_t index,
                 const std::function<void(const char* data, std::size_t size)>& sink) const;
  // The whole part as bytes (small parts only: relationships, content types).
  std::string ReadAll(std::string_view part_name) const;
  // The entry's compressed bytes, uninflated and so not counted against the package's budget,
  // or nullopt when the entry is not deflated (stored, or compressed another way). Throws
  // ReadError when the entry cannot be read.
  std::optional<DeflateStream> ReadDeflateStream(std::size_t index) const;

  // Counts bytes inflated outside Read (from a stream of ReadDeflateStream) against the
  // package's budget. Throws ReadError when the budget runs out.
  void CountInflatedBytes(std::uint64_t bytes) const { CountPackageBytes(bytes); }

  // Bytes inflated so far from every part together.
  std::uint64_t inflated_bytes() const { return inflated_bytes_; }
  // The libzip archive, for copying entries into another package.
  zip* handle() const { return archive_; }

 private:
  void Index();
  void CountPackageBytes(std::uint64_t bytes) const;

  zip* archive_ = nullptr;
  std::shared_ptr<const std::string> bytes_;
  ZipLimits limits_;
  std::vector<std::string> names_;
  std::unordered_map<std::string, std::size_t> by_folded_name_;
  mutable std::uint64_t inflated_bytes_ = 0;
};

// A part name folded for comparison: ASCII letters in lower case, a leading slash dropped.
std::string FoldPartName(std::string_view part_name);

}  // namespace brintova::engine::package
