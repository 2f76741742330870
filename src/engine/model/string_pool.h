// Many short strings in one buffer: the shared-string table of a workbook and the strings a
// sheet owns. Strings are appended and never removed; an index stays valid for the pool's life.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brintova::engine::model {

class StringPool {
 public:
  std::uint32_t Add(std::u16string_view text) {
    starts_.push_back(chars_.size());
    chars_.append(text);
    return static_cast<std::uint32_t>(starts_.size() - 1);
  }
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
};

}  // namespace brintova::engine::model
