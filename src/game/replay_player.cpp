#include "game/replay_player.h"

#include <fcntl.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "game/data_files.h"
#include "game/draw_frame.h"
#include "game/end_game.h"
#include "game/frame_steps.h"
#include "game/game_input.h"
#include "game/game_resources.h"
#include "game/play_game.h"

namespace vq {

namespace {

// How long the watch sleeps at most between two looks at the keys while it
// waits for a frame's time to come.
constexpr uint32_t kWatchPollMs = 10;

// The watcher's own keys and music, apart from the recorded game's.
struct Watcher {
  bool return_released = false;  // the R, B or Return that started the watch is still down
  bool m_released = false;
  bool f_released = false;
  bool music_on = false;
  bool stop = false;
  uint32_t paused_for = 0;  // ms the watcher paused: the recorded pace resumes after them
};

void WatchKeys(Platform& platform, Watcher& watcher, GameState& state) {
  for (EventType taken; platform.PollEvent(&taken);) {
    if (taken == EventType::Quit) state.window_closed = watcher.stop = true;
  }
  if (HeldOrPressed(platform, Key::Escape)) watcher.stop = true;
  if (watcher.stop) return;
  if (PressedOnce(HeldOrPressed(platform, Key::Return), true, watcher.return_released)) {
    const uint32_t from = platform.Ticks();
    platform.Delay(kPauseMs);
    if (WaitForReturn(platform) == EventType::Quit) state.window_closed = watcher.stop = true;
    watcher.paused_for += platform.Ticks() - from;
  }
  if (PressedOnce(platform.KeyHeld(Key::M), true, watcher.m_released)) {
    watcher.music_on = !watcher.music_on;
    if (state.music_available && watcher.music_on) platform.PlayMusicLooped(state.music);
    if (state.music_available && !watcher.music_on) platform.HaltMusic();
  }
  if (PressedOnce(platform.KeyHeld(Key::F), true, watcher.f_released)) platform.ToggleFullScreen();
}

}  // namespace

ReplayCheck CheckReplay(const Replay& replay) {
  GameState state{};
  StartGameState(state, replay.start);
  ReplayCursor cursor = StartReading(replay);
  FrameInput input;
  while (!state.field.game_over && ReadFrame(replay, cursor, &input)) UpdatePlayFrame(state, input);
  const ReplayResult reached{state.field.frame_counter, state.field.score, state.play_time / 1000};
  const ReplayResult& recorded = replay.result;
  const bool matches = state.field.game_over && reached.frames == replay.frame_count &&
                       reached.frames == recorded.frames && reached.score == recorded.score &&
                       reached.seconds == recorded.seconds;
  return ReplayCheck{reached, matches};
}

ReplayStatus LoadReplay(int folder, const char* path, Replay* replay, ReplayCheck* check) {
  std::string problem;
  if (!ReadReplayFile(folder, path, replay, &problem)) {
    std::fprintf(stderr, "velquadro: %s %s\n", path, problem.c_str());
    return kReplayUnusable;
  }
  *check = CheckReplay(*replay);
  if (check->matches) return kReplayPlays;
  const ReplayResult& got = check->reached;
  const ReplayResult& want = replay->result;
  std::fprintf(stderr,
               "velquadro: %s does not play to its recorded result: it reaches %d points in %d s over %d frames, "
               "the file says %d points in %d s over %d frames\n",
               path, got.score, got.seconds, got.frames, want.score, want.seconds, want.frames);
  return kReplayDiffers;
}

int32_t WatchReplay(Platform& platform, const Replay& replay) {
  GameState state;
  StartRecordedGame(platform, state, replay.start);
  Watcher watcher;
  const uint32_t watch_start = platform.Ticks();
  ReplayCursor cursor = StartReading(replay);
  FrameInput input{}, next{};
  bool more = ReadFrame(replay, cursor, &next);
  while (more && !state.field.game_over && !watcher.stop) {
    input = next;
    more = ReadFrame(replay, cursor, &next);
    // The frame's work comes when it came in the game: after its clock
    // reading and the pacing sleep; after a pause, just before the next
    // frame's reading.
    const int32_t sleep = std::max(0, kFrameMs - IntervalTo(state, input.ticks));
    uint32_t due = input.ticks - replay.start.ticks + static_cast<uint32_t>(sleep);
    if (input.paused && more) due = next.ticks - replay.start.ticks;
    for (;;) {
      WatchKeys(platform, watcher, state);
      const uint32_t now = platform.Ticks() - watch_start - watcher.paused_for;
      if (watcher.stop || static_cast<int32_t>(due - now) <= 0) break;
      platform.Delay(std::min(due - now, kWatchPollMs));
    }
    if (watcher.stop) break;
    // The recorded game's music and full-screen keys were its player's; only
    // the watcher's act now.
    UpdatePlayFrame(state, input);
    DrawFrame(platform, state);
  }
  return ShowEndScreen(platform, state);
}

int32_t WatchKeptReplay(Platform& platform, const char* name) {
  const std::string path = DataFilePath(name);
  Replay replay;
  ReplayCheck check;
  if (path.empty() || LoadReplay(AT_FDCWD, path.c_str(), &replay, &check) != kReplayPlays) return kBackToMenu;
  return WatchReplay(platform, replay);
}

}  // namespace vq
