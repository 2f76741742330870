// A fixed set of slots that go round between a producing thread and a consuming one: the
// producer takes a free slot, fills it and hands it over; the consumer takes the full slots in
// the order they were handed over, empties each and gives it back. Memory stays at the slots
// however much passes through. Either side can cancel, which wakes the other.
//
//   producer: while (Slot* s = relay.TakeFree()) { fill(*s); relay.HandOver(s); }
//             relay.Finish();
//   consumer: while (Slot* s = relay.TakeFull()) { empty(*s); relay.GiveBack(s); }
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>

namespace brintova::engine::package {

template <typename Slot>
class SlotRelay {
 public:
  // Every slot starts free; the relay does not own them.
  template <typename Slots>
  explicit SlotRelay(Slots& slots) {
    for (Slot& slot : slots) free_.push_back(&slot);
  }
  SlotRelay(const SlotRelay&) = delete;
  SlotRelay& operator=(const SlotRelay&) = delete;

  // A free slot, waiting for the consumer to give one back; nullptr once cancelled.
  Slot* TakeFree() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return cancelled_ || !free_.empty(); });
    if (cancelled_) return nullptr;
    Slot* slot = free_.front();
    free_.pop_front();
    return slot;
  }

  void HandOver(Slot* slot) {
    std::lock_guard lock(mutex_);
    full_.push_back(slot);
    changed_.notify_all();
  }

  // The producer has handed over all it will.
  void Finish() {
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
  }

  // The next full slot, waiting for the producer; nullptr once the producer has finished and
  // every slot it handed over was taken, or once cancelled.
  Slot* TakeFull() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return cancelled_ || finished_ || !full_.empty(); });
    if (cancelled_ || full_.empty()) return nullptr;
    Slot* slot = full_.front();
    full_.pop_front();
    return slot;
  }

  void GiveBack(Slot* slot) {
    std::lock_guard lock(mutex_);
    free_.push_back(slot);
    changed_.notify_all();
  }

  // Stops both sides: TakeFree and TakeFull answer nullptr from now on.
  void Cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Slot*> free_, full_;
  bool finished_ = false;
  bool cancelled_ = false;
};

}  // namespace brintova::engine::package
