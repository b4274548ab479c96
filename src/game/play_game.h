#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace vq {

// What a game asks of the title menu when it returns.
enum GameResult : int32_t {
  kBackToMenu = 0,   // the end screen was dismissed with Return
  kQuitProgram = 1,  // the window was closed: the program ends with status 0
};

// The interactive game: untimed when time_limit is 0, Time attack for that
// many seconds otherwise. Returns kBackToMenu once the end screen has been
// dismissed, kQuitProgram when the window was closed.
int32_t PlayGame(Platform& platform, int32_t time_limit);

struct GameState;

// One frame of the interactive game, steps 1 to 20 in their order. Returns
// true when the frame ended the game (it has been drawn and shown by then).
bool PlayFrame(Platform& platform, GameState& state);

}  // namespace vq
