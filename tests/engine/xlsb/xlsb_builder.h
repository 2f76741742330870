// Test helper: .xlsb packages built in memory from binary records, so that tests can state
// exactly which records a file holds (odd, damaged or hostile ones included).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "test_package.h"

namespace brintova::engine::testing {

// Little-endian field bytes.
std::string U16(std::uint16_t value);
std::string U32(std::uint32_t value);
std::string F64(double value);
std::string Wide(std::u16string_view text);  // length-prefixed UTF-16LE

// One record: its type and size headers, then the body.
std::string Record(std::uint32_t type, std::string_view body);
// The 8-byte cell header: 0-based column and style index.
std::string CellHeader(std::uint32_t column, std::uint32_t style = 0);
std::string RowHeader(std::uint32_t row);  // 0-based

// A package with one worksheet "Data" whose part holds `sheet` (records); `styles` and
// `strings` are the record contents of styles.bin and sharedStrings.bin, none when empty.
// `workbook` replaces the workbook part's records when given.
Entries XlsbPackage(const std::string& sheet, const std::string& styles = "",
                    const std::string& strings = "", const std::string& workbook = "");

}  // namespace brintova::engine::testing
