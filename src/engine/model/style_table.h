// The cell formats of a workbook (the file's cellXfs) reduced to what displayed text needs:
// each style refers to a number format, which is compiled on first use and then cached.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/numfmt/number_format.h"

namespace brintova::engine::model {

struct NumberFormatEntry {
  std::uint32_t id = 0;  // the numFmtId in the file; ids below 164 are built-in codes
  std::u16string code;   // "General", "0.00", "@", ...
};

struct CellStyle {
  std::uint32_t number_format = 0;  // index into StyleTable::formats()
  // The style of the file this one was derived from (itself for a style read from the file).
  // A writer copies that style's font, fill, border and alignment and only changes the number
  // format.
  std::uint32_t derived_from = 0;
};

class StyleTable {
 public:
  // The index a cell carries when its file refers to a style it does not have: shown as General.
  static constexpr std::uint32_t kMissingStyle = 0xFFFFFFFFu;

  // One style, General, so that style 0 always exists.
  StyleTable();

  // Adds a number format as the file declares it; a later entry with the same id replaces the
  // code. Returns its index.
  std::uint32_t AddFormat(std::uint32_t id, std::u16string_view code);
  // The index of the format with this id, adding the built-in code (General when the id has
  // none) when no entry has it yet.
  std::uint32_t FormatForId(std::uint32_t id);
  // Appends a style read from the file (derived_from = its own index).
  std::uint32_t AddStyle(std::uint32_t format_index);
  // Drops every style, for a reader that fills the table from a file.
  void ClearStyles() { styles_.clear(); }
  // Marks how many styles and formats came from the file; the ones after were added since.
  void MarkOriginal();

  // The style that looks like `base` but shows values with `code` (finding an existing one or
  // adding one). "@" is the built-in id 49; other codes get a custom id from 164 up.
  std::uint32_t StyleWithFormat(std::uint32_t base, std::u16string_view code);

  std::uint32_t StyleCount() const { return static_cast<std::uint32_t>(styles_.size()); }
  // An index past the table (kMissingStyle) reads as a General style derived from style 0.
  const CellStyle& Style(std::uint32_t index) const;
  const std::vector<CellStyle>& styles() const { return styles_; }
  const std::vector<NumberFormatEntry>& formats() const { return formats_; }
  std::uint32_t original_style_count() const { return original_style_count_; }
  std::uint32_t original_format_count() const { return original_format_count_; }

  // The compiled number format of a style. A code that does not compile, and a style past the
  // table, show as General.
  const numfmt::NumberFormat& Format(std::uint32_t style) const;

 private:
  std::vector<CellStyle> styles_;
  std::vector<NumberFormatEntry> formats_;
  mutable std::vector<numfmt::NumberFormat> compiled_;  // parallel to formats_
  mutable std::vector<bool> is_compiled_;
  numfmt::NumberFormat general_;                            // for a style past the table
  std::unordered_map<std::uint32_t, std::uint32_t> by_id_;  // numFmtId -> index in formats_
  std::map<std::pair<std::uint32_t, std::uint32_t>, std::uint32_t> derived_;  // (root, format)
  std::uint32_t last_code_format_ = 0;
  std::uint32_t original_style_count_ = 1;
  std::uint32_t original_format_count_ = 1;
};

}  // namespace brintova::engine::model
