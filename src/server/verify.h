// The server's one door into the game's code: a replay's bytes played again
// with the very frame steps the game runs (vq_core, as velquadro-verify does),
// headless. Everything else in the server sees only what this returns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vq::server {

// What playing a submitted replay again found.
struct Verdict {
  bool plays;          // a replay that plays to its recorded result
  std::string reason;  // why not, in the words of velquadro --verify
  int32_t mode;        // 0 for Play, else the Time attack limit in seconds
  int32_t score;
  int32_t seconds;
  int32_t frames;
};

// The most bytes a replay file can take: a longer body is no replay.
size_t MostReplayBytes();

// Plays the replay in data again; never reads past size.
Verdict VerifyReplay(const uint8_t* data, size_t size);

}  // namespace vq::server
