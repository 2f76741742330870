// The styles part (xl/styles.xml): custom number formats and the cell formats (cellXfs) that
// refer to them. Fonts, fills and borders are left to the writer, which copies the part.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/model/style_table.h"

namespace brintova::engine::package {

class ZipReader;

// Fills `styles` (replacing its styles). Throws ReadError when the part is not valid XML or
// holds more than `max_entries` cell and number formats together.
void ReadStylesPart(const ZipReader& zip, std::string_view part_name, model::StyleTable& styles,
                    std::uint64_t max_entries);

}  // namespace brintova::engine::package
