#include "game/play_game.h"

#include "game/game_session.h"
#include "game/game_state.h"
#include "rules/piece_control.h"
#include "rules/scoring.h"
#include "rules/timeline.h"

namespace vq {

int32_t PlayGame(Platform& platform, int32_t time_limit) {
  GameState state;
  StartGame(platform, state, time_limit);
  // 21. A frame that ended the game has been shown in full: the end screen.
  while (!PlayFrame(platform, state)) {}
  return EndGame(platform, state, true);
}

bool PlayFrame(Platform& platform, GameState& state) {
  Playfield& field = state.field;

  // 1-3. Count the frame, measure the interval, sleep it up to 60 ms.
  CountMeasurePace(platform, state);
  // 4. Empty the Board cells under the falling piece.
  LiftPiece(field);
  // 5. Advance the Timeline; a pass end scores and may switch the skin,
  //    which the drawing below already shows.
  AdvanceTimeline(field);
  // 6. The win check.
  CheckWin(state);
  // 7. Remember the Score for the next pass end.
  field.previous_score = field.score;
  // 8. Reseed the random generator every 20th frame.
  Reseed(platform, state);
  // 9. Time attack ends at its limit.
  CheckTimeLimit(state);
  // 10. At most one event, and the keys held now.
  PollInput(platform, state);
  const PieceInput keys = ReadPieceKeys(platform);
  // 11. Escape (or a closed window) ends the game once this frame is done.
  HandleEscape(platform, state);
  // 12. Ctrl or Alt re-arm the MoveLatch; note whether it is armed.
  const bool armed = RearmMoveLatch(field, keys);
  // 13. Rotations and side moves.
  PieceKeysMove(field, keys, armed);
  // 14. The drop.
  PieceKeysDrop(field, keys);
  // 15. Pause on Return.
  HandlePause(platform, state);
  // 16. Music on M.
  HandleMusicKey(platform, state);
  // 17. Full screen on F.
  HandleFullScreenKey(platform, state);
  // 18. The kept event arms or disarms the MoveLatch.
  UpdateMoveLatch(field, state.event_record);
  // 19. Gravity every 10th frame.
  if (field.frame_counter % 10 == 0) GravityStep(field);
  // 20. Draw the frame and show it.
  DrawFrame(platform, state);
  return field.game_over != 0;
}

}  // namespace vq
