// The XML of a worksheet part written from the model's cells, and the styles part of a new
// workbook: what a saved workbook needs for sheets and styles it did not copy from its source.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/model/workbook.h"

namespace brintova::engine::package {

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

// A complete styles part holding every style of the table, in order, on the default font.
std::string WriteStylesXml(const model::StyleTable& styles);

}  // namespace brintova::engine::package
