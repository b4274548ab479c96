// What an interactive game leaves behind when it ends: its summary, its
// replays, its place in the records and the hiscore.
#pragma once

#include <cstdint>

#include "core/game_state.h"
#include "core/replay.h"
#include "game/game_resources.h"
#include "platform/platform.h"

namespace vq {

// The end of an interactive game: prints the summary, keeps the recorded game
// as the last replay and its result in the records, stores the Score of an
// untimed game that reached the hiscore and, when it was stored and the game
// is first in the records, its replay as the best one; then shows the end
// screen with the result. Each save reads the files anew under the data
// folder's lock, and one that fails is told on standard error. Returns what
// ShowEndScreen returns.
int32_t EndPlayGame(Platform& platform, const GameResources& resources, GameState& state, Replay& recording);

}  // namespace vq
