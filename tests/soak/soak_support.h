// What the long runs share: their size from the environment, a scratch
// directory for the hiscore file, and a test platform whose records are kept
// from growing.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/fake_platform.h"

namespace vq::test {

inline int64_t EnvCount(const char* name, int64_t fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr) return fallback;
  const long long value = std::atoll(text);
  return value > 0 ? value : fallback;
}

// The records a frame adds to: room reserved once, so that keeping them costs
// no allocation inside a frame.
inline void ReserveRecords(FakePlatform& fake) {
  fake.blits.reserve(8192);
  fake.delays.reserve(64);
  fake.tick_readings.reserve(64);
  fake.audio_calls.reserve(64);
}

inline void ClearRecords(FakePlatform& fake) {
  fake.blits.clear();
  fake.delays.clear();
  fake.tick_readings.clear();
  fake.audio_calls.clear();
}

// Makes a fresh directory the current one for the life of the object, so that
// the games' hiscore file lands there.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    char pattern[] = "/tmp/vq_soak_XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    dir_ = pattern;
    char* old = getcwd(nullptr, 0);
    old_ = old;
    std::free(old);
    if (chdir(dir_.c_str()) != 0) std::abort();
  }
  ~ScratchDirectory() {
    if (chdir(old_.c_str()) != 0) std::abort();
    const std::string command = "rm -rf '" + dir_ + "'";
    if (std::system(command.c_str()) != 0) std::abort();
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

 private:
  std::string dir_;
  std::string old_;
};

}  // namespace vq::test
