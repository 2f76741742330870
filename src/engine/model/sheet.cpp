// Sparse cell store of a sheet: ordered rows, cells sorted by column, used-range bounds kept
// as cells arrive.
#include "engine/model/sheet.h"

#include <algorithm>

namespace brintova::engine::model {

namespace {
bool ColumnLess(const Cell& cell, std::int32_t column) { return cell.column < column; }
}  // namespace

void Sheet::SetSource(std::string part_name, std::string relationship_id, std::uint32_t sheet_id) {
  part_name_ = std::move(part_name);
  relationship_id_ = std::move(relationship_id);
  sheet_id_ = sheet_id;
}

void Sheet::Grow(std::int32_t row, std::int32_t column) {
  if (used_.empty()) {
    used_ = {row, column, row, column};
    return;
  }
  used_.first_row = std::min(used_.first_row, row);
  used_.last_row = std::max(used_.last_row, row);
  used_.first_column = std::min(used_.first_column, column);
  used_.last_column = std::max(used_.last_column, column);
}

Sheet::Row& Sheet::NewLastRow(std::int32_t row) {
  // Rows of a sheet tend to be alike: room for as many cells as the row before holds saves
  // growing each row from one cell, and a row never holds more than twice its cells on account
  // of it (the room it was given is its predecessor's size).
  Row cells;
  if (!rows_.empty()) cells.reserve(std::prev(rows_.end())->second.size());
  return rows_.emplace_hint(rows_.end(), row, std::move(cells))->second;
}

void Sheet::Put(std::int32_t row, const Cell& cell) {
  last_next_ = nullptr;
  if (last_put_ != nullptr && last_put_row_ == row && last_put_->column == cell.column) {
    *last_put_ = cell;  // already counted and inside the used range
    return;
  }
  // Writes in row-major order (a walk filling a result sheet) land in the last row or a new one
  // after it: no search of the row map, and the cell goes to the end of its row.
  Row* last = rows_.empty() ? nullptr : &std::prev(rows_.end())->second;
  const std::int32_t last_row = rows_.empty() ? 0 : std::prev(rows_.end())->first;
  Row& cells = last_row == row ? *last : last_row < row ? NewLastRow(row) : rows_[row];
  last_put_row_ = row;
  if (cells.empty() || cells.back().column < cell.column) {
    cells.push_back(cell);
    last_put_ = &cells.back();
    ++cell_count_;
    Grow(row, cell.column);
    return;
  }
  auto it = std::lower_bound(cells.begin(), cells.end(), cell.column, ColumnLess);
  if (it != cells.end() && it->column == cell.column) {
    *it = cell;
  } else {
    it = cells.insert(it, cell);
    ++cell_count_;
  }
  last_put_ = &*it;
  Grow(row, cell.column);
}

void Sheet::Append(std::int32_t row, const Cell& cell) {
  last_put_ = nullptr;
  last_next_ = nullptr;
  if (!rows_.empty()) {
    auto last = std::prev(rows_.end());
    if (last->first == row) {
      if (last->second.empty() || last->second.back().column < cell.column) {
        last->second.push_back(cell);
        ++cell_count_;
        Grow(row, cell.column);
        return;
      }
      Put(row, cell);
      return;
    }
    if (last->first > row) {
      Put(row, cell);
      return;
    }
  }
  NewLastRow(row).push_back(cell);
  ++cell_count_;
  Grow(row, cell.column);
}

void Sheet::ClearCells() {
  rows_.clear();
  last_put_ = nullptr;
  last_next_ = nullptr;
  cell_count_ = 0;
  used_ = {};
  last_found_ = rows_.end();
}

const Cell* Sheet::Find(std::int32_t row, std::int32_t column) const {
  if (last_put_ != nullptr && last_put_row_ == row && last_put_->column == column) {
    return last_put_;
  }
  if (last_next_ != nullptr && last_next_row_ == row && last_next_->column == column) {
    return last_next_;
  }
  if (last_found_ == rows_.end() || last_found_->first != row) {
    auto it = rows_.find(row);
    if (it == rows_.end()) return nullptr;
    last_found_ = it;
  }
  const Row& cells = last_found_->second;
  auto it = std::lower_bound(cells.begin(), cells.end(), column, ColumnLess);
  if (it == cells.end() || it->column != column) return nullptr;
  return &*it;
}

std::optional<CellPos> Sheet::NextWithValue(CellPos from, CellPos last) const {
  if (from.row < 1) from = {1, 1};
  if (from.column < 1) from.column = 1;
  // A walk asks for the next cell right after the one it just read: start from the cached row.
  auto row = (last_found_ != rows_.end() && last_found_->first == from.row)
                 ? last_found_
                 : rows_.lower_bound(from.row);
  for (; row != rows_.end() && row->first <= last.row; ++row) {
    const Row& cells = row->second;
    const std::int32_t first_column = row->first == from.row ? from.column : 1;
    for (auto it = std::lower_bound(cells.begin(), cells.end(), first_column, ColumnLess);
         it != cells.end() && it->column <= last.column; ++it) {
      if (it->HasValue()) {
        last_next_ = &*it;
        last_next_row_ = row->first;
        return CellPos{row->first, it->column};
      }
    }
  }
  return std::nullopt;
}

}  // namespace brintova::engine::model
