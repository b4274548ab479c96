// The interactive game behind Play and Time attack: its loop, and its frame
// on the platform (the frame's work is UpdatePlayFrame, core/play_frame.h).
#pragma once

#include <cstdint>

#include "game/game_result.h"
#include "platform/platform.h"

namespace vq {

// The interactive game: untimed when time_limit is 0, Time attack for that
// many seconds otherwise, its random numbers from seed. Every game is
// recorded and kept as the last replay. Returns kBackToMenu once the end
// screen has been dismissed, kQuitProgram when the window was closed.
int32_t PlayGame(Platform& platform, int32_t time_limit, uint32_t seed);

struct GameResources;
struct GameState;
struct Replay;

// One frame of the interactive game on the platform: its input gathered (and
// added to recording when given), its work done, what it asked for carried
// out, and its picture drawn and shown. Returns true when the frame ended the
// game.
bool PlayFrame(Platform& platform, const GameResources& resources, GameState& state, Replay* recording = nullptr);

}  // namespace vq
