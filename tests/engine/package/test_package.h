// Test helpers: zip packages built in memory (well-formed workbooks, and damaged or hostile
// ones), and the CSV that LibreOffice exports of the texts it shows.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace brintova::engine::testing {

using Entries = std::vector<std::pair<std::string, std::string>>;

// A zip holding the entries in order, deflated at `level` (0 stores them).
std::string MakeZip(const Entries& entries, int level = 6);

// The parts of a minimal workbook with one worksheet whose <sheetData> content is `sheet_data`;
// `styles` and `shared_strings` are whole parts or empty for none.
Entries MinimalWorkbook(const std::string& sheet_data, const std::string& styles = "",
                        const std::string& shared_strings = "");

// The same with the whole worksheet part given.
Entries WorkbookWithSheetPart(const std::string& sheet_part, const std::string& styles = "",
                              const std::string& shared_strings = "");

// Rows of fields, RFC 4180 quoting (doubled quotes, quoted line breaks); the file may end with or
// without a final line break.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text);

std::string ReadFileBytes(const std::string& path);

}  // namespace brintova::engine::testing
