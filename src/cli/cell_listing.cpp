// The cell listing of "brintova-cli text".
#include "cli/cell_listing.h"

#include "engine/model/cell.h"
#include "platform/text.h"

namespace brintova::cli {

std::string CellAddress(CellPosition cell) {
  return engine::model::CellReference(cell.row, cell.column);
}

std::string EscapeField(std::u16string_view text) {
  const std::string utf8 = ToUtf8(text);
  std::string escaped;
  escaped.reserve(utf8.size());
  for (const char c : utf8) {
    switch (c) {
      case '\\':
        escaped += "\\\\";
        break;
      case '\t':
        escaped += "\\t";
        break;
      case '\r':
        escaped += "\\r";
        break;
      case '\n':
        escaped += "\\n";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

void ListDisplayedTexts(Workbook& workbook, std::ostream& out) {
  for (const auto& sheet : workbook.Worksheets()) {
    const std::string name = EscapeField(sheet->Name());
    const CellPosition end = sheet->UsedRangeEnd();
    CellPosition from{1, 1};
    while (from.row <= end.row) {
      const std::optional<CellPosition> cell = sheet->NextCellWithContent(from, end);
      if (!cell) break;
      const std::u16string text = sheet->CellText(*cell);
      if (!text.empty()) {
        out << name << '\t' << CellAddress(*cell) << '\t' << EscapeField(text) << '\n';
      }
      from = *cell;
      if (++from.column > end.column) from = {from.row + 1, 1};
    }
  }
}

}  // namespace brintova::cli
