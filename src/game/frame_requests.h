// What a frame asked of the platform, carried out after the frame's work.
#pragma once

#include "core/game_state.h"
#include "game/game_resources.h"
#include "platform/platform.h"

namespace vq {

// The win message printed, the music started or stopped as the M toggle now
// says (a silent game only flips its flag), full screen switched.
void CarryOutRequests(Platform& platform, const GameResources& resources, const GameState& state);

}  // namespace vq
