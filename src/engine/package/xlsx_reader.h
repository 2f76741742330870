// Reads an Office Open XML workbook (.xlsx, .xlsm, .xltx, .xltm) into the in-memory model, from
// a file or from bytes in memory (what a fuzzer drives). Never throws: every failure comes back
// in the result with a description naming the part and, where it applies, the cell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/package/read_error.h"
#include "engine/package/zip_reader.h"

namespace brintova::engine::package {

// How much one workbook may hold. The defaults are sized so that reading any workbook, and a
// whole run on it (reading, a result sheet as large again, saving), stays within about a minute
// and 3 GB on a two-core machine; bench/README.md gives the measurements.
struct ReadLimits {
  ZipLimits zip;
  std::uint64_t max_cells = std::uint64_t{16} << 20;
  // Number formats and cell formats of the styles part together.
  std::uint64_t max_formats = std::uint64_t{4} << 20;
};

// The file is read into memory once; the workbook keeps those bytes (Source::package_bytes) so
// that saving never reads the path again.
ReadResult ReadXlsxFile(const std::string& native_path, const ReadLimits& limits = {});
// The workbook keeps a copy of the bytes.
ReadResult ReadXlsxBuffer(const void* data, std::size_t size, const ReadLimits& limits = {});
ReadResult ReadXlsxBytes(std::shared_ptr<const std::string> bytes, const ReadLimits& limits = {});

// True when the bytes begin like an OLE compound file (the container of .xls files and of
// password-protected Office Open XML packages).
bool IsCompoundFile(std::string_view head);
// True when a compound file holds an EncryptionInfo stream: an Office Open XML package
// encrypted with a password.
bool IsEncryptedPackage(std::string_view bytes);

}  // namespace brintova::engine::package
