// The binary parts of an .xlsb package, one reader per part kind: the workbook (sheet list and
// date system), the styles (number formats and cell formats), the shared strings and a sheet's
// cells. Each fills the same model the .xlsx reader fills.
#pragma once

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
// Also throws when a cell lies past the grid.
void ReadWorksheetBin(const package::ZipReader& zip, std::string_view part_name,
                      model::Workbook& book, model::Sheet& sheet);

}  // namespace brintova::engine::xlsb
