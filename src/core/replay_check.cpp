#include "core/replay_check.h"

#include "core/frame_steps.h"
#include "core/play_frame.h"

namespace vq {

namespace {

// How a game played again to its end differs from its file; "" when it
// does not.
std::string Difference(const Replay& replay, const GameState& state, const ReplayResult& reached) {
  const ReplayResult& recorded = replay.result;
  const std::string frames = std::to_string(replay.frame_count);
  if (!state.field.game_over) return "the game goes on after the last of its " + frames + " frames";
  if (reached.frames != replay.frame_count)
    return "the game ends at frame " + std::to_string(reached.frames) + " of " + frames;
  if (reached.score != recorded.score || reached.seconds != recorded.seconds || reached.frames != recorded.frames) {
    return "it reaches " + std::to_string(reached.score) + " points in " + std::to_string(reached.seconds) +
           " s over " + std::to_string(reached.frames) + " frames, the file says " + std::to_string(recorded.score) +
           " points in " + std::to_string(recorded.seconds) + " s over " + std::to_string(recorded.frames) + " frames";
  }
  if (reached.playfield != recorded.playfield) return "it ends with another playfield than the file recorded";
  return "";
}

}  // namespace

ReplayCheck CheckReplay(const Replay& replay) {
  GameState state{};
  StartGameState(state, replay.start);
  ReplayCursor cursor = StartReading(replay);
  FrameInput input;
  std::string differs;
  while (!state.field.game_over && differs.empty() && ReadFrame(replay, cursor, &input)) {
    if (input.paused != PauseDue(state, input)) {
      differs = "frame " + std::to_string(state.field.frame_counter + 1) +
                (input.paused ? " pauses, where the game does not" : " does not pause, where the game does");
    }
    UpdatePlayFrame(state, input);
  }
  const ReplayResult reached = ResultOf(state);
  if (differs.empty()) differs = Difference(replay, state, reached);
  return ReplayCheck{reached, differs.empty(), differs};
}

}  // namespace vq
