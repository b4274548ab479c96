// The events a platform keeps for the program to take one at a time, oldest
// first. Plain C++, no SDL.
#pragma once

#include <array>
#include <cstddef>

#include "rules/input.h"

namespace vq {

// A ring of at most N events. When it is full the oldest event makes room:
// only the latest events matter to the move latch, and a flood must not
// crowd out what comes after it.
template <size_t N>
class EventRing {
 public:
  void Push(EventType type) {
    if (count_ == N) {
      first_ = (first_ + 1) % N;
      --count_;
    }
    events_[(first_ + count_) % N] = type;
    ++count_;
  }
  // Takes the oldest event; false when there is none.
  bool Take(EventType* type) {
    if (count_ == 0) return false;
    *type = events_[first_];
    first_ = (first_ + 1) % N;
    --count_;
    return true;
  }

 private:
  std::array<EventType, N> events_{};
  size_t first_ = 0;
  size_t count_ = 0;
};

}  // namespace vq
