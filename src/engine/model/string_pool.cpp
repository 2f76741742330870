// Keeping long texts once in a string pool.
#include "engine/model/string_pool.h"

#include <functional>

namespace brintova::engine::model {

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
