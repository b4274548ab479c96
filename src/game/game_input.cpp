#include "game/game_input.h"

#include <initializer_list>

#include "core/frame_steps.h"
#include "game/screen_wait.h"

namespace vq {

namespace {

// How long a wait sleeps between two looks at the keys: short enough to
// answer a key at once, long enough to leave the processor idle.
constexpr uint32_t kIdlePollMs = 10;

// The keys read on every frame: a press made between two frames acts in the
// next one, as if the key had been held across it.
constexpr struct {
  Key key;
  FrameKey bit;
} kEveryFrameKeys[] = {{Key::Up, kFrameUp},       {Key::Down, kFrameDown},   {Key::Left, kFrameLeft},
                       {Key::Right, kFrameRight}, {Key::Space, kFrameSpace}, {Key::Escape, kFrameEscape}};

uint16_t ReadFrameKeys(Platform& platform) {
  uint16_t keys = 0;
  for (const auto& each : kEveryFrameKeys) {
    if (HeldOrPressed(platform, each.key)) keys |= each.bit;
  }
  for (Key rearm : {Key::LeftCtrl, Key::RightCtrl, Key::LeftAlt, Key::RightAlt}) {
    if (platform.KeyHeld(rearm)) keys |= kFrameRearm;
  }
  if (platform.KeyHeld(Key::Return)) keys |= kFrameReturn;
  if (platform.KeyHeld(Key::M)) keys |= kFrameM;
  if (platform.KeyHeld(Key::F)) keys |= kFrameF;
  return keys;
}

}  // namespace

void ForgetInputBeforeTheGame(Platform& platform) {
  for (const auto& each : kEveryFrameKeys) platform.TakePress(each.key);
  platform.TakeFocusLoss();
}

FrameInput GatherFrameInput(Platform& platform, const GameState& state) {
  FrameInput input{};
  // The measure's clock reading. The sleep comes before the frame's work,
  // which is therefore not counted: two frames take 60 ms plus the work of
  // one.
  input.ticks = platform.Ticks();
  const uint32_t sleep = PacingSleep(state, input.ticks);
  if (sleep > 0) platform.Delay(sleep);
  // The wall clock, for the reseed.
  if (ReseedsOn(state.field.frame_counter + 1)) input.wall_time = platform.Time();
  // At most one event, and the keys held (or pressed) now.
  EventType taken = EventType::None;
  if (platform.PollEvent(&taken)) input.event = taken;
  input.keys = ReadFrameKeys(platform);
  input.focus_lost = platform.TakeFocusLoss();
  // The pause: nothing is drawn, the last frame stays on screen and the music
  // plays on, until Return (or closing the window).
  if (PauseDue(state, input)) {
    platform.Delay(kPauseMs);
    input.paused = true;
    platform.ShowActivity(Activity::Paused);
    input.pause_event = WaitForReturn(platform);
    platform.ShowActivity(Activity::Playing);
  }
  return input;
}

EventType WaitForReturn(Platform& platform) {
  ScreenWait wait(platform);
  while (wait.Look() && !wait.Held(Key::Return)) wait.Sleep(kIdlePollMs);
  // The focus lost while the game waited is no reason to pause it again.
  platform.TakeFocusLoss();
  return wait.LastEvent();
}

}  // namespace vq
