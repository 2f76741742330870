// Cells read from a worksheet part on their way into the sheet: stored at once, or gathered in
// batches that the reading thread hands to the thread that owns the sheet, so that parsing the
// XML and filling the cell store run side by side on two cores.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/model/sheet.h"
#include "engine/package/slot_relay.h"

namespace brintova::engine::package {

class CellHandoff {
 public:
  explicit CellHandoff(model::Sheet& sheet) : sheet_(sheet) {}
  CellHandoff(const CellHandoff&) = delete;
  CellHandoff& operator=(const CellHandoff&) = delete;

  // Stores a cell the way Sheet::Append does.
  void Put(std::int32_t row, const model::Cell& cell);
  // Stores a kOwnedString cell with its text, which goes into the sheet's own strings.
  void PutText(std::int32_t row, model::Cell cell, std::u16string_view text);
  // Stores a kNumber cell from the text of its value (not empty), read on the storing side: a
  // number, #NUM! for one too large, or the text itself as an owned string when it is none.
  void PutNumber(std::int32_t row, model::Cell cell, std::string_view text);

  // Runs `read`, which stores through Put and PutText, on a thread of its own while this thread
  // fills the sheet with what it hands over; returns once both are done. A failure on either
  // side stops the other and is rethrown here (the reading side's first). Runs `read` on this
  // thread, storing at once, when no thread can be started.
  void RunAlongside(const std::function<void()>& read);

  // Cells handed over in one batch.
  static constexpr std::size_t kBatchCells = 4096;

 private:
  struct Pending {
    std::int32_t row;
    // kOwnedString: the text's length, its start in cell.index (in Batch::texts); kNumber: the
    // same for the number's text (in Batch::numbers), or 0 for a value already read.
    std::uint32_t text_size;
    model::Cell cell;
  };
  struct Batch {
    std::vector<Pending> cells;
    std::u16string texts;
    std::string numbers;
  };
  // Queues a cell whose text goes across in `buffer` of the batch being filled: the text's start
  // in cell.index, its length beside the cell.
  template <typename Buffer, typename Text>
  void Queue(std::int32_t row, model::Cell cell, Buffer& buffer, Text text);
  void HandOver();
  void Store(Batch& batch);
  void StoreNumber(std::int32_t row, model::Cell cell, std::string_view text);

  model::Sheet& sheet_;
  SlotRelay<Batch>* relay_ = nullptr;  // set while cells go across in batches
  Batch* filling_ = nullptr;
};

}  // namespace brintova::engine::package
