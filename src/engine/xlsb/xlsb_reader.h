// Reads a binary Office Open XML workbook (.xlsb) into the in-memory model, from a file or from
// bytes in memory (what a fuzzer drives). The package, its relationships and content types are
// those of .xlsx; the workbook, styles, shared strings and sheets are binary records. Never
// throws: every failure comes back in the result with a description naming the part.
#pragma once

#include <cstddef>
#include <string>

#include "engine/package/read_error.h"
#include "engine/package/zip_reader.h"

namespace brintova::engine::xlsb {

package::ReadResult ReadXlsbFile(const std::string& native_path,
                                 const package::ZipLimits& limits = {});
package::ReadResult ReadXlsbBuffer(const void* data, std::size_t size,
                                   const package::ZipLimits& limits = {});

}  // namespace brintova::engine::xlsb
