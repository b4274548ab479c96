#include "demo/demo_game.h"

#include "game/game_session.h"
#include "rules/piece_control.h"
#include "rules/timeline.h"

namespace vq {

int32_t DemoGame(Platform& platform) { return RunDemoGame(platform, true, nullptr); }

int32_t RunDemoGame(Platform& platform, bool search, DemoOutcome* outcome) {
  DemoState state;
  StartDemo(platform, state, search);
  // 11. A frame that ended the game has been shown in full: the end screen,
  //     without the summary and without touching the hiscore file.
  while (!DemoFrame(platform, state)) {}
  if (outcome) *outcome = DemoOutcome{state.game.field.score, state.game.field.frame_counter};
  return EndGame(platform, state.game, false);
}

void StartDemo(Platform& platform, DemoState& state, bool search) {
  StartGame(platform, state.game, 0);
  StartAutopilot(state.autopilot, search);
}

bool DemoFrame(Platform& platform, DemoState& state) {
  GameState& game = state.game;
  Playfield& field = game.field;
  Autopilot& autopilot = state.autopilot;

  // 1. Count the frame, measure the interval, sleep it up to 60 ms.
  CountMeasurePace(platform, game);
  // 2. Empty the Board cells under the falling piece.
  LiftPiece(field);
  // 3. Advance the Timeline (a pass end scores and may switch the skin), the
  //    win check, and the Score remembered for the next pass end.
  AdvanceTimeline(field);
  CheckWin(game);
  field.previous_score = field.score;
  // 4. Reseed the random generator every 20th frame.
  Reseed(platform, game);
  // 5. The Autopilot decides where the piece goes, while a decision is due.
  if (autopilot.decision_pending) AutopilotDecision(field, autopilot);
  // 6. The target rises over the cells of its column; the piece takes the
  //    turns the decision chose.
  TargetRise(field, autopilot);
  GiveTurns(field, autopilot);
  // 7. The piece moves toward its target.
  AutopilotMove(field, autopilot);
  // 8. Gravity every 10th frame; a lock asks for a new decision.
  if (field.frame_counter % 10 == 0 && GravityStep(field)) autopilot.decision_pending = 1;
  // 9. At most one event; Escape, pause, music and full screen. No other key
  //    is read.
  PollInput(platform, game);
  HandleEscape(platform, game);
  HandlePause(platform, game);
  HandleMusicKey(platform, game);
  HandleFullScreenKey(platform, game);
  // 10. Draw the frame and show it; the time field counts up.
  DrawFrame(platform, game);
  return field.game_over != 0;
}

}  // namespace vq
