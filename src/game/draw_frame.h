// The picture of a game's frame, drawn from its state alone.
#pragma once

#include "core/game_state.h"
#include "game/game_resources.h"
#include "platform/platform.h"

namespace vq {

// Draws the whole frame, back to front, and flips it. Reads the state and
// changes nothing: the marking, sweeping and settling it shows, and the
// visualiser's steps, were done by the frame's work.
void DrawFrame(Platform& platform, const GameImages& images, const GameState& state);

}  // namespace vq
