// Two more ways into the file list: "Load Sample/Example Files" (PushButton2) and files or
// folders dragged from the desktop onto ListView1.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/ports.h"

namespace brintova {

inline constexpr std::u16string_view kSamplesFolderName = u"Samples";
inline constexpr std::u16string_view kOpenSamplesQuestion =
    u"Would you like this software to open the folder where these sample files are stored (so "
    u"that you can view them before working with them)?";

// The drop reports its failures in the standard error box under this tag: step 100 examines a
// dropped path, a dropped folder's walk reports the tree add's lines (114 to 134), step 104
// appends anything else.
inline constexpr std::u16string_view kListView1OLEDragDropTag =
    u"in Brintova2/19/2015.Form1.ListView1_OLEDragDrop ";

// Lists every file of the Samples folder beside the program, then offers to open that folder.
// Guarded (lines 100 to 108). A missing Samples folder lists nothing and still asks.
void PushButton2_Click(Ports& ports);

// Refuses (effect 0) data without the desktop's file list; otherwise leaves `effect` alone.
void ListView1_OLEDragOver(Ports& ports, DataObject& data, std::int32_t& effect);

// For each dropped path in order: a folder (not hidden, not system) is walked with pattern
// "*.*"; anything else is appended unchanged. A path that cannot be examined (it vanished) is
// reported and skipped; the drop goes on with the next path.
void ListView1_OLEDragDrop(Ports& ports, DataObject& data);

}  // namespace brintova
