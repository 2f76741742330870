// Opening a workbook file into the in-memory model: one dispatcher by file kind, so that each
// reader adds its own branch in one place.
#pragma once

#include <memory>
#include <string_view>

#include "engine/model/workbook.h"

namespace brintova::engine {

// Reads the workbook file at `path` (text as the user gave it; see NativePathFromText).
// Throws Failure naming the file: "File not found: <path>", "Not a workbook: <path>",
// "This workbook is protected by a password: <path>", "Cannot open <path>: <reason>".
std::unique_ptr<model::Workbook> OpenWorkbookFile(std::u16string_view path);

}  // namespace brintova::engine
