// Cell records of a sheet substream: numbers (NUMBER, RK, MULRK), strings (LABELSST, LABEL,
// RSTRING), booleans and errors (BOOLERR), formulas with their cached results (FORMULA, and
// STRING after it), styled empty cells (BLANK, MULBLANK), and the records of Excel 2.1 that
// some writers still put in later files.
#include "engine/legacy/sheet_substream.h"

#include <algorithm>
#include <bit>

#include "engine/legacy/byte_reading.h"

namespace brintova::engine::legacy {

namespace {

using model::Cell;

struct PendingCell {
  std::int32_t row;
  Cell cell;
};

double RkValue(std::uint32_t rk) {
  double value = 0;
  if (rk & 0x02) {
    value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
  } else {
    value = std::bit_cast<double>(std::uint64_t{rk & 0xFFFFFFFCu} << 32);
  }
  return (rk & 0x01) ? value / 100 : value;
}

model::ErrorValue ErrorFromCode(std::uint8_t code) {
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
    default:  // 0x2A, and 0x2B (still getting data), which shows as not available
      return model::ErrorValue::kNA;
  }
}

class SubstreamReader {
 public:
  SubstreamReader(RecordStream& records, const BiffFacts& facts, model::Sheet* sheet)
      : records_(records), facts_(facts), sheet_(sheet) {}

  SheetCells Read();

 private:
  void Cellular(const Record& record);
  void Add(std::uint16_t row, std::uint16_t column, Cell cell);
  std::uint32_t Style(std::uint16_t xf) const {
    return xf < facts_.style_count ? xf : model::StyleTable::kMissingStyle;
  }
  // The text of a LABEL or STRING record after `skip` bytes (row, column and style of a LABEL).
  std::u16string Text(const Record& record, std::size_t skip);
  void Formula(const Record& record);
  void Flush();

  RecordStream& records_;
  const BiffFacts& facts_;
  model::Sheet* sheet_;  // null when only the kind is wanted
  // Cells go straight into the sheet while they arrive in row-major order, as writers put
  // them; from the first that does not, every cell is gathered here and sorted at the end.
  bool in_order_ = true;
  std::int32_t last_row_ = 0;
  std::int32_t last_column_ = 0;
  std::vector<PendingCell> cells_;
  // Where the formula whose text follows in a STRING record is: an index in cells_, or (when
  // cells go straight in) its row and column.
  bool awaiting_ = false;
  std::size_t awaiting_string_ = 0;
  std::int32_t awaiting_row_ = 0;
  SheetCells result_;
};

SheetCells SubstreamReader::Read() {
  Record record;
  if (!records_.Next(record)) return result_;  // the BOF
  const std::uint16_t kind = ReadU16(record.body, 2);
  result_.chart = kind == 0x0020;
  const bool cells_wanted = sheet_ != nullptr && (kind == 0x0010 || kind == 0x0000);
  int depth = 1;
  while (depth > 0 && records_.Next(record)) {
    if (record.type == 0x0809 || record.type == 0x0009 || record.type == 0x0209 ||
        record.type == 0x0409) {
      ++depth;  // an embedded chart's substream
      continue;
    }
    if (record.type == 0x000A) {
      --depth;
      continue;
    }
    if (depth > 1) continue;
    if (record.type == 0x0081 && (ReadU16(record.body, 0) & 0x0010) != 0) result_.dialog = true;
    if (cells_wanted) Cellular(record);
  }
  if (cells_wanted && !result_.dialog) Flush();
  return result_;
}

void SubstreamReader::Add(std::uint16_t row, std::uint16_t column, Cell cell) {
  if (column >= model::kMaxColumns) return;  // no grid has such a column
  cell.column = static_cast<std::uint16_t>(column + 1);
  const std::int32_t r = static_cast<std::int32_t>(row) + 1;
  if (in_order_) {
    if (r > last_row_ || (r == last_row_ && cell.column > last_column_)) {
      sheet_->Append(r, cell);
      last_row_ = r;
      last_column_ = cell.column;
      awaiting_row_ = r;
      return;
    }
    // Out of order: what went in so far is gathered with the rest.
    in_order_ = false;
    cells_.reserve(sheet_->CellCount() + 1);
    for (const auto& [at, row_cells] : sheet_->rows()) {
      for (const Cell& c : row_cells) cells_.push_back({at, c});
    }
    sheet_->ClearCells();
  }
  cells_.push_back({r, cell});
  awaiting_string_ = cells_.size() - 1;
}

std::u16string SubstreamReader::Text(const Record& record, std::size_t skip) {
  std::u16string text;
  ContinuedReader in(records_, record.body);
  in.Skip(skip);
  const std::uint16_t count = in.U16();
  if (facts_.biff8) {
    const std::uint8_t flags = in.U8();
    std::size_t runs = 0;
    std::size_t phonetic = 0;
    if (flags & 0x08) runs = in.U16();
    if (flags & 0x04) phonetic = in.U32();
    in.Chars(count, (flags & 0x01) != 0, text);
    in.Skip(4 * runs + phonetic);
  } else {
    std::string bytes;
    in.Bytes(count, bytes);
    facts_.code_page->Decode(bytes, text);
  }
  return text;
}

void SubstreamReader::Formula(const Record& record) {
  const std::string_view b = record.body;
  if (b.size() < 14) return;
  const std::uint16_t row = ReadU16(b, 0), column = ReadU16(b, 2);
  const std::uint32_t style = Style(ReadU16(b, 4));
  if (ReadU16(b, 12) != 0xFFFF) {
    Add(row, column, Cell::Number(0, ReadF64(b, 6), style));
    return;
  }
  switch (ReadU8(b, 6)) {
    case 0:  // a string, in the STRING record that follows
      Add(row, column, Cell::Empty(0, style));
      awaiting_ = true;
      break;
    case 1:
      Add(row, column, Cell::Boolean(0, ReadU8(b, 8) != 0, style));
      break;
    case 2:
      Add(row, column, Cell::Error(0, ErrorFromCode(ReadU8(b, 8)), style));
      break;
    default:  // an empty string
      Add(row, column, Cell::Empty(0, style));
      break;
  }
}

void SubstreamReader::Cellular(const Record& record) {
  const std::string_view b = record.body;
  const std::uint16_t row = ReadU16(b, 0), column = ReadU16(b, 2);
  const std::uint16_t type = record.type;
  // Records that may stand between a formula and the STRING record holding its text.
  if (type != 0x0207 && type != 0x04BC && type != 0x0221 && type != 0x0236) awaiting_ = false;
  switch (type) {
    case 0x0203:  // NUMBER
      if (b.size() >= 14) Add(row, column, Cell::Number(0, ReadF64(b, 6), Style(ReadU16(b, 4))));
      break;
    case 0x027E:  // RK
      if (b.size() >= 10)
        Add(row, column, Cell::Number(0, RkValue(ReadU32(b, 6)), Style(ReadU16(b, 4))));
      break;
    case 0x00BD:  // MULRK: style and RK per column, the last column at the end
      for (std::size_t at = 4, c = column; at + 6 + 2 <= b.size(); at += 6, ++c) {
        Add(row, static_cast<std::uint16_t>(std::min<std::size_t>(c, 0xFFFF)),
            Cell::Number(0, RkValue(ReadU32(b, at + 2)), Style(ReadU16(b, at))));
      }
      break;
    case 0x0201:  // BLANK
      if (b.size() >= 6) Add(row, column, Cell::Empty(0, Style(ReadU16(b, 4))));
      break;
    case 0x00BE:  // MULBLANK
      for (std::size_t at = 4, c = column; at + 2 + 2 <= b.size(); at += 2, ++c) {
        Add(row, static_cast<std::uint16_t>(std::min<std::size_t>(c, 0xFFFF)),
            Cell::Empty(0, Style(ReadU16(b, at))));
      }
      break;
    case 0x00FD: {  // LABELSST
      if (b.size() < 10) break;
      const std::uint32_t index = ReadU32(b, 6);
      const std::uint32_t style = Style(ReadU16(b, 4));
      if (facts_.shared_strings != nullptr && index < facts_.shared_strings->Count()) {
        Add(row, column, Cell::SharedString(0, index, style));
      } else {  // a string the table does not have reads as empty text
        Add(row, column, Cell::OwnedString(0, sheet_->strings().Add({}), style));
      }
      break;
    }
    case 0x0204:    // LABEL
    case 0x00D6: {  // RSTRING (its formatting runs follow the text)
      if (b.size() < 8) break;
      const std::uint32_t style = Style(ReadU16(b, 4));
      const std::u16string text = Text(record, 6);
      Add(row, column, Cell::OwnedString(0, sheet_->strings().Add(text), style));
      break;
    }
    case 0x0205:  // BOOLERR
      if (b.size() < 8) break;
      if (ReadU8(b, 7) != 0) {
        Add(row, column, Cell::Error(0, ErrorFromCode(ReadU8(b, 6)), Style(ReadU16(b, 4))));
      } else {
        Add(row, column, Cell::Boolean(0, ReadU8(b, 6) != 0, Style(ReadU16(b, 4))));
      }
      break;
    case 0x0006:  // FORMULA, and its Excel 3 and 4 forms
    case 0x0206:
    case 0x0406:
      Formula(record);
      break;
    case 0x0207: {  // STRING: the text of the formula just before
      if (!awaiting_) break;
      awaiting_ = false;
      const std::u16string text = Text(record, 0);
      if (in_order_) {
        const Cell* cell = sheet_->Find(awaiting_row_, last_column_);
        if (cell != nullptr) {
          sheet_->Put(awaiting_row_,
                      Cell::OwnedString(cell->column, sheet_->strings().Add(text), cell->style));
        }
      } else if (awaiting_string_ < cells_.size()) {
        Cell& cell = cells_[awaiting_string_].cell;
        cell = Cell::OwnedString(cell.column, sheet_->strings().Add(text), cell.style);
      }
      break;
    }
    // Excel 2.1 cells: row, column, three attribute bytes, then the value.
    case 0x0002:  // INTEGER
      if (b.size() >= 9)
        Add(row, column, Cell::Number(0, ReadU16(b, 7), model::StyleTable::kMissingStyle));
      break;
    case 0x0003:  // NUMBER
      if (b.size() >= 15)
        Add(row, column, Cell::Number(0, ReadF64(b, 7), model::StyleTable::kMissingStyle));
      break;
    case 0x0004: {  // LABEL
      if (b.size() < 8) break;
      const std::size_t count = std::min<std::size_t>(ReadU8(b, 7), b.size() - 8);
      std::u16string text;
      facts_.code_page->Decode(b.substr(8, count), text);
      Add(row, column,
          Cell::OwnedString(0, sheet_->strings().Add(text), model::StyleTable::kMissingStyle));
      break;
    }
    case 0x0005:  // BOOLERR
      if (b.size() < 9) break;
      if (ReadU8(b, 8) != 0) {
        Add(row, column,
            Cell::Error(0, ErrorFromCode(ReadU8(b, 7)), model::StyleTable::kMissingStyle));
      } else {
        Add(row, column, Cell::Boolean(0, ReadU8(b, 7) != 0, model::StyleTable::kMissingStyle));
      }
      break;
    default:
      break;
  }
}

void SubstreamReader::Flush() {
  if (in_order_) {
    result_.cell_count = sheet_->CellCount();
    return;
  }
  auto before = [](const PendingCell& a, const PendingCell& b) {
    return a.row != b.row ? a.row < b.row : a.cell.column < b.cell.column;
  };
  // Writers put cells in row-major order; anything else is sorted, and of two cells at one
  // position the later record wins, as it would when the application reads them in turn.
  if (!std::is_sorted(cells_.begin(), cells_.end(), before)) {
    std::stable_sort(cells_.begin(), cells_.end(), before);
  }
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    if (i + 1 < cells_.size() && !before(cells_[i], cells_[i + 1])) continue;
    sheet_->Append(cells_[i].row, cells_[i].cell);
    ++result_.cell_count;
  }
  cells_.clear();
  cells_.shrink_to_fit();
}

}  // namespace

SheetCells ReadSheetSubstream(RecordStream& records, const BiffFacts& facts, model::Sheet* sheet) {
  SubstreamReader reader(records, facts, sheet);
  return reader.Read();
}

}  // namespace brintova::engine::legacy
