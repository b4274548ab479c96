// The end of a game: the end screen, and for the interactive game the
// summary, its replays and the hiscore.
#pragma once

#include <cstdint>

#include "game/game_state.h"
#include "game/replay.h"
#include "platform/platform.h"

namespace vq {

// What the end screen tells of a game above the board: its score, and its
// place among its mode's records when it entered them (0 when not).
struct EndResult {
  int32_t score;
  int place;
};

// Where the result is drawn: the panel, its place label, the new-best banner,
// and the two numbers on the panel.
constexpr int kResultX = 175, kResultY = 66;
constexpr int kPlaceLabelX = 425;
constexpr int kNewBestX = 250, kNewBestY = 4;
constexpr int kResultScoreX = 280, kResultPlaceX = 520, kResultNumberY = 85;

// Lays the overlay over the last frame, and the result when one is given;
// waits for Return (not when the window was closed) and 500 ms more; gives
// back the images and the music. Returns kQuitProgram when the window was
// closed, kBackToMenu otherwise.
int32_t ShowEndScreen(Platform& platform, GameState& state, const EndResult* result = nullptr);

// The end of an interactive game: prints the summary, keeps the recorded game
// as the last replay and its result in the records, shows the end screen with
// the result, then stores the Score of an untimed game that reached the
// hiscore and, when it was stored, its replay as the best one.
int32_t EndPlayGame(Platform& platform, GameState& state, Replay& recording);

}  // namespace vq
