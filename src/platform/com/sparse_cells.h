// Where a worksheet's content lies, learned from the application in blocks instead of one call
// per position: the values (Value2) of up to kBlockCells cells of the used range come in one
// SAFEARRAY, and a count of non-empty cells (WorksheetFunction.CountA) lets a walk pass over
// empty areas of any size, halving them until a block is small enough to read.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/com/variant.h"
#include "platform/spreadsheet_server.h"

namespace brintova::com {

inline constexpr std::int64_t kBlockCells = 65536;

class SparseCells {
 public:
  // `sheet` is the worksheet's automation object; the owner keeps it alive.
  explicit SparseCells(IDispatch* sheet) : sheet_(sheet) {}

  // The first position at or after `from`, row by row within rows 1..end.row and columns
  // 1..end.column, whose value is not empty; nullopt when there is none. Every position passed
  // over holds no value, so it shows no text. Throws Failure from the application.
  std::optional<CellPosition> Next(CellPosition from, CellPosition end);

  // Drops what was learned; the sheet was written to.
  void Forget();

  // Calls made on the application so far, for the benchmark.
  std::int64_t block_reads() const { return block_reads_; }
  std::int64_t counts() const { return counts_; }

 private:
  struct Area {
    std::int32_t top = 1, left = 1, bottom = 0, right = 0;  // inclusive; bottom < top: empty
    bool Empty() const { return bottom < top || right < left; }
    std::int64_t Cells() const {
      return Empty() ? 0 : std::int64_t{bottom - top + 1} * std::int64_t{right - left + 1};
    }
  };

  std::optional<CellPosition> FirstIn(Area area);
  std::optional<CellPosition> ScanBlock(const Area& area) const;
  void ReadBlock(const Area& area);
  bool HasContent(const Area& area);
  ComPtr<IDispatch> RangeOf(const Area& area);

  IDispatch* sheet_;
  std::optional<Area> used_;
  Area block_;  // the last block read, and which of its cells hold a value
  std::vector<bool> filled_;
  ComPtr<IDispatch> functions_;
  std::int64_t block_reads_ = 0;
  std::int64_t counts_ = 0;
};

// "A1", "XFD1048576", "B2:D9": A1-style references for Range(...).
std::u16string CellReference(std::int32_t row, std::int32_t column);

}  // namespace brintova::com
