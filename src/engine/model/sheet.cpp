// Sparse cell store of a sheet: rows of cells side by side in chunks, found through blocks of
// rows, used-range bounds kept as cells arrive.
#include "engine/model/sheet.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>

namespace brintova::engine::model {

namespace {

constexpr std::size_t kFirstChunkCells = 4;
constexpr std::size_t kMaxChunkCells = std::size_t{1} << 16;  // 1 MiB

static_assert(std::is_trivially_copyable_v<Cell>, "cells are moved as bytes");

bool ColumnLess(const Cell& cell, std::int32_t column) { return cell.column < column; }

// The present rows of a block at or after `index`, as a mask.
std::uint32_t PresentFrom(std::uint32_t present, int index) {
  return index >= 32 ? 0 : present & (~std::uint32_t{0} << index);
}

}  // namespace

Sheet::RowIterator& Sheet::RowIterator::operator++() {
  const std::uint32_t rest = PresentFrom(block_->second.present, index_ + 1);
  if (rest != 0) {
    index_ = std::countr_zero(rest);
    return *this;
  }
  // Every block holds at least one row: the next block's first.
  if (++block_ == end_) {
    index_ = 0;
  } else {
    index_ = std::countr_zero(block_->second.present);
  }
  return *this;
}

Sheet::RowIterator Sheet::Rows::begin() const {
  if (blocks_->empty()) return end();
  const auto first = blocks_->begin();
  return {first, blocks_->end(), std::countr_zero(first->second.present)};
}

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

Cell* Sheet::Allocate(std::size_t count) {
  if (tip_room_ < count) {
    const std::size_t grown = chunks_.empty()
                                  ? kFirstChunkCells
                                  : std::min(chunks_.back().get_deleter().size * 2, kMaxChunkCells);
    const std::size_t size = std::max(grown, count);
    // Cells are trivially copyable: the chunk's memory is used as cells as they are written.
    chunks_.emplace_back(std::allocator<Cell>().allocate(size), ChunkFree{size});
    tip_ = chunks_.back().get();
    tip_room_ = size;
  }
  Cell* cells = tip_;
  tip_ += count;
  tip_room_ -= count;
  return cells;
}

void Sheet::Widen(RowSlot& slot) {
  if (slot.size < slot.capacity) return;
  if (slot.cells != nullptr && slot.cells + slot.capacity == tip_ && tip_room_ > 0) {
    // The row ends where the free space begins: it grows in place, a cell at a time, so rows
    // read in order lie back to back with no room between them.
    ++tip_;
    --tip_room_;
    ++slot.capacity;
    return;
  }
  // A row that ends at the tip moves with room for one more (it goes on growing in place);
  // any other doubles, so that writes out of order move it only now and then.
  const bool at_tip = slot.cells != nullptr && slot.cells + slot.capacity == tip_;
  const std::size_t capacity = at_tip || slot.size == 0 ? slot.size + 1 : slot.size * 2;
  Cell* moved = Allocate(capacity);
  if (slot.size > 0) std::memcpy(moved, slot.cells, slot.size * sizeof(Cell));
  slot.cells = moved;
  slot.capacity = static_cast<std::uint32_t>(capacity);
}

const Sheet::RowSlot* Sheet::FindSlot(std::int32_t row) const {
  const std::int32_t block = row >> kBlockShift;
  if (last_block_ == blocks_.end() || last_block_->first != block) {
    const auto it = blocks_.find(block);
    if (it == blocks_.end()) return nullptr;
    last_block_ = it;
  }
  const int index = row & (kBlockRows - 1);
  if ((last_block_->second.present & (std::uint32_t{1} << index)) == 0) return nullptr;
  return &last_block_->second.row_slots[static_cast<std::size_t>(index)];
}

Sheet::RowSlot& Sheet::SlotFor(std::int32_t row) {
  const std::int32_t block = row >> kBlockShift;
  // Rows in order land in the last block or a new one after it: no search of the map.
  const auto it = !blocks_.empty() && std::prev(blocks_.end())->first <= block
                      ? blocks_.try_emplace(blocks_.end(), block)
                      : blocks_.try_emplace(block).first;
  const int index = row & (kBlockRows - 1);
  it->second.present |= std::uint32_t{1} << index;
  return it->second.row_slots[static_cast<std::size_t>(index)];
}

void Sheet::Put(std::int32_t row, const Cell& cell) {
  last_next_ = nullptr;
  if (last_put_ != nullptr && last_put_row_ == row && last_put_->column == cell.column) {
    *last_put_ = cell;  // already counted and inside the used range
    return;
  }
  RowSlot& slot = last_slot_ != nullptr && last_row_ == row ? *last_slot_ : SlotFor(row);
  last_row_ = row;
  last_slot_ = &slot;
  last_put_row_ = row;
  Cell* const end = slot.cells + slot.size;
  if (slot.size == 0 || end[-1].column < cell.column) {
    Widen(slot);
    last_put_ = slot.cells + slot.size;
    *last_put_ = cell;
    ++slot.size;
    ++cell_count_;
    Grow(row, cell.column);
    return;
  }
  Cell* at = std::lower_bound(slot.cells, end, cell.column, ColumnLess);
  if (at->column == cell.column) {
    *at = cell;
  } else {
    const std::size_t offset = static_cast<std::size_t>(at - slot.cells);
    Widen(slot);
    at = slot.cells + offset;
    std::memmove(at + 1, at, (slot.size - offset) * sizeof(Cell));
    *at = cell;
    ++slot.size;
    ++cell_count_;
  }
  last_put_ = at;
  Grow(row, cell.column);
}

void Sheet::ClearCells() {
  blocks_.clear();
  chunks_.clear();
  tip_ = nullptr;
  tip_room_ = 0;
  last_row_ = 0;
  last_slot_ = nullptr;
  last_block_ = blocks_.end();
  last_put_ = nullptr;
  last_next_ = nullptr;
  cell_count_ = 0;
  used_ = {};
}

std::span<const Cell> Sheet::RowOf(std::int32_t row) const {
  const RowSlot* slot = FindSlot(row);
  if (slot == nullptr) return {};
  return {slot->cells, slot->size};
}

const Cell* Sheet::Find(std::int32_t row, std::int32_t column) const {
  if (last_put_ != nullptr && last_put_row_ == row && last_put_->column == column) {
    return last_put_;
  }
  if (last_next_ != nullptr && last_next_row_ == row && last_next_->column == column) {
    return last_next_;
  }
  const std::span<const Cell> cells = RowOf(row);
  const auto it = std::lower_bound(cells.begin(), cells.end(), column, ColumnLess);
  if (it == cells.end() || it->column != column) return nullptr;
  return &*it;
}

std::optional<CellPos> Sheet::NextWithValue(CellPos from, CellPos last) const {
  if (from.row < 1) from = {1, 1};
  if (from.column < 1) from.column = 1;
  if (last_next_ != nullptr && from.row == last_next_row_ && from.row <= last.row &&
      from.column == last_next_->column + 1) {
    // A walk asks for the next cell right after the one found last: go on along its row, and
    // look the rows up again only once it is done.
    for (const Cell* it = last_next_ + 1; it != last_next_end_ && it->column <= last.column; ++it) {
      if (it->HasValue()) {
        last_next_ = it;
        return CellPos{from.row, it->column};
      }
    }
    if (from.row >= last.row) return std::nullopt;
    from = {from.row + 1, 1};
  }
  const std::int32_t first_block = from.row >> kBlockShift;
  // A walk asks for the next cell right after the one it just read: start from the cached block.
  auto block = last_block_ != blocks_.end() && last_block_->first == first_block
                   ? last_block_
                   : blocks_.lower_bound(first_block);
  for (; block != blocks_.end() && (block->first << kBlockShift) <= last.row; ++block) {
    const int from_index = block->first == first_block ? from.row & (kBlockRows - 1) : 0;
    for (std::uint32_t rows = PresentFrom(block->second.present, from_index); rows != 0;
         rows &= rows - 1) {
      const int index = std::countr_zero(rows);
      const std::int32_t row = (block->first << kBlockShift) + index;
      if (row > last.row) return std::nullopt;
      const RowSlot& slot = block->second.row_slots[static_cast<std::size_t>(index)];
      const Cell* const begin = slot.cells;
      const Cell* const end = begin + slot.size;
      const std::int32_t first_column = row == from.row ? from.column : 1;
      for (const Cell* it = std::lower_bound(begin, end, first_column, ColumnLess);
           it != end && it->column <= last.column; ++it) {
        if (it->HasValue()) {
          last_block_ = block;
          last_next_ = it;
          last_next_end_ = end;
          last_next_row_ = row;
          return CellPos{row, it->column};
        }
      }
    }
  }
  return std::nullopt;
}

}  // namespace brintova::engine::model
