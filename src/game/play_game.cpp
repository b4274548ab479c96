#include "game/play_game.h"

#include "game/draw_frame.h"
#include "game/frame_requests.h"
#include "game/frame_steps.h"
#include "game/game_input.h"
#include "game/game_results.h"
#include "game/game_start.h"
#include "game/game_state.h"
#include "game/replay.h"
#include "rules/piece_control.h"

namespace vq {

int32_t PlayGame(Platform& platform, int32_t time_limit, uint32_t seed) {
  GameResources resources = TakeGameResources(platform);
  GameState state;
  StartGame(platform, state, time_limit, seed);
  Replay recording;
  StartRecording(recording, state.start);
  while (!PlayFrame(platform, resources, state, &recording)) {}
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

void UpdatePlayFrame(GameState& state, const FrameInput& input) {
  Playfield& field = state.field;

  // 1-3. Count the frame and measure the interval since the previous
  //      reading; the sleep that brings it to 60 ms came with the input.
  CountAndMeasure(state, input);
  // 4. Empty the Board cells under the falling piece.
  LiftPiece(field);
  // 5-7. Advance the Timeline (a pass end scores and may switch the skin,
  //      which the drawing already shows), the win check, and the Score
  //      remembered for the next pass end.
  AdvanceAndScore(state);
  // 8. Reseed the random numbers every 20th frame.
  Reseed(state, input);
  // 9. Time attack ends at its limit.
  CheckTimeLimit(state);
  // 10. The event taken (closing the window ends the game), and the keys.
  TakeEvent(state, input);
  const PieceInput keys = PieceKeys(input);
  // 11. Escape ends the game once this frame is done.
  HandleEscape(state, input);
  // 12. Ctrl or Alt re-arm the MoveLatch; note whether it is armed.
  const bool armed = RearmMoveLatch(field, keys);
  // 13. Rotations and side moves.
  PieceKeysMove(field, keys, armed);
  // 14. The drop.
  PieceKeysDrop(field, keys);
  // 15. Pause on Return: what came while the frame stood still.
  HandlePause(state, input);
  // 16. Music on M.
  HandleMusicKey(state, input);
  // 17. Full screen on F.
  HandleFullScreenKey(state, input);
  // 18. The kept event arms or disarms the MoveLatch.
  UpdateMoveLatch(field, state.event_record);
  // 19. Gravity every 10th frame.
  if (field.frame_counter % 10 == 0) GravityStep(field);
  // 20. What the drawing shows, in its order: the visualiser bars move, the
  //     squares are marked, the Timeline's column swept and hanging cells
  //     fall.
  PrepareDrawing(state);
}

}  // namespace vq
