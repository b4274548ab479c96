// The end screen of every game: the overlay over its last frame, and for a
// game that tells one, its result above the board.
#pragma once

#include <cstdint>

#include "game/game_resources.h"
#include "game/game_state.h"
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

// Where the result is drawn: the panel, its place label, the new-best banner,
// and the two numbers on the panel.
constexpr int kResultX = 175, kResultY = 66;
constexpr int kPlaceLabelX = 425;
constexpr int kNewBestX = 250, kNewBestY = 4;
constexpr int kResultScoreX = 280, kResultPlaceX = 520, kResultNumberY = 85;

// Lays the overlay over the last frame, and the result when one is given;
// waits for Return (not when the window was closed) and 500 ms more. Returns
// kQuitProgram when the window was closed or a signal came, kBackToMenu
// otherwise.
int32_t ShowEndScreen(Platform& platform, const GameImages& images, GameState& state,
                      const EndResult* result = nullptr);

}  // namespace vq
