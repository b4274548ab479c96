#include "game/watch_replay.h"

#include <fcntl.h>

#include <algorithm>

#include "core/frame_steps.h"
#include "core/play_frame.h"
#include "game/draw_frame.h"
#include "game/end_screen.h"
#include "game/game_input.h"
#include "game/game_resources.h"
#include "game/game_result.h"
#include "game/screen_wait.h"
#include "saves/replay_files.h"

namespace vq {

namespace {

// How long the watch sleeps at most between two looks at the keys while it
// waits for a frame's time to come.
constexpr uint32_t kWatchPollMs = 10;

// The watcher's own keys, apart from the recorded game's, between two frames:
// Escape ends the watch, Return pauses it until Return comes again, and the
// ms it paused are added to paused_for, after which the recorded pace
// resumes; F and M are the wait's. False when the watch ends; a request to
// end the program ends it as a closed window ends a game.
bool WatchKeys(Platform& platform, ScreenWait& wait, GameState& state, uint32_t& paused_for) {
  if (!wait.Look()) {
    state.window_closed = true;
    return false;
  }
  if (wait.HeldOrPressed(Key::Escape)) return false;
  if (wait.Pressed(Key::Return)) {
    const uint32_t from = platform.Ticks();
    platform.Delay(kPauseMs);
    platform.ShowActivity(Activity::WatchPaused);
    const EventType ended = WaitForReturn(platform);
    platform.ShowActivity(Activity::Watching);
    if (ended == EventType::Quit) {
      state.window_closed = true;
      return false;
    }
    paused_for += platform.Ticks() - from;
  }
  return true;
}

}  // namespace

int32_t WatchReplay(Platform& platform, const Replay& replay) {
  GameResources resources = TakeGameResources(platform);
  GameState state;
  StartGameState(state, replay.start);
  // The recorded game's music and full-screen keys were its player's; the
  // watcher has keys of their own. The R, B or Return that started the watch
  // is no press here.
  ScreenWait wait(platform, WaitKeys{true, resources.music_available ? resources.music : nullptr});
  wait.ForgetPresses();
  platform.ShowActivity(Activity::Watching);
  uint32_t paused_for = 0;
  bool watching = true;
  const uint32_t watch_start = platform.Ticks();
  ReplayCursor cursor = StartReading(replay);
  FrameInput input{}, next{};
  bool more = ReadFrame(replay, cursor, &next);
  while (more && !state.field.game_over && watching) {
    input = next;
    more = ReadFrame(replay, cursor, &next);
    // The frame's work comes when it came in the game: after its clock
    // reading and the pacing sleep; after a pause, just before the next
    // frame's reading.
    uint32_t due = input.ticks - replay.start.ticks + PacingSleep(state, input.ticks);
    if (input.paused && more) due = next.ticks - replay.start.ticks;
    for (;;) {
      watching = WatchKeys(platform, wait, state, paused_for);
      const uint32_t now = platform.Ticks() - watch_start - paused_for;
      if (!watching || static_cast<int32_t>(due - now) <= 0) break;
      wait.Sleep(std::min(due - now, kWatchPollMs));
    }
    if (!watching) break;
    UpdatePlayFrame(state, input);
    // A hidden window shows nothing: only the last frame is drawn, for the
    // end screen.
    if (!platform.Hidden() || state.field.game_over) DrawFrame(platform, resources.images, state);
  }
  // The place belonged to the game when it was played: the watch tells the
  // score alone.
  const EndResult told{state.field.score, 0, false};
  const int32_t result = ShowEndScreen(platform, resources.images, state, &told);
  platform.ShowActivity(Activity::Other);
  GiveBackGameResources(platform, resources, state);
  return result;
}

int32_t WatchReplayFile(Platform& platform, const std::string& path) {
  Replay replay;
  ReplayCheck check;
  if (path.empty() || LoadReplay(AT_FDCWD, path.c_str(), &replay, &check) != kReplayPlays) return kBackToMenu;
  return WatchReplay(platform, replay);
}

}  // namespace vq
