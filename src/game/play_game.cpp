#include "game/play_game.h"

#include "core/frame_steps.h"
#include "core/game_state.h"
#include "core/play_frame.h"
#include "core/replay.h"
#include "game/draw_frame.h"
#include "game/frame_requests.h"
#include "game/game_input.h"
#include "game/game_results.h"
#include "game/game_start.h"

namespace vq {

int32_t PlayGame(Platform& platform, int32_t time_limit, uint32_t seed) {
  GameResources resources = TakeGameResources(platform);
  GameState state;
  StartGame(platform, state, time_limit, seed);
  Replay recording;
  StartRecording(recording, state.start);
  platform.ShowActivity(Activity::Playing);
  while (!PlayFrame(platform, resources, state, &recording)) {}
  platform.ShowActivity(Activity::Other);
  // 21. A frame that ended the game has been shown in full: what the game
  //     leaves behind, and the end screen.
  const int32_t result = EndPlayGame(platform, resources, state, recording);
  GiveBackGameResources(platform, resources, state);
  return result;
}

bool PlayFrame(Platform& platform, const GameResources& resources, GameState& state, Replay* recording) {
  // What the frame takes from outside, read in its order: the clock and the
  // pacing sleep (steps 2 and 3), the wall clock (8), one event and the keys
  // (10), and the wait of a pause (15).
  const FrameInput input = GatherFrameInput(platform, state);
  if (recording) RecordFrame(*recording, input);
  // Steps 1 to 20 on the state and the input alone.
  UpdatePlayFrame(state, input);
  // The win message (6), the music (16) and full screen (17) it asked for.
  CarryOutRequests(platform, resources, state);
  // 20. Draw the frame and show it.
  DrawFrame(platform, resources.images, state);
  return state.field.game_over != 0;
}
}  // namespace vq
