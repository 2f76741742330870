// Style table: number formats by id, styles referring to them, compiled formats cached.
#include "engine/model/style_table.h"

#include <algorithm>

namespace brintova::engine::model {

namespace {
constexpr std::uint32_t kTextFormatId = 49;
constexpr std::uint32_t kFirstCustomId = 164;
}  // namespace

StyleTable::StyleTable() {
  formats_.push_back({0, u"General"});
  by_id_.emplace(0, 0);
  styles_.push_back({0, 0});
}

std::uint32_t StyleTable::AddFormat(std::uint32_t id, std::u16string_view code) {
  if (auto it = by_id_.find(id); it != by_id_.end()) {
    formats_[it->second].code = std::u16string(code);
    if (it->second < is_compiled_.size()) is_compiled_[it->second] = false;
    return it->second;
  }
  formats_.push_back({id, std::u16string(code)});
  const auto index = static_cast<std::uint32_t>(formats_.size() - 1);
  by_id_.emplace(id, index);
  return index;
}

std::uint32_t StyleTable::FormatForId(std::uint32_t id) {
  if (auto it = by_id_.find(id); it != by_id_.end()) return it->second;
  std::u16string_view code =
      id < 164 ? numfmt::BuiltinFormatCode(static_cast<int>(id)) : std::u16string_view();
  return AddFormat(id, code.empty() ? u"General" : code);
}

std::uint32_t StyleTable::AddStyle(std::uint32_t format_index) {
  const auto index = static_cast<std::uint32_t>(styles_.size());
  styles_.push_back({format_index, index});
  return index;
}

void StyleTable::MarkOriginal() {
  if (styles_.empty()) styles_.push_back({0, 0});
  original_style_count_ = static_cast<std::uint32_t>(styles_.size());
  original_format_count_ = static_cast<std::uint32_t>(formats_.size());
}

std::uint32_t StyleTable::StyleWithFormat(std::uint32_t base, std::u16string_view code) {
  if (base >= styles_.size()) base = 0;
  if (formats_[styles_[base].number_format].code == code) return base;
  std::uint32_t format = static_cast<std::uint32_t>(formats_.size());
  if (last_code_format_ < formats_.size() && formats_[last_code_format_].code == code) {
    format = last_code_format_;
  } else {
    for (std::size_t i = 0; i < formats_.size(); ++i) {
      if (formats_[i].code == code) {
        format = static_cast<std::uint32_t>(i);
        break;
      }
    }
  }
  if (format == formats_.size()) {
    std::uint32_t id = kFirstCustomId;
    if (code == u"@" && !by_id_.contains(kTextFormatId)) {
      id = kTextFormatId;
    } else {
      for (const auto& f : formats_) id = std::max(id, f.id + 1);
    }
    format = AddFormat(id, code);
  }
  last_code_format_ = format;
  const std::uint32_t root = styles_[base].derived_from;
  const auto key = std::make_pair(root, format);
  if (auto it = derived_.find(key); it != derived_.end()) return it->second;
  // A style of the file itself may already pair that root with the format.
  if (styles_[root].number_format == format) return root;
  styles_.push_back({format, root});
  const auto index = static_cast<std::uint32_t>(styles_.size() - 1);
  derived_.emplace(key, index);
  return index;
}

const CellStyle& StyleTable::Style(std::uint32_t index) const {
  static constexpr CellStyle kMissing{0, 0};  // format 0 is General
  return index < styles_.size() ? styles_[index] : kMissing;
}

const numfmt::NumberFormat& StyleTable::Format(std::uint32_t style) const {
  if (style >= styles_.size()) return general_;
  const std::uint32_t format = Style(style).number_format;
  if (compiled_.size() < formats_.size()) {
    compiled_.resize(formats_.size());
    is_compiled_.resize(formats_.size(), false);
  }
  if (!is_compiled_[format]) {
    numfmt::NumberFormat compiled;
    if (!numfmt::NumberFormat::Compile(formats_[format].code, compiled)) {
      compiled = numfmt::NumberFormat();
    }
    compiled_[format] = std::move(compiled);
    is_compiled_[format] = true;
  }
  return compiled_[format];
}

}  // namespace brintova::engine::model
