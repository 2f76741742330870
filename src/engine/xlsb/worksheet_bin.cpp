// Reading a sheet part of an .xlsb package: row headers set the row, each cell record carries
// its column, style and value (formula cells their cached result).
#include <algorithm>
#include <cmath>
#include <string>

#include "engine/model/cell.h"
#include "engine/package/read_error.h"
#include "engine/xlsb/record_stream.h"
#include "engine/xlsb/xlsb_parts.h"
#include "platform/text.h"

namespace brintova::engine::xlsb {

namespace {

using model::Cell;

// The error codes of cell and formula-result records.
std::optional<model::ErrorValue> ErrorFromCode(std::uint8_t code) {
  switch (code) {
    case 0x00:
      return model::ErrorValue::kNull;
    case 0x07:
      return model::ErrorValue::kDiv0;
    case 0x0F:
      return model::ErrorValue::kValue;
    case 0x17:
      return model::ErrorValue::kRef;
    case 0x1D:
      return model::ErrorValue::kName;
    case 0x24:
      return model::ErrorValue::kNum;
    case 0x2A:
      return model::ErrorValue::kNA;
    default:
      return std::nullopt;
  }
}

class SheetRecords {
 public:
  SheetRecords(model::Workbook& book, model::Sheet& sheet, CellBudget& budget)
      : sheet_(sheet),
        budget_(budget),
        shared_count_(book.shared_strings().Count()),
        style_count_(book.styles().StyleCount()) {}

  void operator()(std::uint32_t type, std::string_view body) {
    if (type == record::kRowHeader) {
      RecordCursor cursor(body, "a row header");
      const std::uint32_t row = cursor.U32();
      if (row >= static_cast<std::uint32_t>(model::kMaxRows)) {
        throw package::ReadError{"row " + std::to_string(std::uint64_t{row} + 1) +
                                 " lies past the last row of the grid (" +
                                 std::to_string(model::kMaxRows) + ")"};
      }
      row_ = static_cast<std::int32_t>(row) + 1;
      return;
    }
    if (type > record::kFormulaError && type != record::kCellRichString) return;
    RecordCursor cursor(body, "a cell record");
    const std::uint32_t column = cursor.U32();
    const std::uint32_t style_and_flags = cursor.U32();
    if (column >= static_cast<std::uint32_t>(model::kMaxColumns)) {
      throw package::ReadError{"row " + std::to_string(row_) + " has a cell in column " +
                               std::to_string(std::uint64_t{column} + 1) + ", past the grid's " +
                               std::to_string(model::kMaxColumns) + " columns"};
    }
    column_ = static_cast<std::int32_t>(column) + 1;
    // A style the file lacks shows as General, as in the .xlsx reader.
    std::uint32_t style = style_and_flags & 0xFFFFFFu;
    if (style >= style_count_) style = model::StyleTable::kMissingStyle;
    Value(type, cursor, style);
  }

 private:
  void Value(std::uint32_t type, RecordCursor& cursor, std::uint32_t style) {
    switch (type) {
      case record::kCellBlank:
        if (style != 0) Put(Cell::Empty(column_, style));
        return;
      case record::kCellRk:
        return Number(cursor.Rk(), style);
      case record::kCellReal:
      case record::kFormulaNumber:
        return Number(cursor.F64(), style);
      case record::kCellError:
      case record::kFormulaError:
        return Error(cursor.U8(), style);
      case record::kCellBool:
      case record::kFormulaBool:
        return Put(Cell::Boolean(column_, cursor.U8() != 0, style));
      case record::kCellSharedString: {
        const std::uint32_t index = cursor.U32();
        // An index past the table shows as an empty string rather than failing the workbook.
        return Put(
            Cell::SharedString(column_, index < shared_count_ ? index : shared_count_, style));
      }
      case record::kCellRichString:
        cursor.U8();  // flags of the runs after the text
        [[fallthrough]];
      case record::kCellString:
      case record::kFormulaString:
        text_.clear();
        cursor.WideString(text_);
        return Put(Cell::OwnedString(column_, sheet_.strings().Add(text_), style));
      default:
        return;
    }
  }

  void Number(double value, std::uint32_t style) {
    if (!std::isfinite(value)) return Put(Cell::Error(column_, model::ErrorValue::kNum, style));
    Put(Cell::Number(column_, value, style));
  }

  void Error(std::uint8_t code, std::uint32_t style) {
    if (const auto error = ErrorFromCode(code)) return Put(Cell::Error(column_, *error, style));
    // #GETTING_DATA and codes no error has: kept as the text the application shows for them.
    text_ = code == 0x2B ? u"#GETTING_DATA" : u"#N/A";
    Put(Cell::OwnedString(column_, sheet_.strings().Add(text_), style));
  }

  void Put(const Cell& cell) {
    if (++budget_.cells > budget_.limit && budget_.limit >= model::kMaxWorkbookCells) {
      throw package::ReadError{"the workbook holds more than " + GroupedDecimal(budget_.limit) +
                               " cells, the most this program reads for one workbook"};
    }
    if (budget_.cells > budget_.limit) {
      throw package::ReadError{"it holds more than " + std::to_string(budget_.limit) +
                               " cells, more than a file of this size can hold; it is refused "
                               "as damaged"};
    }
    sheet_.Append(row_, cell);
  }

  model::Sheet& sheet_;
  CellBudget& budget_;
  const std::uint32_t shared_count_;
  const std::uint32_t style_count_;
  std::int32_t row_ = 1;  // cells before any row header belong to the first row
  std::int32_t column_ = 1;
  std::u16string text_;
};

}  // namespace

CellBudget CellBudget::ForFileSize(std::uint64_t file_bytes) {
  return CellBudget{0,
                    std::min((std::uint64_t{1} << 22) + file_bytes * 16, model::kMaxWorkbookCells)};
}

void ReadWorksheetBin(const package::ZipReader& zip, std::string_view part_name,
                      model::Workbook& book, model::Sheet& sheet, CellBudget& budget) {
  SheetRecords records(book, sheet, budget);
  ReadRecords(zip, part_name,
              [&](std::uint32_t type, std::string_view body) { records(type, body); });
}

}  // namespace brintova::engine::xlsb
