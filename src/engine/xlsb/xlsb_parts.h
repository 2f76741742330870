// The binary parts of an .xlsb package, one reader per part kind: the workbook (sheet list and
// date system), the styles (number formats and cell formats), the shared strings and a sheet's
// cells. Each fills the same model the .xlsx reader fills.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/model/workbook.h"
#include "engine/package/workbook_part.h"

namespace brintova::engine::package {
class ZipReader;
}

namespace brintova::engine::xlsb {

// Throw ReadError naming the part when it is missing, damaged or holds a record that ends early.
package::WorkbookPart ReadWorkbookBin(const package::ZipReader& zip, std::string_view part_name);
void ReadStylesBin(const package::ZipReader& zip, std::string_view part_name,
                   model::StyleTable& styles);
void ReadSharedStringsBin(const package::ZipReader& zip, std::string_view part_name,
                          model::StringPool& strings);
// The cells a workbook may hold, counted over its sheets against a budget that grows with the
// file's size: a part that inflates far past what its cells could be is refused early.
struct CellBudget {
  std::uint64_t cells = 0;
  std::uint64_t limit = 0;
  // At least 4 million cells, and 16 cells for each byte of the file, up to the most any
  // workbook may hold.
  static CellBudget ForFileSize(std::uint64_t file_bytes);
};

// Also throws when a cell lies past the grid or the cells overrun the budget.
void ReadWorksheetBin(const package::ZipReader& zip, std::string_view part_name,
                      model::Workbook& book, model::Sheet& sheet, CellBudget& budget);

}  // namespace brintova::engine::xlsb
