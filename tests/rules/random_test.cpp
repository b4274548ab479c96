// The game's own random numbers are the C library's, seed for seed: every
// game plays as it did when it drew from rand().
#include "rules/random.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vq {
namespace {

TEST(Random, SameNumbersAsTheCLibraryForEverySeed) {
  // 0 seeds as 1; seeds from 2^31 up start the seeding from a negative value;
  // the game's reseeds are such large values.
  const uint32_t seeds[] = {0, 1, 2, 77, 2147483647u, 2147483648u, 4294967295u, 1700000000u * 1000003u + 20u};
  for (uint32_t seed : seeds) {
    Random random;
    SeedRandom(random, seed);
    std::srand(seed);
    for (int n = 0; n < 2000; ++n) ASSERT_EQ(NextRandom(random), std::rand()) << "seed " << seed << ", number " << n;
  }
}

}  // namespace
}  // namespace vq
