#pragma once

#include <cstdint>

#include "game/play_game.h"
#include "platform/platform.h"

namespace vq {

// The self-playing game behind the title menu's Demo item. Returns 0 once the
// end screen has been dismissed.
int32_t DemoGame(Platform& platform);

}  // namespace vq
