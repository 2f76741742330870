// Counts the heap allocations of the test program, so that a test can prove a path makes none.
#pragma once

namespace brintova::numfmt {

long AllocationCount();

}  // namespace brintova::numfmt
