// A worksheet part (xl/worksheets/sheetN.xml): the cells of <sheetData>, streamed straight into
// the sheet's cell store. The <dimension> element is ignored: the used range comes from the
// cells themselves.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/model/workbook.h"

namespace brintova::engine::package {

class ZipReader;

// The cells read from one workbook so far, against the most it may hold.
struct CellBudget {
  std::uint64_t max_cells = 0;
  std::uint64_t cells = 0;
};

// Fills `sheet`. Throws ReadError naming the part and cell when the part is not valid XML, a
// cell lies past the grid or holds two values, or the budget runs out.
void ReadWorksheetPart(const ZipReader& zip, std::string_view part_name, model::Workbook& book,
                       model::Sheet& sheet, CellBudget& budget);

// The serial number of an ISO 8601 date or date-time ("2021-03-04", "2021-03-04T10:20:30",
// "10:20:30") in the given date system; nullopt when the text is not one.
std::optional<double> SerialFromIsoDate(std::string_view text, bool date1904);

}  // namespace brintova::engine::package
