// The end of a game: the end screen, and for the interactive game the
// summary, its replays and the hiscore.
#pragma once

#include <cstdint>

#include "game/game_state.h"
#include "game/replay.h"
#include "platform/platform.h"

namespace vq {

// Lays the overlay over the last frame; waits for Return (not when the window
// was closed) and 500 ms more; gives back the images and the music. Returns
// kQuitProgram when the window was closed, kBackToMenu otherwise.
int32_t ShowEndScreen(Platform& platform, GameState& state);

// The end of an interactive game: prints the summary, keeps the recorded game
// as the last replay, shows the end screen, then stores the Score of an
// untimed game that reached the hiscore and, when it was stored, its replay
// as the best one.
int32_t EndPlayGame(Platform& platform, GameState& state, Replay& recording);

}  // namespace vq
