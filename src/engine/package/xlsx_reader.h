// Reads an Office Open XML workbook (.xlsx, .xlsm, .xltx, .xltm) into the in-memory model, from
// a file or from bytes in memory (what a fuzzer drives). Never throws: every failure comes back
// in the result with a description naming the part and, where it applies, the cell.
#pragma once

#include <cstddef>
#include <string>

#include "engine/package/read_error.h"
#include "engine/package/zip_reader.h"

namespace brintova::engine::package {

ReadResult ReadXlsxFile(const std::string& native_path, const ZipLimits& limits = {});
ReadResult ReadXlsxBuffer(const void* data, std::size_t size, const ZipLimits& limits = {});

// True when the bytes begin like an OLE compound file (the container of .xls files and of
// password-protected Office Open XML packages).
bool IsCompoundFile(std::string_view head);
// True when a compound file holds an EncryptionInfo stream: an Office Open XML package
// encrypted with a password.
bool IsEncryptedPackage(std::string_view bytes);

}  // namespace brintova::engine::package
