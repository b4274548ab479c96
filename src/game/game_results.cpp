#include "game/game_results.h"

#include <cstdio>

#include "game/end_screen.h"
#include "saves/data_folder.h"
#include "saves/hiscore_file.h"
#include "saves/records.h"
#include "saves/replay_files.h"
#include "saves/save_lock.h"

namespace vq {

namespace {

// Keeps the recorded game as the last replay, and its result in its mode's
// records, read anew under the lock: another copy of the game may have saved
// since this game began. Returns the game's place in the records as stored;
// 0 when it is not among the ten best or was not kept.
int KeepLastGame(Platform& platform, const GameState& state, const Replay& recording, bool recorded) {
  const SaveLock lock;
  if (recorded) StoreReplay(kLastReplayName, recording);
  const Record record{state.field.score, state.play_time / 1000, LocalDate(platform.Time())};
  return StoreRecord(DataFilePath(kRecordsName).c_str(), state.start.time_limit, record);
}

// Stores the Score of an untimed game that reached the hiscore as it is now,
// read anew under the lock: a copy that scored less than another one saved
// since never lowers it. The best replay is the game the records list first:
// a game that only equals the best comes after it there. It goes with the
// hiscore: a hiscore its owner made read-only keeps its replay too.
void KeepBestGame(const GameState& state, const Replay& recording, bool recorded, int place) {
  const SaveLock lock;
  const std::string path = DataFilePath(kHiscorePath);
  if (ReadHiscore(path.c_str()) > state.field.score) return;
  if (WriteHiscore(path.c_str(), state.field.score) && recorded && place == 1) {
    StoreReplay(kBestReplayName, recording);
  }
}

}  // namespace

int32_t EndPlayGame(Platform& platform, const GameResources& resources, GameState& state, Replay& recording) {
  std::printf("You have perished\nSeconds Played: %i\nFinal Score: %i\n", static_cast<int>(state.play_time / 1000),
              static_cast<int>(state.field.score));
  std::fflush(stdout);
  // Everything is kept before the end screen shows it: a program killed
  // there, or a browser tab closed on it, loses nothing. A game of no points
  // is first only of nothing.
  const bool recorded = FinishRecording(recording, state);
  const int place = KeepLastGame(platform, state, recording, recorded);
  if (state.start.time_limit == 0) KeepBestGame(state, recording, recorded, place);
  const EndResult told{state.field.score, place, place == 1 && state.field.score > 0};
  return ShowEndScreen(platform, resources.images, state, &told);
}

}  // namespace vq
