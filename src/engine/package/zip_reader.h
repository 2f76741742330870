// Reading parts out of a zip package with libzip, from a file or an in-memory buffer, streamed
// in chunks and guarded against parts that inflate past a fixed ceiling or at a ratio no
// spreadsheet part reaches (zip bombs).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

struct zip;

namespace brintova::engine::package {

struct ZipLimits {
  // No part of a workbook inflates past this.
  std::uint64_t max_part_bytes = std::uint64_t{1} << 30;
  // Past `ratio_floor_bytes` of output, a part that inflated more than `max_ratio` times its
  // compressed size is refused: deflate on spreadsheet XML stays far below that.
  std::uint64_t ratio_floor_bytes = std::uint64_t{32} << 20;
  std::uint64_t max_ratio = 500;
};

class ZipReader {
 public:
  ZipReader() = default;
  ~ZipReader();
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  // Throw ReadError ("not a zip package", "the zip package is damaged: ...").
  void OpenFile(const std::string& native_path);
  // The buffer must outlive the reader.
  void OpenBuffer(const void* data, std::size_t size);

  void set_limits(const ZipLimits& limits) { limits_ = limits; }

  // True when the package holds the part (compared case-insensitively, as part names are).
  bool Has(std::string_view part_name) const;
  // Streams the part's inflated bytes to `sink` in chunks. Throws ReadError naming the part
  // when it is missing, damaged, encrypted or too large.
  void Read(std::string_view part_name,
            const std::function<void(const char* data, std::size_t size)>& sink) const;
  // The whole part as bytes (small parts only: relationships, content types).
  std::string ReadAll(std::string_view part_name) const;

 private:
  std::optional<std::uint64_t> Locate(std::string_view part_name) const;

  zip* archive_ = nullptr;
  ZipLimits limits_;
};

}  // namespace brintova::engine::package
