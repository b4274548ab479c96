// The start of an interactive game or a demo: the values it starts from,
// read from the platform once its resources are taken.
#pragma once

#include <cstdint>

#include "core/game_state.h"
#include "platform/platform.h"

namespace vq {

// Starts the game's logic from time_limit, seed, the clock, the hiscore file
// and the keys held now (they act only once let go); presses and a loss of
// the window's focus that came before belong to the title menu and are
// forgotten.
void StartGame(Platform& platform, GameState& state, int32_t time_limit, uint32_t seed);

}  // namespace vq
