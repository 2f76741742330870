// Reads an OpenDocument spreadsheet (.ods, .ots) into the in-memory model, from a file or from
// bytes in memory (what a fuzzer drives): the package's manifest and mimetype, the data and
// cell styles of styles.xml, then content.xml streamed cell by cell. Never throws: every
// failure comes back in the result with a description naming the part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/model/cell.h"
#include "engine/package/read_error.h"
#include "engine/package/zip_reader.h"

namespace brintova::engine::ods {

package::ReadResult ReadOdsFile(const std::string& native_path,
                                const package::ZipLimits& limits = {});
// `max_cells` below the most any workbook may hold keeps a fuzzer within its memory and time.
package::ReadResult ReadOdsBuffer(const void* data, std::size_t size,
                                  const package::ZipLimits& limits = {},
                                  std::uint64_t max_cells = model::kMaxWorkbookCells);

// The most cells a file of `file_bytes` may spread its repeated rows and columns into.
std::uint64_t CellBudget(std::uint64_t file_bytes);

}  // namespace brintova::engine::ods
