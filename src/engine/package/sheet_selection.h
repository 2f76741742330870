// A sheet's tab is selected when its part says so (<sheetView tabSelected="1">). When a save
// makes the result sheet the active and selected one, as inserting a sheet does in the
// application, every other sheet must lose that mark: two selected tabs open as a group, where
// a change to one sheet is made to all of them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "engine/package/block_deflater.h"

namespace brintova::engine::package {

class ZipReader;

// The part with the mark dropped from every selected view, or nullopt when no view of the part
// is selected (the part is then copied as it is). A large deflated part keeps its original
// blocks from a little past the marks on, only its start inflated and deflated again; any other
// is deflated whole as it streams through. Only the head of a part that is not selected is read.
// Throws ReadError when the part cannot be read.
std::optional<DeflatedPart> DeselectedSheetPart(const ZipReader& source, std::size_t entry);

}  // namespace brintova::engine::package
