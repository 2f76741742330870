// Batches of cells between the thread that parses a worksheet part and the one that owns the
// sheet: a few batches go round between the two, so memory stays flat however large the part.
#include "engine/package/cell_handoff.h"

#include <exception>
#include <system_error>
#include <thread>

namespace brintova::engine::package {

namespace {

constexpr std::size_t kBatchesInFlight = 4;

// Thrown on the reading thread once the storing side has failed, to end the parse.
struct Cancelled {};

}  // namespace

void CellHandoff::Put(std::int32_t row, const model::Cell& cell) {
  if (!batched_) {
    sheet_.Append(row, cell);
    return;
  }
  filling_->cells.push_back({row, 0, cell});
  if (filling_->cells.size() >= kBatchCells) HandOver();
}

void CellHandoff::PutText(std::int32_t row, model::Cell cell, std::u16string_view text) {
  if (!batched_) {
    cell.index = sheet_.strings().Add(text);
    sheet_.Append(row, cell);
    return;
  }
  cell.index = static_cast<std::uint32_t>(filling_->texts.size());
  filling_->texts.append(text);
  filling_->cells.push_back({row, static_cast<std::uint32_t>(text.size()), cell});
  if (filling_->cells.size() >= kBatchCells) HandOver();
}

void CellHandoff::HandOver() {
  std::unique_lock lock(mutex_);
  full_.push_back(filling_);
  filling_ = nullptr;
  changed_.notify_all();
  changed_.wait(lock, [&] { return cancelled_ || !free_.empty(); });
  if (cancelled_) throw Cancelled{};
  filling_ = free_.front();
  free_.pop_front();
}

void CellHandoff::Store(Batch& batch) {
  const std::u16string_view texts(batch.texts);
  for (Pending& pending : batch.cells) {
    if (pending.cell.type == model::CellType::kOwnedString) {
      pending.cell.index =
          sheet_.strings().Add(texts.substr(pending.cell.index, pending.text_size));
    }
    sheet_.Append(pending.row, pending.cell);
  }
  batch.cells.clear();
  batch.texts.clear();
}

void CellHandoff::RunAlongside(const std::function<void()>& read) {
  std::vector<Batch> batches(kBatchesInFlight);
  for (Batch& batch : batches) {
    batch.cells.reserve(kBatchCells);
    free_.push_back(&batch);
  }
  filling_ = free_.front();
  free_.pop_front();
  batched_ = true;
  std::exception_ptr read_failure;
  std::thread reader;
  try {
    reader = std::thread([&] {
      try {
        read();
        std::lock_guard lock(mutex_);
        full_.push_back(filling_);
        filling_ = nullptr;
      } catch (const Cancelled&) {
      } catch (...) {
        read_failure = std::current_exception();
      }
      std::lock_guard lock(mutex_);
      read_done_ = true;
      changed_.notify_all();
    });
  } catch (const std::system_error&) {
    // No second thread: read here and store the cells as they come.
    batched_ = false;
    free_.clear();
    filling_ = nullptr;
    read();
    return;
  }
  std::exception_ptr store_failure;
  try {
    for (;;) {
      Batch* batch = nullptr;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return read_done_ || !full_.empty(); });
        if (full_.empty()) break;
        batch = full_.front();
        full_.pop_front();
      }
      Store(*batch);
      std::lock_guard lock(mutex_);
      free_.push_back(batch);
      changed_.notify_all();
    }
  } catch (...) {
    store_failure = std::current_exception();
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    changed_.notify_all();
  }
  reader.join();
  batched_ = false;
  if (read_failure) std::rethrow_exception(read_failure);
  if (store_failure) std::rethrow_exception(store_failure);
}

}  // namespace brintova::engine::package
