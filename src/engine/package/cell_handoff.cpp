// Batches of cells between the thread that parses a worksheet part and the one that owns the
// sheet: a few batches go round between the two, so memory stays flat however large the part.
#include "engine/package/cell_handoff.h"

#include <cmath>
#include <exception>
#include <system_error>
#include <thread>

#include "engine/package/number_text.h"
#include "engine/package/xml_reader.h"

namespace brintova::engine::package {

namespace {

constexpr std::size_t kBatchesInFlight = 4;

// Thrown on the reading thread once the storing side has failed, to end the parse.
struct Cancelled {};

}  // namespace

void CellHandoff::Put(std::int32_t row, const model::Cell& cell) {
  if (relay_ == nullptr) {
    sheet_.Append(row, cell);
    return;
  }
  filling_->cells.push_back({row, 0, cell});
  if (filling_->cells.size() >= kBatchCells) HandOver();
}

template <typename Buffer, typename Text>
void CellHandoff::Queue(std::int32_t row, model::Cell cell, Buffer& buffer, Text text) {
  cell.index = static_cast<std::uint32_t>(buffer.size());
  buffer.append(text);
  filling_->cells.push_back({row, static_cast<std::uint32_t>(text.size()), cell});
  if (filling_->cells.size() >= kBatchCells) HandOver();
}

void CellHandoff::PutText(std::int32_t row, model::Cell cell, std::u16string_view text) {
  if (relay_ == nullptr) {
    cell.index = sheet_.strings().Add(text);
    sheet_.Append(row, cell);
    return;
  }
  Queue(row, cell, filling_->texts, text);
}

void CellHandoff::PutNumber(std::int32_t row, model::Cell cell, std::string_view text) {
  if (relay_ == nullptr) {
    StoreNumber(row, cell, text);
    return;
  }
  // Reading the number is left to the storing side: on a part that is mostly numbers it is a
  // tenth of the parsing thread's work, and that thread is the one the other waits for.
  Queue(row, cell, filling_->numbers, text);
}

void CellHandoff::StoreNumber(std::int32_t row, model::Cell cell, std::string_view text) {
  const std::optional<double> number = ParseNumberText(text);
  if (!number) {
    // A loosely written file: what it says is kept as text.
    std::u16string owned;
    AppendUtf8(owned, text);
    model::CutCellText(owned);
    cell.type = model::CellType::kOwnedString;
    cell.index = sheet_.strings().Add(owned);
  } else if (!std::isfinite(*number)) {
    cell.type = model::CellType::kError;
    cell.error = model::ErrorValue::kNum;
  } else {
    cell.number = *number;
  }
  sheet_.Append(row, cell);
}

void CellHandoff::HandOver() {
  relay_->HandOver(filling_);
  filling_ = relay_->TakeFree();
  if (filling_ == nullptr) throw Cancelled{};
}

void CellHandoff::Store(Batch& batch) {
  const std::u16string_view texts(batch.texts);
  const std::string_view numbers(batch.numbers);
  for (Pending& pending : batch.cells) {
    if (pending.cell.type == model::CellType::kNumber && pending.text_size != 0) {
      StoreNumber(pending.row, pending.cell, numbers.substr(pending.cell.index, pending.text_size));
      continue;
    }
    if (pending.cell.type == model::CellType::kOwnedString) {
      pending.cell.index =
          sheet_.strings().Add(texts.substr(pending.cell.index, pending.text_size));
    }
    sheet_.Append(pending.row, pending.cell);
  }
  batch.cells.clear();
  batch.texts.clear();
  batch.numbers.clear();
}

void CellHandoff::RunAlongside(const std::function<void()>& read) {
  std::vector<Batch> batches(kBatchesInFlight);
  for (Batch& batch : batches) batch.cells.reserve(kBatchCells);
  SlotRelay<Batch> relay(batches);
  relay_ = &relay;
  filling_ = relay.TakeFree();
  std::exception_ptr read_failure;  // the reading side's, read once it has been joined
  std::thread reader;
  try {
    reader = std::thread([&] {
      try {
        read();
        relay.HandOver(filling_);
      } catch (const Cancelled&) {
      } catch (...) {
        read_failure = std::current_exception();
      }
      filling_ = nullptr;
      relay.Finish();
    });
  } catch (const std::system_error&) {
    // No second thread: read here and store the cells as they come.
    relay_ = nullptr;
    filling_ = nullptr;
    read();
    return;
  }
  std::exception_ptr store_failure;
  try {
    while (Batch* batch = relay.TakeFull()) {
      Store(*batch);
      relay.GiveBack(batch);
    }
  } catch (...) {
    store_failure = std::current_exception();
    relay.Cancel();
  }
  reader.join();
  relay_ = nullptr;
  if (read_failure) std::rethrow_exception(read_failure);
  if (store_failure) std::rethrow_exception(store_failure);
}

}  // namespace brintova::engine::package
