// The slots that carry inflated chunks and batches of cells between two threads: everything
// handed over arrives once and in order, and either side can stop the other.
#include "engine/package/slot_relay.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace brintova::engine::package {
namespace {

struct Slot {
  std::vector<int> values;
};

TEST(SlotRelay, CarriesEverythingInOrderThroughAFewSlots) {
  std::vector<Slot> slots(3);
  SlotRelay<Slot> relay(slots);
  std::thread producer([&] {
    int next = 0;
    while (next < 10000) {
      Slot* slot = relay.TakeFree();
      ASSERT_NE(slot, nullptr);
      EXPECT_TRUE(slot->values.empty());  // given back emptied, never handed over twice
      for (int i = 0; i < 7 && next < 10000; ++i) slot->values.push_back(next++);
      relay.HandOver(slot);
    }
    relay.Finish();
  });
  std::vector<int> received;
  while (Slot* slot = relay.TakeFull()) {
    received.insert(received.end(), slot->values.begin(), slot->values.end());
    slot->values.clear();
    relay.GiveBack(slot);
  }
  producer.join();
  ASSERT_EQ(received.size(), 10000u);
  for (int i = 0; i < 10000; ++i) ASSERT_EQ(received[static_cast<std::size_t>(i)], i);
}

TEST(SlotRelay, EitherSideStopsTheOther) {
  {
    // The consumer gives up: a producer waiting for a free slot is told to stop.
    std::vector<Slot> slots(2);
    SlotRelay<Slot> relay(slots);
    int handed_over = 0;
    std::thread producer([&] {
      while (Slot* slot = relay.TakeFree()) {
        relay.HandOver(slot);
        ++handed_over;
      }
    });
    ASSERT_NE(relay.TakeFull(), nullptr);
    relay.Cancel();
    producer.join();  // would hang if the producer kept waiting
    EXPECT_LE(handed_over, 3);
    EXPECT_EQ(relay.TakeFull(), nullptr);
  }
  {
    // The producer ends early: what it handed over still arrives, then the consumer is told.
    std::vector<Slot> slots(2);
    SlotRelay<Slot> relay(slots);
    std::thread producer([&] {
      Slot* slot = relay.TakeFree();
      slot->values = {42};
      relay.HandOver(slot);
      relay.Finish();
    });
    Slot* first = relay.TakeFull();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->values, std::vector<int>{42});
    EXPECT_EQ(relay.TakeFull(), nullptr);
    producer.join();
  }
}

}  // namespace
}  // namespace brintova::engine::package
