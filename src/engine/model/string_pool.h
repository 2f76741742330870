// Many short strings in one buffer: the shared-string table of a workbook and the strings a
// sheet owns. Strings are appended and never removed; an index stays valid for the pool's life.
// Long texts added through AddShared are kept once however often they are added.
#pragma once

#include <bit>
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
    const Span& span = SpanAt(index);
    const Chunk& chunk = chunks_[span.chunk];
    // A string ends where the next one in its chunk starts, or at the chunk's end.
    const std::size_t end = index + 1 < count_ && SpanAt(index + 1).chunk == span.chunk
                                ? SpanAt(index + 1).offset
                                : chunk.size;
    return std::u16string_view(chunk.text.get() + span.offset, end - span.offset);
  }
  std::uint32_t Count() const { return count_; }
  std::size_t CharCount() const { return char_count_; }
  // Makes room for the spans of this many strings at once (a table that states its size).
  void Reserve(std::size_t strings);

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
  // Spans lie in blocks that never move either: block 0 holds kFirstSpans of them and block
  // b > 0 holds kFirstSpans << (b - 1), so the spans of a million strings are written once, not
  // copied each time a single array doubles.
  static constexpr int kFirstSpansShift = 8;
  static constexpr std::uint32_t kFirstSpans = std::uint32_t{1} << kFirstSpansShift;
  static std::size_t SpanBlock(std::uint32_t index) {
    return static_cast<std::size_t>(std::bit_width(index >> kFirstSpansShift));
  }
  static std::uint32_t SpanBlockStart(std::size_t block) {
    return block == 0 ? 0 : kFirstSpans << (block - 1);
  }
  const Span& SpanAt(std::uint32_t index) const {
    const std::size_t block = SpanBlock(index);
    return span_blocks_[block][index - SpanBlockStart(block)];
  }

  std::vector<Chunk> chunks_;
  std::vector<std::unique_ptr<Span[]>> span_blocks_;
  std::uint32_t count_ = 0;
  std::size_t char_count_ = 0;
  std::unordered_multimap<std::size_t, std::uint32_t> long_texts_;  // hash -> index
};

}  // namespace brintova::engine::model
