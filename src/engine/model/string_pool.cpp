// A string pool in chunks that never move, keeping long texts once.
#include "engine/model/string_pool.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <new>

namespace brintova::engine::model {

StringPool::StringPool(const StringPool& other) { *this = other; }

StringPool& StringPool::operator=(const StringPool& other) {
  if (this == &other) return *this;
  StringPool copy;
  copy.Reserve(other.Count());
  for (std::uint32_t i = 0; i < other.Count(); ++i) copy.Add(other.Get(i));
  copy.long_texts_ = other.long_texts_;
  *this = std::move(copy);
  return *this;
}

std::uint32_t StringPool::Add(std::u16string_view text) {
  // Indexes and offsets are 32 bits: a workbook never comes near (cells are capped far below,
  // and a chunk holds at most one cell's text past kMaxChunkChars).
  if (count_ >= std::numeric_limits<std::uint32_t>::max() ||
      text.size() >= std::numeric_limits<std::uint32_t>::max()) {
    throw std::bad_alloc();
  }
  if (chunks_.empty() || chunks_.back().capacity - chunks_.back().size < text.size()) {
    const std::size_t grown =
        chunks_.empty() ? kFirstChunkChars : std::min(chunks_.back().capacity * 2, kMaxChunkChars);
    Chunk chunk;
    chunk.capacity = std::max(grown, text.size());
    chunk.text.reset(new char16_t[chunk.capacity]);
    chunks_.push_back(std::move(chunk));
  }
  Chunk& chunk = chunks_.back();
  std::copy(text.begin(), text.end(), chunk.text.get() + chunk.size);
  const std::uint32_t index = count_;
  const std::size_t block = SpanBlock(index);
  // A new block of spans only when the string is the first past the blocks there are.
  if (block >= span_blocks_.size()) Reserve(std::size_t{index} + 1);
  span_blocks_[block][index - SpanBlockStart(block)] = {
      static_cast<std::uint32_t>(chunks_.size() - 1), static_cast<std::uint32_t>(chunk.size)};
  ++count_;
  chunk.size += text.size();
  char_count_ += text.size();
  return index;
}

void StringPool::Reserve(std::size_t strings) {
  // Indexes are 32 bits: Add refuses a string past that.
  strings = std::min<std::size_t>(strings, std::numeric_limits<std::uint32_t>::max());
  if (strings == 0) return;
  const std::size_t needed = SpanBlock(static_cast<std::uint32_t>(strings - 1)) + 1;
  while (span_blocks_.size() < needed) {
    const std::size_t block = span_blocks_.size();
    span_blocks_.push_back(std::make_unique_for_overwrite<Span[]>(
        block == 0 ? kFirstSpans : kFirstSpans << (block - 1)));
  }
}

std::uint32_t StringPool::AddShared(std::u16string_view text) {
  if (text.size() < kSharedFrom) return Add(text);
  const std::size_t hash = std::hash<std::u16string_view>{}(text);
  const auto [first, last] = long_texts_.equal_range(hash);
  for (auto it = first; it != last; ++it) {
    if (Get(it->second) == text) return it->second;
  }
  const std::uint32_t index = Add(text);
  long_texts_.emplace(hash, index);
  return index;
}

}  // namespace brintova::engine::model
