// The frame of the interactive game behind Play and Time attack, as work on
// its state and its input alone: the same input always gives the same game,
// whether it comes from the keys (game/play_game.cpp), a replay being watched
// or one being checked.
#pragma once

#include "core/frame_input.h"
#include "core/game_state.h"

namespace vq {

// The work of one frame, steps 1 to 20 in their order.
void UpdatePlayFrame(GameState& state, const FrameInput& input);

}  // namespace vq
