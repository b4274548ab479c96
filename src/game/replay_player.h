// Recorded games played again: headless and as fast as possible, to check
// that they still play to their recorded result, or in the window at their
// own pace, to be watched.
#pragma once

#include <cstdint>
#include <string>

#include "game/replay.h"
#include "platform/platform.h"

namespace vq {

struct ReplayCheck {
  ReplayResult reached;
  // The game paused where the file says and nowhere else, and ended on the
  // last recorded frame with the recorded result.
  bool matches;
  std::string differs;  // how it differs, in a few words
};

// Plays the recorded game again on its input alone: no window, no sound, no
// waiting.
ReplayCheck CheckReplay(const Replay& replay);

// Exit statuses of a replay that is read and checked.
enum ReplayStatus : int { kReplayPlays = 0, kReplayDiffers = 1, kReplayUnusable = 2 };

// Reads the replay at path (relative to the folder open as folder, AT_FDCWD
// for the current one) and checks it: kReplayPlays when it plays to its
// recorded result; otherwise one line on standard error says why.
ReplayStatus LoadReplay(int folder, const char* path, Replay* replay, ReplayCheck* check);

// Plays the recorded game in the window at the pace it was played: Return
// pauses, Escape ends it, F switches full screen and M the music. It ends on
// the end screen; returns kQuitProgram when the window was closed,
// kBackToMenu otherwise.
int32_t WatchReplay(Platform& platform, const Replay& replay);

// Watches the replay file at path (a kept one is at DataFilePath of its
// name), when it can be watched; one line on standard error says why not.
int32_t WatchReplayFile(Platform& platform, const std::string& path);

}  // namespace vq
