// One sheet of the in-memory workbook: its name, kind and visibility, where it came from in the
// file, and a sparse cell store: each row's cells lie side by side, sorted by column, in large
// chunks of cells, and rows are found through blocks of 8 rows in a map.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <span>
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
  struct RowSlot {
    Cell* cells = nullptr;  // in one of chunks_
    std::uint32_t size = 0;
    std::uint32_t capacity = 0;
  };
  static constexpr int kBlockShift = 3;
  static constexpr std::int32_t kBlockRows = 1 << kBlockShift;
  struct RowBlock {
    std::uint32_t present = 0;  // bit i: row (block << kBlockShift) + i holds cells
    std::array<RowSlot, kBlockRows> row_slots{};
  };
  using Blocks = std::map<std::int32_t, RowBlock>;

 public:
  // One row as stored: its number and its cells, sorted by column, never empty.
  struct RowCells {
    std::int32_t row;
    std::span<const Cell> cells;
  };

  // The rows in ascending order.
  class RowIterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = RowCells;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = RowCells;

    RowIterator() = default;
    RowCells operator*() const {
      const RowSlot& slot = block_->second.row_slots[static_cast<std::size_t>(index_)];
      return {(block_->first << kBlockShift) + index_, {slot.cells, slot.size}};
    }
    RowIterator& operator++();
    RowIterator operator++(int) {
      RowIterator before = *this;
      ++*this;
      return before;
    }
    friend bool operator==(const RowIterator& a, const RowIterator& b) {
      return a.block_ == b.block_ && a.index_ == b.index_;
    }

   private:
    friend class Sheet;
    RowIterator(Blocks::const_iterator block, Blocks::const_iterator end, int index)
        : block_(block), end_(end), index_(index) {}
    Blocks::const_iterator block_, end_;
    int index_ = 0;
  };

  class Rows {
   public:
    RowIterator begin() const;
    RowIterator end() const { return {blocks_->end(), blocks_->end(), 0}; }

   private:
    friend class Sheet;
    explicit Rows(const Blocks& blocks) : blocks_(&blocks) {}
    const Blocks* blocks_;
  };

  Sheet(std::u16string name, SheetKind kind) : name_(std::move(name)), kind_(kind) {}
  // Not copied or moved: the store keeps pointers to its own rows and cells.
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
  // in the grid (the caller checks). Used both by readers and by writes; cells in row-major
  // order go to the end of the store at once, others move what they must.
  void Put(std::int32_t row, const Cell& cell);
  // What readers call: the same as Put, which needs no separate path for cells in order.
  void Append(std::int32_t row, const Cell& cell) { Put(row, cell); }

  // Drops every cell (the strings stay), for a reader that must store them again in order.
  void ClearCells();

  // The cell at (row, column), or nullptr when none is stored.
  const Cell* Find(std::int32_t row, std::int32_t column) const;

  // The first cell with a value at or after `from` in row-major order, within rows
  // from.row..last_row and columns 1..last_column; nullopt when there is none.
  std::optional<CellPos> NextWithValue(CellPos from, CellPos last) const;

  UsedRange used_range() const { return used_; }
  std::size_t CellCount() const { return cell_count_; }
  Rows rows() const { return Rows(blocks_); }
  // The cells of one row, sorted by column; empty when the row holds none.
  std::span<const Cell> RowOf(std::int32_t row) const;

  // The strings owned by this sheet's kOwnedString cells (inline strings, formula strings,
  // values written since opening).
  StringPool& strings() { return strings_; }
  const StringPool& strings() const { return strings_; }

 private:
  void Grow(std::int32_t row, std::int32_t column);
  // The slot of `row`, or nullptr when the row holds no cells.
  const RowSlot* FindSlot(std::int32_t row) const;
  // The slot of `row`, made (empty) when the row holds no cells yet.
  RowSlot& SlotFor(std::int32_t row);
  // Room for `count` cells at the end of the last chunk, starting a chunk when it has too little.
  Cell* Allocate(std::size_t count);
  // Room for one more cell in `slot`: taken from the chunk's end when the row ends there, else
  // the row moves to the end with room to double.
  void Widen(RowSlot& slot);

  std::u16string name_;
  SheetKind kind_;
  Visibility visibility_ = Visibility::kVisible;
  std::string part_name_;
  std::string relationship_id_;
  std::uint32_t sheet_id_ = 0;
  bool changed_ = false;
  std::size_t cell_count_ = 0;
  UsedRange used_;
  StringPool strings_;

  Blocks blocks_;
  // Cells, in chunks that start small (a sheet of a few cells) and double up to 1 MiB. Space a
  // row leaves behind when it moves is not reused.
  struct ChunkFree {
    void operator()(Cell* cells) const { std::allocator<Cell>().deallocate(cells, size); }
    std::size_t size;
  };
  std::vector<std::unique_ptr<Cell[], ChunkFree>> chunks_;
  Cell* tip_ = nullptr;  // the first cell of the last chunk no row holds
  std::size_t tip_room_ = 0;
  // The row stored last and the block looked up last: a walk or a reader in row-major order
  // needs no search of the map.
  std::int32_t last_row_ = 0;
  RowSlot* last_slot_ = nullptr;
  mutable Blocks::const_iterator last_block_ = blocks_.end();
  // The cell stored last, and the cell NextWithValue found last: a write of a cell's format and
  // then of its value, and a walk reading the cell it was just pointed to, find it at once.
  // Every change of the store sets or clears both, so neither points at a moved cell.
  Cell* last_put_ = nullptr;
  std::int32_t last_put_row_ = 0;
  mutable const Cell* last_next_ = nullptr;
  mutable const Cell* last_next_end_ = nullptr;  // the end of its row's cells
  mutable std::int32_t last_next_row_ = 0;
};

}  // namespace brintova::engine::model
