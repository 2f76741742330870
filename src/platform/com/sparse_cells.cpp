#include "platform/com/sparse_cells.h"

#include <algorithm>

#include "platform/com/dispatch.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::com {

std::u16string CellReference(std::int32_t row, std::int32_t column) {
  std::u16string letters;
  for (std::int32_t n = column; n > 0; n = (n - 1) / 26) {
    letters.insert(letters.begin(), static_cast<char16_t>(u'A' + (n - 1) % 26));
  }
  return letters + DecimalText(row);
}

void SparseCells::Forget() {
  used_.reset();
  block_ = Area{};
  filled_.clear();
}

std::optional<CellPosition> SparseCells::Next(CellPosition from, CellPosition end) {
  if (!used_) {
    ComPtr<IDispatch> used = GetChild(sheet_, u"UsedRange");
    Area area;
    area.top = Get(used.get(), u"Row").ToInt32();
    area.left = Get(used.get(), u"Column").ToInt32();
    area.bottom = area.top + Get(GetChild(used.get(), u"Rows").get(), u"Count").ToInt32() - 1;
    area.right = area.left + Get(GetChild(used.get(), u"Columns").get(), u"Count").ToInt32() - 1;
    used_ = area;
  }
  const std::int32_t bottom = std::min(end.row, used_->bottom);
  const std::int32_t right = std::min(end.column, used_->right);
  // The rest of the row `from` is on, then every row below it: each is searched in row order.
  if (from.row >= used_->top) {
    const Area rest{from.row, std::max(from.column, used_->left), std::min(from.row, bottom),
                    right};
    if (const auto found = FirstIn(rest)) return found;
  }
  return FirstIn(Area{std::max(from.row + 1, used_->top), used_->left, bottom, right});
}

std::optional<CellPosition> SparseCells::FirstIn(Area area) {
  if (area.Empty()) return std::nullopt;
  // Rows the last block covers across the whole width asked about come from memory.
  if (!block_.Empty() && block_.left <= area.left && area.right <= block_.right &&
      block_.top <= area.top && area.top <= block_.bottom) {
    const Area known{area.top, area.left, std::min(area.bottom, block_.bottom), area.right};
    if (const auto found = ScanBlock(known)) return found;
    area.top = known.bottom + 1;
    if (area.Empty()) return std::nullopt;
  }
  if (area.Cells() <= kBlockCells) {
    ReadBlock(area);
    return ScanBlock(area);
  }
  if (!HasContent(area)) return std::nullopt;
  Area first = area;
  Area second = area;
  if (area.bottom > area.top) {
    first.bottom = area.top + (area.bottom - area.top) / 2;
    second.top = first.bottom + 1;
  } else {
    first.right = area.left + (area.right - area.left) / 2;
    second.left = first.right + 1;
  }
  if (const auto found = FirstIn(first)) return found;
  return FirstIn(second);
}

std::optional<CellPosition> SparseCells::ScanBlock(const Area& area) const {
  const std::int32_t width = block_.right - block_.left + 1;
  for (std::int32_t row = area.top; row <= area.bottom; ++row) {
    for (std::int32_t column = area.left; column <= area.right; ++column) {
      const auto index =
          static_cast<std::size_t>(row - block_.top) * width + (column - block_.left);
      if (filled_[index]) return CellPosition{row, column};
    }
  }
  return std::nullopt;
}

ComPtr<IDispatch> SparseCells::RangeOf(const Area& area) {
  std::u16string address = CellReference(area.top, area.left);
  if (area.bottom != area.top || area.right != area.left) {
    address += u":" + CellReference(area.bottom, area.right);
  }
  return GetChild(sheet_, u"Range", {Positional(Variant(address))});
}

void SparseCells::ReadBlock(const Area& area) {
  ++block_reads_;
  const VariantGrid grid(Get(RangeOf(area).get(), u"Value2"));
  const std::int32_t rows = area.bottom - area.top + 1;
  const std::int32_t columns = area.right - area.left + 1;
  if (grid.rows() != rows || grid.columns() != columns) {
    throw Failure(u"The spreadsheet application answered a block of cells of another size");
  }
  block_ = area;
  filled_.assign(static_cast<std::size_t>(area.Cells()), false);
  for (std::int32_t column = 1; column <= columns; ++column) {
    for (std::int32_t row = 1; row <= rows; ++row) {
      // Only an empty value shows no text for certain; "" from a formula may still be formatted.
      if (grid.at(row, column).vt != VT_EMPTY) {
        filled_[static_cast<std::size_t>(row - 1) * columns + (column - 1)] = true;
      }
    }
  }
}

bool SparseCells::HasContent(const Area& area) {
  if (!functions_) {
    const ComPtr<IDispatch> application = GetChild(sheet_, u"Application");
    functions_ = GetChild(application.get(), u"WorksheetFunction");
  }
  ++counts_;
  const ComPtr<IDispatch> range = RangeOf(area);
  return Call(functions_.get(), u"CountA", {Positional(Variant(range.get()))}).ToDouble() != 0;
}

}  // namespace brintova::com
