#include "game/end_game.h"

#include <cstdio>

#include "game/data_files.h"
#include "game/frame_steps.h"
#include "game/game_input.h"
#include "game/game_resources.h"
#include "game/hiscore_file.h"
#include "game/play_game.h"

namespace vq {

int32_t ShowEndScreen(Platform& platform, GameState& state) {
  platform.Blit(state.images.dead, 175, 500);
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

  const int32_t result = ShowEndScreen(platform, state);

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
