#include "game/end_game.h"

#include <cstdio>

#include "draw/number_renderer.h"
#include "game/data_files.h"
#include "game/frame_steps.h"
#include "game/game_input.h"
#include "game/game_resources.h"
#include "game/hiscore_file.h"
#include "game/play_game.h"
#include "game/records.h"

namespace vq {

namespace {

void DrawEndResult(Platform& platform, const GameImages& images, const EndResult& result) {
  platform.Blit(images.result, kResultX, kResultY);
  DrawNumber(platform, images.numbers, result.score, kResultScoreX, kResultNumberY);
  if (result.place > 0) {
    platform.Blit(images.place, kPlaceLabelX, kResultY);
    DrawNumber(platform, images.numbers, result.place, kResultPlaceX, kResultNumberY);
  }
  if (result.place == 1) platform.Blit(images.new_best, kNewBestX, kNewBestY);
}

// The game's place in its mode's records once stored there; 0 when it is not
// among the ten best or nothing could be stored.
int KeepRecord(Platform& platform, const GameState& state) {
  const std::string path = DataFilePath(kRecordsName);
  if (path.empty() || !MakeParentDirectories(path)) return 0;
  const Record record{state.field.score, state.play_time / 1000, LocalDate(platform.Time())};
  return StoreRecord(path.c_str(), state.start.time_limit, record);
}

}  // namespace

int32_t ShowEndScreen(Platform& platform, GameState& state, const EndResult* result) {
  platform.Blit(state.images.dead, 175, 500);
  if (result) DrawEndResult(platform, state.images, *result);
  platform.Flip();
  // A closed window does not wait for Return.
  if (!state.window_closed && WaitForReturn(platform) == EventType::Quit) state.window_closed = true;
  if (!state.window_closed) platform.Delay(kPauseMs);
  ReleaseGame(platform, state);
  return state.window_closed ? kQuitProgram : kBackToMenu;
}

int32_t EndPlayGame(Platform& platform, GameState& state, Replay& recording) {
  std::printf("You have perished\nSeconds Played: %i\nFinal Score: %i\n", static_cast<int>(state.play_time / 1000),
              static_cast<int>(state.field.score));
  std::fflush(stdout);
  // Kept at once, so that the game can be watched even if the program is
  // stopped at the end screen.
  const bool recorded = FinishRecording(recording, state);
  if (recorded) StoreReplay(kLastReplayName, recording);
  // The place is known before the end screen shows it, and kept even if the
  // program is stopped there.
  const EndResult told{state.field.score, KeepRecord(platform, state)};

  const int32_t result = ShowEndScreen(platform, state, &told);

  if (state.start.time_limit == 0 && state.start.hiscore <= state.field.score) {
    // An installed copy makes the player's data folders on its first store.
    // The best replay goes with the hiscore: a hiscore its owner made
    // read-only keeps its replay too.
    const std::string path = DataFilePath(kHiscorePath);
    const bool stored = !path.empty() && MakeParentDirectories(path) && WriteHiscore(path.c_str(), state.field.score);
    if (stored && recorded) StoreReplay(kBestReplayName, recording);
  }
  return result;
}

}  // namespace vq
