#include "game/game_start.h"

#include "core/frame_steps.h"
#include "game/game_input.h"
#include "saves/data_folder.h"
#include "saves/hiscore_file.h"

namespace vq {

void StartGame(Platform& platform, GameState& state, int32_t time_limit, uint32_t seed) {
  GameStart start{};
  start.time_limit = time_limit;
  start.seed = seed;
  start.ticks = platform.Ticks();
  start.hiscore = ReadHiscore(DataFilePath(kHiscorePath).c_str());
  if (platform.KeyHeld(Key::Return)) start.held |= kHeldReturn;
  if (platform.KeyHeld(Key::M)) start.held |= kHeldM;
  if (platform.KeyHeld(Key::F)) start.held |= kHeldF;
  ForgetInputBeforeTheGame(platform);
  StartGameState(state, start);
}

}  // namespace vq
