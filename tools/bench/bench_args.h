// Reading the benchmark's numeric arguments.
#pragma once

#include <cstdlib>

namespace vq {

// Reads a whole decimal number from min to max into *value; false (and
// *value untouched) for anything else.
inline bool ParseCount(const char* text, long min, long max, int* value) {
  char* end = nullptr;
  const long parsed = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || parsed < min || parsed > max) return false;
  *value = static_cast<int>(parsed);
  return true;
}

}  // namespace vq
