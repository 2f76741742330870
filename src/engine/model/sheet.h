// One sheet of the in-memory workbook: its name, kind and visibility, where it came from in the
// file, and a sparse cell store (rows in a map, each row's cells sorted by column).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/model/cell.h"
#include "engine/model/string_pool.h"

namespace brintova::engine::model {

enum class SheetKind : std::uint8_t { kWorksheet, kChart, kDialog, kMacro };
enum class Visibility : std::uint8_t { kVisible, kHidden, kVeryHidden };

struct CellPos {
  std::int32_t row = 1;     // 1-based
  std::int32_t column = 1;  // 1-based
  friend bool operator==(const CellPos&, const CellPos&) = default;
};

// The inclusive rectangle of cells that hold a value or a style; empty when the sheet has none.
struct UsedRange {
  std::int32_t first_row = 0;
  std::int32_t first_column = 0;
  std::int32_t last_row = 0;
  std::int32_t last_column = 0;
  bool empty() const { return last_row == 0; }
};

class Sheet {
 public:
  using Row = std::vector<Cell>;  // sorted by column, no two cells in one column
  using Rows = std::map<std::int32_t, Row>;

  Sheet(std::u16string name, SheetKind kind) : name_(std::move(name)), kind_(kind) {}
  // Not copied or moved: the store keeps a pointer to its last cell and an iterator into its rows.
  Sheet(const Sheet&) = delete;
  Sheet& operator=(const Sheet&) = delete;

  const std::u16string& name() const { return name_; }
  void set_name(std::u16string name) { name_ = std::move(name); }
  SheetKind kind() const { return kind_; }
  Visibility visibility() const { return visibility_; }
  void set_visibility(Visibility v) { visibility_ = v; }

  // Where the sheet came from in an Office Open XML package: its part name without a leading
  // slash ("xl/worksheets/sheet1.xml") and the workbook relationship id ("rId1"). Empty for a
  // sheet added since opening or read from another kind of file.
  const std::string& part_name() const { return part_name_; }
  const std::string& relationship_id() const { return relationship_id_; }
  std::uint32_t sheet_id() const { return sheet_id_; }  // the file's sheetId; 0 when new
  void SetSource(std::string part_name, std::string relationship_id, std::uint32_t sheet_id);

  // True once a cell was written since opening: a writer must regenerate this sheet instead of
  // copying its part.
  bool changed() const { return changed_; }
  void set_changed(bool changed) { changed_ = changed; }

  // Stores a cell at `row` (cell.column set), replacing any cell there. Rows and columns must lie
  // in the grid (the caller checks). Used both by readers and by writes.
  void Put(std::int32_t row, const Cell& cell);
  // Fast path for readers: cells arriving in row-major order go to the end; others fall back to
  // Put.
  void Append(std::int32_t row, const Cell& cell);

  // Drops every cell (the strings stay), for a reader that must store them again in order.
  void ClearCells();

  // The cell at (row, column), or nullptr when none is stored.
  const Cell* Find(std::int32_t row, std::int32_t column) const;

  // The first cell with a value at or after `from` in row-major order, within rows
  // from.row..last_row and columns 1..last_column; nullopt when there is none.
  std::optional<CellPos> NextWithValue(CellPos from, CellPos last) const;

  UsedRange used_range() const { return used_; }
  std::size_t CellCount() const { return cell_count_; }
  const Rows& rows() const { return rows_; }

  // The strings owned by this sheet's kOwnedString cells (inline strings, formula strings,
  // values written since opening).
  StringPool& strings() { return strings_; }
  const StringPool& strings() const { return strings_; }

 private:
  void Grow(std::int32_t row, std::int32_t column);
  // Adds an empty row after every other row.
  Row& NewLastRow(std::int32_t row);

  std::u16string name_;
  SheetKind kind_;
  Visibility visibility_ = Visibility::kVisible;
  std::string part_name_;
  std::string relationship_id_;
  std::uint32_t sheet_id_ = 0;
  bool changed_ = false;
  Rows rows_;
  std::size_t cell_count_ = 0;
  UsedRange used_;
  StringPool strings_;
  // Last row looked up, so that a walk in row-major order does not search the map per cell.
  mutable Rows::const_iterator last_found_ = rows_.end();
  // The cell stored last, and the cell NextWithValue found last: a write of a cell's format and
  // then of its value, and a walk reading the cell it was just pointed to, find it at once.
  // Every change of the store sets or clears both, so neither points at a moved cell.
  Cell* last_put_ = nullptr;
  std::int32_t last_put_row_ = 0;
  mutable const Cell* last_next_ = nullptr;
  mutable std::int32_t last_next_row_ = 0;
};

}  // namespace brintova::engine::model
