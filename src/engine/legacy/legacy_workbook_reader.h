// Opening a legacy workbook or template (.xls, .xlt): Excel 97-2003 (BIFF8) and Excel 5/95
// (BIFF5) workbook streams in a compound file, into the in-memory model with their number
// formats, so displayed text comes from the same renderer as for every other kind of file.
#pragma once

#include <string>
#include <string_view>

#include "engine/package/read_error.h"

namespace brintova::engine::legacy {

// Reads the workbook in `bytes`, or says why not (error.encrypted for a workbook that needs a
// password to open, error.not_a_workbook for a file of another kind). Never throws.
package::ReadResult ReadLegacyBuffer(std::string_view bytes);
// The same for the file at `native_path`.
package::ReadResult ReadLegacyFile(const std::string& native_path);

}  // namespace brintova::engine::legacy
