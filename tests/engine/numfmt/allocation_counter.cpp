// Replaces the global operator new of the test program with one that counts, then forwards to
// malloc. Kept apart from the tests so that the compiler does not pair the calls across inlining.
#include "allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace brintova::numfmt {

long AllocationCount() { return g_allocations.load(std::memory_order_relaxed); }

}  // namespace brintova::numfmt
