#include "demo/demo_game.h"

#include "core/frame_steps.h"
#include "game/draw_frame.h"
#include "game/end_screen.h"
#include "game/frame_requests.h"
#include "game/game_input.h"
#include "game/game_start.h"
#include "rules/piece_control.h"

namespace vq {

int32_t DemoGame(Platform& platform, uint32_t seed) { return RunDemoGame(platform, true, seed, nullptr); }

int32_t RunDemoGame(Platform& platform, bool search, uint32_t seed, DemoOutcome* outcome) {
  GameResources resources = TakeGameResources(platform);
  DemoState state;
  StartDemo(platform, state, search, seed);
  platform.ShowActivity(Activity::Playing);
  while (!DemoFrame(platform, resources, state)) {}
  // 11. A frame that ended the game has been shown in full: the end screen,
  //     without the summary and without touching the hiscore file.
  platform.ShowActivity(Activity::Other);
  if (outcome) *outcome = DemoOutcome{state.game.field.score, state.game.field.frame_counter};
  const int32_t result = ShowEndScreen(platform, resources.images, state.game);
  GiveBackGameResources(platform, resources, state.game);
  return result;
}

void StartDemo(Platform& platform, DemoState& state, bool search, uint32_t seed) {
  StartGame(platform, state.game, 0, seed);
  state.game.pauses_when_unseen = false;  // a demo goes on unwatched
  StartAutopilot(state.autopilot, search);
}

bool DemoFrame(Platform& platform, const GameResources& resources, DemoState& state) {
  // What the frame takes from outside, as the interactive game reads it.
  const FrameInput input = GatherFrameInput(platform, state.game);
  UpdateDemoFrame(state, input);
  // The win message, the music and full screen it asked for.
  CarryOutRequests(platform, resources, state.game);
  // 10. Draw the frame and show it; the time field counts up. A hidden
  //     window shows nothing: only the last frame is drawn, for the end
  //     screen.
  if (!platform.Hidden() || state.game.field.game_over) DrawFrame(platform, resources.images, state.game);
  return state.game.field.game_over != 0;
}

void UpdateDemoFrame(DemoState& state, const FrameInput& input) {
  GameState& game = state.game;
  Playfield& field = game.field;
  Autopilot& autopilot = state.autopilot;

  // 1. Count the frame and measure the interval; the sleep that brings it to
  //    60 ms came with the input.
  CountAndMeasure(game, input);
  // 2. Empty the Board cells under the falling piece.
  LiftPiece(field);
  // 3. Advance the Timeline (a pass end scores and may switch the skin), the
  //    win check, and the Score remembered for the next pass end.
  AdvanceAndScore(game);
  // 4. Reseed the random numbers every 20th frame.
  Reseed(game, input);
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
  // 9. The event taken; Escape, pause, music and full screen. No other key
  //    is read.
  TakeEvent(game, input);
  HandleEscape(game, input);
  HandlePause(game, input);
  HandleMusicKey(game, input);
  HandleFullScreenKey(game, input);
  // 10. What the drawing shows, in its order: the visualiser bars move, the
  //     squares are marked, the Timeline's column swept and hanging cells
  //     fall.
  MoveVisualiser(game);
  SweepBoard(game);
}

}  // namespace vq
