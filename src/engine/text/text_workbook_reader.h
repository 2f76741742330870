// Opening a .csv or .txt file as the spreadsheet application does: one worksheet named after
// the file, comma- or tab-separated fields, numbers and truth values recognised.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/model/workbook.h"

namespace brintova::engine::textfile {

// How much of a text file is read: the file is held in memory whole, and as UTF-16 once more,
// so its size is bounded as a package's unpacked bytes are; cells as a package's cells.
struct TextLimits {
  std::uint64_t max_bytes = std::uint64_t{512} << 20;
  std::uint64_t max_cells = std::uint64_t{16} << 20;
};

// Reads the file at `path`. Rows past the grid's last row and fields past its last column are
// left out, and the workbook records how many (Workbook::load_failures()). Throws Failure when
// the file cannot be read or holds more than the limits allow.
std::unique_ptr<model::Workbook> ReadTextWorkbook(std::u16string_view path,
                                                  const TextLimits& limits = {});

// The same from bytes already in memory; `path` gives the sheet name, the preferred separator
// (tab for .txt, comma otherwise) and the recorded source. Throws Failure only past the limits.
std::unique_ptr<model::Workbook> ReadTextWorkbookFromBytes(std::string_view bytes,
                                                           std::u16string_view path,
                                                           const TextLimits& limits = {});

// The sheet name for a file: its name without extension, characters a sheet name cannot hold
// ([ ] : * ? / \) replaced by "_", cut to 31 characters; "Sheet1" when nothing is left.
std::u16string SheetNameForFile(std::u16string_view path);

}  // namespace brintova::engine::textfile
