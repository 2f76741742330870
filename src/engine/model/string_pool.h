// Many short strings in one buffer: the shared-string table of a workbook and the strings a
// sheet owns. Strings are appended and never removed; an index stays valid for the pool's life.
// Long texts added through AddShared are kept once however often they are added.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brintova::engine::model {

class StringPool {
 public:
  std::uint32_t Add(std::u16string_view text) {
    starts_.push_back(chars_.size());
    chars_.append(text);
    return static_cast<std::uint32_t>(starts_.size() - 1);
  }
  // Adds `text` and returns its index, or, for a text of kSharedFrom code units or more, the
  // index of an equal text added through AddShared before: a long text written into many cells
  // (one shared string of 32,767 characters used by 100,000 cells, say) is held once.
  std::uint32_t AddShared(std::u16string_view text);
  static constexpr std::size_t kSharedFrom = 64;

  // Starts a string that the caller then grows with Append(); returns its index.
  std::uint32_t Begin() { return Add({}); }
  void Append(std::u16string_view text) { chars_.append(text); }
  void Append(char16_t c) { chars_.push_back(c); }

  std::u16string_view Get(std::uint32_t index) const {
    const std::size_t begin = starts_[index];
    const std::size_t end = index + 1 < starts_.size() ? starts_[index + 1] : chars_.size();
    return std::u16string_view(chars_).substr(begin, end - begin);
  }
  std::uint32_t Count() const { return static_cast<std::uint32_t>(starts_.size()); }
  std::size_t CharCount() const { return chars_.size(); }
  void Reserve(std::size_t strings) { starts_.reserve(strings); }

 private:
  std::u16string chars_;
  std::vector<std::size_t> starts_;
  std::unordered_multimap<std::size_t, std::uint32_t> long_texts_;  // hash -> index
};

}  // namespace brintova::engine::model
