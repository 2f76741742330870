// Many short strings in one buffer: the shared-string table of a workbook and the strings a
// sheet owns. Strings are appended and never removed; an index stays valid for the pool's life.
// Long texts added through AddShared are kept once however often they are added.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brintova::engine::model {

class StringPool {
 public:
  StringPool() = default;
  StringPool(StringPool&&) noexcept = default;
  StringPool& operator=(StringPool&&) noexcept = default;
  StringPool(const StringPool& other);
  StringPool& operator=(const StringPool& other);

  std::uint32_t Add(std::u16string_view text);
  // Adds `text` and returns its index, or, for a text of kSharedFrom code units or more, the
  // index of an equal text added through AddShared before: a long text written into many cells
  // (one shared string of 32,767 characters used by 100,000 cells, say) is held once.
  std::uint32_t AddShared(std::u16string_view text);
  static constexpr std::size_t kSharedFrom = 64;

  std::u16string_view Get(std::uint32_t index) const {
    const Span& span = spans_[index];
    const Chunk& chunk = chunks_[span.chunk];
    // A string ends where the next one in its chunk starts, or at the chunk's end.
    const std::size_t end = index + 1 < spans_.size() && spans_[index + 1].chunk == span.chunk
                                ? spans_[index + 1].offset
                                : chunk.size;
    return std::u16string_view(chunk.text.get() + span.offset, end - span.offset);
  }
  std::uint32_t Count() const { return static_cast<std::uint32_t>(spans_.size()); }
  std::size_t CharCount() const { return char_count_; }
  void Reserve(std::size_t strings) { spans_.reserve(strings); }

 private:
  // The strings lie in chunks that never move, so a growing pool never copies what it holds;
  // chunks start small (a sheet with a handful of strings) and double up to kMaxChunkChars, and
  // a string longer than that has a chunk of its own.
  static constexpr std::size_t kFirstChunkChars = 256;
  static constexpr std::size_t kMaxChunkChars = std::size_t{1} << 20;  // 2 MiB
  struct Chunk {
    std::unique_ptr<char16_t[]> text;
    std::size_t size = 0;
    std::size_t capacity = 0;
  };
  struct Span {
    std::uint32_t chunk;
    std::uint32_t offset;
  };

  std::vector<Chunk> chunks_;
  std::vector<Span> spans_;
  std::size_t char_count_ = 0;
  std::unordered_multimap<std::size_t, std::uint32_t> long_texts_;  // hash -> index
};

}  // namespace brintova::engine::model
