// Adding the styles made since opening (a result sheet's "@" format, say) to a copy of the
// workbook's styles part, keeping everything the part already holds.
#pragma once

#include <cstdint>
#include <pugixml.hpp>
#include <vector>

#include "engine/model/style_table.h"

namespace brintova::engine::package {

// Edits the styles part whose root element is `style_sheet`. Returns the file's cellXfs
// position of each model style, counting the part's cell formats as the reader does.
std::vector<std::uint32_t> AddStyles(const model::StyleTable& styles, pugi::xml_node style_sheet);

}  // namespace brintova::engine::package
