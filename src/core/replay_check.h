// A recorded game played again on its input alone, headless and as fast as
// possible, to check that it still plays to its recorded result: the pauses
// where the file says and nowhere else, the last frame, the Score, the
// seconds and the last playfield.
#pragma once

#include <string>

#include "core/replay.h"

namespace vq {

struct ReplayCheck {
  ReplayResult reached;
  // The game paused where the file says and nowhere else, and ended on the
  // last recorded frame with the recorded result.
  bool matches;
  std::string differs;  // how it differs, in a few words
};

// Plays the recorded game again: no window, no sound, no waiting.
ReplayCheck CheckReplay(const Replay& replay);

// Exit statuses of a replay that is read and checked.
enum ReplayStatus : int { kReplayPlays = 0, kReplayDiffers = 1, kReplayUnusable = 2 };

}  // namespace vq
