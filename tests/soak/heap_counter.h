// Counts the heap blocks this test program allocates and frees, through its
// own global operator new and delete, so that a test can tell whether a frame
// allocates and whether whole games leave anything behind.
#pragma once

#include <cstdint>

namespace vq::test {

struct HeapCount {
  int64_t allocations;  // blocks allocated so far
  int64_t live;         // blocks not yet freed
};

HeapCount CountHeap();

}  // namespace vq::test
