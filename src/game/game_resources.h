// What a game holds of the platform: its images, the audio device and the
// music. Taken at the start of a game and given back at its end; in between
// the loop carries out what each frame asks of them.
#pragma once

#include <cstdint>

#include "game/game_state.h"
#include "platform/platform.h"

namespace vq {

// Start-up: loads the fifteen images (a missing one ends the process with
// status 1) and skins 2 to 5 (a missing one prints "An image file is
// missing" and ends the process with status 1), opens audio (a failure is
// printed and the game runs silent) and loads the music; then starts the
// game's logic from time_limit, seed, the clock, the hiscore file and the
// keys held now. Nothing is drawn or played yet.
void StartGame(Platform& platform, GameState& state, int32_t time_limit, uint32_t seed);

// The same start-up, the logic started from recorded start values: the game
// a replay plays again.
void StartRecordedGame(Platform& platform, GameState& state, const GameStart& start);

// What the frame asked for: the win message, the music turned on or off, full
// screen switched.
void CarryOutRequests(Platform& platform, GameState& state);

// Frees the images (the skin on show and the game's own in their fixed
// order, then the skins not on show) and gives the music back: music still
// playing goes on into the title menu.
void ReleaseGame(Platform& platform, GameState& state);

}  // namespace vq
