// The XML of a worksheet part written from the model's cells, and the styles part of a new
// workbook: what a saved workbook needs for sheets and styles it did not copy from its source.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/model/workbook.h"
#include "engine/package/block_deflater.h"

namespace brintova::engine::package {

inline constexpr std::size_t kWorksheetBlockBytes = std::size_t{1} << 20;

// Namespaces of the two flavours of the format; strict packages use the second set.
struct PackageNamespaces {
  const char* main;
  const char* relationships;
  const char* worksheet_relationship;
  const char* styles_relationship;
};
const PackageNamespaces& TransitionalNamespaces();
const PackageNamespaces& StrictNamespaces();

// A worksheet part: every stored cell, strings as inline strings, the style index of each cell
// mapped through `style_index` (file cellXfs position per model style; identity when empty).
// Throws Failure when a text is longer than the 32,767 characters a cell can hold.
std::string WriteWorksheetXml(const model::Workbook& book, const model::Sheet& sheet,
                              const PackageNamespaces& ns,
                              const std::vector<std::uint32_t>& style_index, bool selected);
// The same part handed to `emit` in blocks of about `block_bytes` (a block ends after a cell),
// so that a large sheet's XML is never held whole. Throws Failure as above, or what `emit`
// throws.
void WriteWorksheetXmlBlocks(const model::Workbook& book, const model::Sheet& sheet,
                             const PackageNamespaces& ns,
                             const std::vector<std::uint32_t>& style_index, bool selected,
                             const std::function<void(std::string block)>& emit,
                             std::size_t block_bytes = kWorksheetBlockBytes);

// Deflate levels of a worksheet part written from the model: level 1 takes a quarter of the
// time of level 6 for 29% more bytes on the benchmark's result sheet of 52 MB, and on a batch of
// small workbooks level 6 was a fifth of the whole run, so a part of one block is made fast too.
inline constexpr int kLargeSheetDeflateLevel = 1;
inline constexpr int kSmallSheetDeflateLevel = 1;

// The worksheet part deflated as it is written: its XML is never held whole, and its blocks are
// deflated on other threads while the next ones are made. Throws as WriteWorksheetXml.
DeflatedPart DeflateWorksheetXml(const model::Workbook& book, const model::Sheet& sheet,
                                 const PackageNamespaces& ns,
                                 const std::vector<std::uint32_t>& style_index, bool selected);

// A complete styles part holding every style of the table, in order, on the default font.
std::string WriteStylesXml(const model::StyleTable& styles);

}  // namespace brintova::engine::package
