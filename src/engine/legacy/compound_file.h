// The compound-file container of legacy workbooks: header, sector allocation tables, directory
// and mini stream, read from a buffer holding the whole file. Every table is checked against the
// file's size, so a damaged or hostile container is refused instead of followed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brintova::engine::legacy {

struct CompoundEntry {
  std::u16string name;
  std::uint8_t type = 0;  // 1 storage, 2 stream, 5 root
  std::uint32_t start = 0;
  std::uint64_t size = 0;
};

class CompoundFile {
 public:
  // True when the bytes begin with the compound-file signature.
  static bool HasSignature(std::string_view bytes);

  // Reads the container's tables. `bytes` must outlive this object. Throws
  // package::ReadError when the header or a table is damaged.
  explicit CompoundFile(std::string_view bytes);

  // The streams and storages directly under the root, in no particular order.
  const std::vector<CompoundEntry>& top_level() const { return top_level_; }
  // The top-level stream with this name, compared without regard to ASCII case; nullptr when
  // there is none.
  const CompoundEntry* FindStream(std::u16string_view name) const;

  // The bytes of a stream: a view into the file when its sectors follow one another, else a
  // copy placed in `storage`. A chain shorter than the stream's size gives what it holds.
  // Throws package::ReadError when the chain leaves the file or loops.
  std::string_view ReadStream(const CompoundEntry& entry, std::string& storage) const;

 private:
  std::vector<std::uint32_t> Chain(const std::vector<std::uint32_t>& table, std::uint32_t start,
                                   std::size_t limit) const;
  std::string_view Sector(std::uint32_t index) const;
  void ReadTables();
  void ReadDirectory();

  std::string_view bytes_;
  std::uint32_t sector_shift_ = 9;
  std::uint32_t mini_shift_ = 6;
  std::uint32_t mini_cutoff_ = 4096;
  std::size_t sector_count_ = 0;  // sectors wholly or partly present in the file
  std::vector<std::uint32_t> fat_;
  std::vector<std::uint32_t> mini_fat_;
  std::string mini_stream_;
  std::vector<CompoundEntry> top_level_;
};

}  // namespace brintova::engine::legacy
