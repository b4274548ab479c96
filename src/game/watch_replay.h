// A recorded game watched in the window at the pace it was played.
#pragma once

#include <cstdint>
#include <string>

#include "core/replay.h"
#include "platform/platform.h"

namespace vq {

// Plays the recorded game in the window at the pace it was played: Return
// pauses, Escape ends it, F switches full screen and M the music. It ends on
// the end screen; returns kQuitProgram when the window was closed,
// kBackToMenu otherwise.
int32_t WatchReplay(Platform& platform, const Replay& replay);

// Watches the replay file at path (a kept one is at DataFilePath of its
// name), when it plays to its recorded result; one line on standard error
// says why not.
int32_t WatchReplayFile(Platform& platform, const std::string& path);

}  // namespace vq
