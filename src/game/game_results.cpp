#include "game/game_results.h"

#include <cstdio>

#include "game/data_files.h"
#include "game/end_screen.h"
#include "game/hiscore_file.h"
#include "game/records.h"

namespace vq {

namespace {

// The game's place in its mode's records once stored there; 0 when it is not
// among the ten best or nothing could be stored.
int KeepRecord(Platform& platform, const GameState& state) {
  const std::string path = DataFilePath(kRecordsName);
  if (path.empty() || !MakeParentDirectories(path)) return 0;
  const Record record{state.field.score, state.play_time / 1000, LocalDate(platform.Time())};
  return StoreRecord(path.c_str(), state.start.time_limit, record);
}

}  // namespace

int32_t EndPlayGame(Platform& platform, const GameResources& resources, GameState& state, Replay& recording) {
  std::printf("You have perished\nSeconds Played: %i\nFinal Score: %i\n", static_cast<int>(state.play_time / 1000),
              static_cast<int>(state.field.score));
  std::fflush(stdout);
  // Kept at once, so that the game can be watched even if the program is
  // stopped at the end screen.
  const bool recorded = FinishRecording(recording, state);
  if (recorded) StoreReplay(kLastReplayName, recording);
  // The place is known before the end screen shows it, and kept even if the
  // program is stopped there. A game of no points is first only of nothing.
  const int place = KeepRecord(platform, state);
  const EndResult told{state.field.score, place, place == 1 && state.field.score > 0};

  const int32_t result = ShowEndScreen(platform, resources.images, state, &told);

  if (state.start.time_limit == 0 && state.start.hiscore <= state.field.score) {
    // An installed copy makes the player's data folders on its first store.
    const std::string path = DataFilePath(kHiscorePath);
    const bool stored = !path.empty() && MakeParentDirectories(path) && WriteHiscore(path.c_str(), state.field.score);
    // The best replay is the game the records list first: a game that only
    // equals the best comes after it there. It goes with the hiscore: a
    // hiscore its owner made read-only keeps its replay too.
    if (stored && recorded && place == 1) StoreReplay(kBestReplayName, recording);
  }
  return result;
}

}  // namespace vq
