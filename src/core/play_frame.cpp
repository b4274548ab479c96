#include "core/play_frame.h"

#include "core/frame_steps.h"
#include "rules/piece_control.h"

namespace vq {

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
  //     fall. The drawing itself is the loop's.
  MoveVisualiser(state);
  SweepBoard(state);
}

}  // namespace vq
