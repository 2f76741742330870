// Opening a .csv or .txt file as the spreadsheet application does: one worksheet named after
// the file, comma- or tab-separated fields, numbers and truth values recognised.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "engine/model/workbook.h"

namespace brintova::engine::textfile {

// Reads the file at `path`. Throws Failure when it cannot be read.
std::unique_ptr<model::Workbook> ReadTextWorkbook(std::u16string_view path);

// The same from bytes already in memory; `path` gives the sheet name, the preferred separator
// (tab for .txt, comma otherwise) and the recorded source. Never throws on content.
std::unique_ptr<model::Workbook> ReadTextWorkbookFromBytes(std::string_view bytes,
                                                           std::u16string_view path);

// The sheet name for a file: its name without extension, characters a sheet name cannot hold
// ([ ] : * ? / \) replaced by "_", cut to 31 characters; "Sheet1" when nothing is left.
std::u16string SheetNameForFile(std::u16string_view path);

}  // namespace brintova::engine::textfile
