#include "core/frame_steps.h"

#include <algorithm>
#include <cstdint>

#include "rules/scoring.h"
#include "rules/timeline.h"

namespace vq {

namespace {

constexpr int32_t kBarHighest = 27;

bool Held(const FrameInput& input, FrameKey key) { return (input.keys & key) != 0; }

void NoteWindowClosed(GameState& state) {
  state.window_closed = true;
  state.field.game_over = 1;
}

}  // namespace

void StartGameState(GameState& state, const GameStart& start) {
  state.start = start;
  // Empty Board, the first piece, the queue (the game's first twelve random
  // draws), Timeline 0.0, Score 0, Level 1, skin 1, latch armed.
  StartPlayfield(state.field, start.seed);
  state.tick_a = start.ticks;
  state.tick_b = 0;
  state.frame_time = 0;
  state.play_time = 0;
  state.music_on = 0;
  for (int32_t& bar : state.visualiser_bars) bar = NextRandom(state.field.random) % 5;
  state.swept = SweepResult{};
  state.event_record = EventType::None;
  // A key still held from the title menu (the Return that started this game,
  // say) is a press that has already acted: it pauses or toggles nothing here
  // until it has been let go.
  state.music_key.released = !(start.held & kHeldM);
  state.full_screen_key.released = !(start.held & kHeldF);
  state.pause_key.released = !(start.held & kHeldReturn);
  state.window_closed = false;
  state.pauses_when_unseen = true;
  state.requests = FrameRequests{};
}

int32_t IntervalTo(const GameState& state, uint32_t ticks) {
  // The older reading is overwritten; the interval is taken to the other one.
  return static_cast<int32_t>(ticks - (state.tick_a < state.tick_b ? state.tick_b : state.tick_a));
}

uint32_t PacingSleep(const GameState& state, uint32_t ticks) {
  return static_cast<uint32_t>(std::max<int64_t>(0, int64_t{kFrameMs} - IntervalTo(state, ticks)));
}

void CountAndMeasure(GameState& state, const FrameInput& input) {
  state.requests = FrameRequests{};
  state.field.frame_counter += 1;
  state.frame_time = IntervalTo(state, input.ticks);
  if (state.tick_a < state.tick_b) {
    state.tick_a = input.ticks;
  } else {
    state.tick_b = input.ticks;
  }
  // Some 24 days of play, or a replay's absurd interval, stop the play time at
  // its end of the range rather than wrap it around.
  const int64_t play_time = int64_t{state.play_time} + state.frame_time;
  state.play_time = static_cast<int32_t>(std::clamp<int64_t>(play_time, INT32_MIN, INT32_MAX));
}

void AdvanceAndScore(GameState& state) {
  AdvanceTimeline(state.field);
  state.requests.announce_win = WinCheck(state.field);
  state.field.previous_score = state.field.score;
}

unsigned ReseedValue(std::time_t now, int32_t frame_counter) {
  // The frame counter grows by 20 between reseeds and the time never goes
  // back, so no two reseeds of a game get the same seed.
  return static_cast<unsigned>(now) * 1000003u + static_cast<unsigned>(frame_counter);
}

void Reseed(GameState& state, const FrameInput& input) {
  if (ReseedsOn(state.field.frame_counter)) {
    SeedRandom(state.field.random, ReseedValue(static_cast<std::time_t>(input.wall_time), state.field.frame_counter));
  }
}

void CheckTimeLimit(GameState& state) {
  if (state.start.time_limit != 0 && state.play_time / 1000 >= state.start.time_limit) state.field.game_over = 1;
}

void TakeEvent(GameState& state, const FrameInput& input) {
  if (input.event == EventType::None) return;
  state.event_record = input.event;
  if (input.event == EventType::Quit) NoteWindowClosed(state);
}

void HandleEscape(GameState& state, const FrameInput& input) {
  if (Held(input, kFrameEscape) || state.window_closed) state.field.game_over = 1;
}

PieceInput PieceKeys(const FrameInput& input) {
  PieceInput keys;
  keys.up = Held(input, kFrameUp);
  keys.down = Held(input, kFrameDown);
  keys.left = Held(input, kFrameLeft);
  keys.right = Held(input, kFrameRight);
  keys.space = Held(input, kFrameSpace);
  keys.rearm = Held(input, kFrameRearm);
  return keys;
}

bool PauseDue(const GameState& state, const FrameInput& input) {
  if (state.window_closed || input.event == EventType::Quit) return false;
  if (input.focus_lost && state.pauses_when_unseen) return true;
  return Held(input, kFrameReturn) && (state.field.frame_counter + 1) % 3 == 0 && state.pause_key.released;
}

void HandlePause(GameState& state, const FrameInput& input) {
  if (state.window_closed) return;  // the game is over: nothing to pause
  const bool every_third = state.field.frame_counter % 3 == 0;
  const bool by_return = state.pause_key.Act(Held(input, kFrameReturn), every_third);
  if (!by_return && !(input.focus_lost && state.pauses_when_unseen)) return;
  // Nothing was drawn while paused: the last frame stayed on screen and the
  // music played on. Only Return (or closing the window) ended the pause,
  // and that Return pauses nothing more until it has been let go.
  state.pause_key.released = false;
  if (input.pause_event == EventType::None) return;
  state.event_record = input.pause_event;
  if (input.pause_event == EventType::Quit) NoteWindowClosed(state);
}

void HandleMusicKey(GameState& state, const FrameInput& input) {
  const bool even = state.field.frame_counter % 2 == 0;
  if (!state.music_key.Act(Held(input, kFrameM), even)) return;
  state.music_on = 1 - state.music_on;
  state.requests.music_toggled = true;
}

void HandleFullScreenKey(GameState& state, const FrameInput& input) {
  const bool even = state.field.frame_counter % 2 == 0;
  if (state.full_screen_key.Act(Held(input, kFrameF), even)) state.requests.toggle_full_screen = true;
}

void MoveVisualiser(GameState& state) {
  // Even frames move every bar by -2 to +4.
  if (state.field.frame_counter % 2 == 0) {
    for (int32_t& bar : state.visualiser_bars) bar = bar - 2 + NextRandom(state.field.random) % 7;
  }
  for (int32_t& bar : state.visualiser_bars) {
    if (bar > kBarHighest) bar = 0;
    if (bar < 0) bar = 0;
  }
}

void SweepBoard(GameState& state) {
  MarkSquares(state.field.board);
  state.swept = SweepColumn(state.field);
  SettleCells(state.field.board);
}

}  // namespace vq
