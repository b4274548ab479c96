// The random numbers of one game: the same numbers as the C library's rand()
// after srand() with the same seed, but kept in the game's own state, so that
// a game is a function of its seed and its input alone and plays again the
// same way from a recording, on any machine.
#pragma once

#include <cstdint>

namespace vq {

// An additive feedback generator of degree 31 and separation 3, seeded by
// the minimal standard generator and stirred 310 times: the C library's.
struct Random {
  int32_t table[31];
  int32_t front;  // index of the value that is added to
  int32_t rear;   // index of the value added
};

// Seeds the generator; 0 seeds it as 1 does.
void SeedRandom(Random& random, uint32_t seed);

// The next number, 0 to 2^31 - 1.
int32_t NextRandom(Random& random);

}  // namespace vq
