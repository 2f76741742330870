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
  Slot* TakeFree() { return Take(free_, false); }
  void HandOver(Slot* slot) { Put(full_, slot); }

  // The producer has handed over all it will.
  void Finish() { Raise(finished_); }

  // The next full slot, waiting for the producer; nullptr once the producer has finished and
  // every slot it handed over was taken, or once cancelled.
  Slot* TakeFull() { return Take(full_, true); }
  void GiveBack(Slot* slot) { Put(free_, slot); }

  // Stops both sides: TakeFree and TakeFull answer nullptr from now on.
  void Cancel() { Raise(cancelled_); }

 private:
  Slot* Take(std::deque<Slot*>& from, bool until_finished) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock,
                  [&] { return cancelled_ || (until_finished && finished_) || !from.empty(); });
    if (cancelled_ || from.empty()) return nullptr;
    Slot* slot = from.front();
    from.pop_front();
    return slot;
  }

  void Raise(bool& flag) {
    std::lock_guard lock(mutex_);
    flag = true;
    changed_.notify_all();
  }

  void Put(std::deque<Slot*>& to, Slot* slot) {
    std::lock_guard lock(mutex_);
    to.push_back(slot);
    changed_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Slot*> free_, full_;
  bool finished_ = false;
  bool cancelled_ = false;
};

}  // namespace brintova::engine::package
