#include "rules/random.h"

namespace vq {

namespace {

constexpr int32_t kDegree = 31;
constexpr int32_t kSeparation = 3;

}  // namespace

void SeedRandom(Random& random, uint32_t seed) {
  if (seed == 0) seed = 1;
  random.table[0] = static_cast<int32_t>(seed);
  // 16807 * word mod (2^31 - 1) without overflow (Schrage's method), from
  // the seed taken as a signed 32-bit value: a seed of 2^31 or more starts
  // negative, as it does in the C library.
  int32_t word = static_cast<int32_t>(seed);
  for (int32_t i = 1; i < kDegree; ++i) {
    const int32_t hi = word / 127773;
    const int32_t lo = word % 127773;
    word = 16807 * lo - 2836 * hi;
    if (word < 0) word += 2147483647;
    random.table[i] = word;
  }
  random.front = kSeparation;
  random.rear = 0;
  for (int32_t i = 0; i < 10 * kDegree; ++i) NextRandom(random);
}

int32_t NextRandom(Random& random) {
  int32_t* table = random.table;
  const uint32_t sum = static_cast<uint32_t>(table[random.front]) + static_cast<uint32_t>(table[random.rear]);
  table[random.front] = static_cast<int32_t>(sum);
  random.front = (random.front + 1) % kDegree;
  random.rear = (random.rear + 1) % kDegree;
  // The lowest bit is the least random.
  return static_cast<int32_t>(sum >> 1);
}

}  // namespace vq
