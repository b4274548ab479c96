// How a screen waits for the player. The title menu, the help, a game's
// pause, the end screen and a replay being watched all look at the input
// through a ScreenWait, in a loop of the same shape:
//
//   ScreenWait wait(platform);
//   while (wait.Look() && <the screen goes on>) wait.Sleep(ms);
//
// Each look takes every pending event. A request to end the program (the
// window closed, or SIGTERM, SIGINT or SIGHUP) ends the wait for good: the
// platform reports it at every poll from then on, and a screen that went on
// taking events would never get past it. F and M act in the look on the
// screens that leave them to the wait, and the screen's own keys act once
// per press. Sleep is the one place where a waiting screen gives the machine
// back.
#pragma once

#include <array>
#include <cstdint>

#include "platform/platform.h"
#include "rules/input.h"

namespace vq {

// The keys a screen leaves to its wait.
struct WaitKeys {
  bool full_screen = false;  // F switches full screen and shows the picture again
  Music* music = nullptr;    // M starts this music and stops it again; nullptr: M does nothing
};

class ScreenWait {
 public:
  explicit ScreenWait(Platform& platform, WaitKeys keys = {}) : platform_(platform), keys_(keys) {}

  // One look at the input: every pending event is taken (the last is kept),
  // then F and M where the wait takes them. False once the program is to end.
  bool Look();
  // The program is to end: the window was closed or a signal came.
  bool Quit() const { return quit_; }
  // The last event taken; None when none came, Quit once the program is to end.
  EventType LastEvent() const { return last_; }

  bool Held(Key key) { return platform_.KeyHeld(key); }
  // Held now, or pressed and let go again since the screen last asked.
  bool HeldOrPressed(Key key) { return vq::HeldOrPressed(platform_, key); }
  // Once per press: true the first time the screen asks after the key went
  // down, also when it was let go again meanwhile.
  bool Pressed(Key key);
  // Any key of the keyboard, or any pad button, went down since last asked.
  bool AnyPressed() { return platform_.TakeAnyPress(); }
  bool AnyHeld();
  // The presses made so far belong to another screen, and the keys held now
  // act only once pressed anew: for a screen that opens, or comes back from
  // another one.
  void ForgetPresses();

  void Sleep(uint32_t ms) { platform_.Wait(ms); }

 private:
  Platform& platform_;
  WaitKeys keys_;
  bool quit_ = false;
  EventType last_ = EventType::None;
  bool music_on_ = false;
  std::array<OncePerPress, static_cast<size_t>(Key::Count)> keys_pressed_{};
};

}  // namespace vq
