// The end screen of every game: the overlay over its last frame, and for a
// game that tells one, its result above the board.
#pragma once

#include <cstdint>

#include "core/game_state.h"
#include "game/game_resources.h"
#include "platform/platform.h"

namespace vq {

// What the end screen tells of a game above the board: its score, its place
// among its mode's records when it was kept there (0 when not), and whether
// that is a new best.
struct EndResult {
  int32_t score;
  int place;
  bool new_best;
};

// Lays the overlay over the last frame, and the result when one is given;
// waits for Return (not when the window was closed) and 500 ms more. Returns
// kQuitProgram when the window was closed or a signal came, kBackToMenu
// otherwise.
int32_t ShowEndScreen(Platform& platform, const GameImages& images, GameState& state,
                      const EndResult* result = nullptr);

}  // namespace vq
