// What a game, a watched replay or a screen opened from the title menu asks
// of the menu when it returns.
#pragma once

#include <cstdint>

namespace vq {

enum GameResult : int32_t {
  kBackToMenu = 0,   // the end screen was dismissed with Return
  kQuitProgram = 1,  // the window was closed: the program ends with status 0
};

}  // namespace vq
