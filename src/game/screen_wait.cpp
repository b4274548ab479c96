#include "game/screen_wait.h"

namespace vq {

namespace {

// The most events one look takes: a flood of them (a pad's stick that never
// rests, say) waits for the next look instead of holding the screen.
constexpr int kMostEventsPerLook = 64;

}  // namespace

bool ScreenWait::Look() {
  EventType taken;
  for (int n = 0; n < kMostEventsPerLook && !quit_ && platform_.PollEvent(&taken); ++n) {
    last_ = taken;
    quit_ = taken == EventType::Quit;
  }
  if (quit_) return false;
  if (keys_.full_screen && Pressed(Key::F)) {
    platform_.ToggleFullScreen();
    platform_.Flip();
  }
  if (keys_.music && Pressed(Key::M)) {
    music_on_ = !music_on_;
    if (music_on_) {
      platform_.PlayMusicLooped(keys_.music);
    } else {
      platform_.HaltMusic();
    }
  }
  return true;
}

bool ScreenWait::Pressed(Key key) {
  OncePerPress& once = keys_pressed_[static_cast<size_t>(key)];
  // A press taken now went down since the last look, so the key was up in
  // between even when no look saw it up.
  const bool new_press = platform_.TakePress(key);
  if (new_press) once.released = true;
  return once.Act(new_press || platform_.KeyHeld(key));
}

bool ScreenWait::AnyHeld() {
  for (int k = 0; k < static_cast<int>(Key::Count); ++k) {
    if (platform_.KeyHeld(static_cast<Key>(k))) return true;
  }
  return false;
}

void ScreenWait::ForgetPresses() {
  for (int k = 0; k < static_cast<int>(Key::Count); ++k) {
    platform_.TakePress(static_cast<Key>(k));
    keys_pressed_[static_cast<size_t>(k)].released = !platform_.KeyHeld(static_cast<Key>(k));
  }
  platform_.TakeAnyPress();
}

}  // namespace vq
