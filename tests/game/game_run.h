// Runs whole games on the fake platform and reads back what they showed:
// frames by their flips, the piece and the HUD numbers from the blits.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "game/play_game.h"
#include "platform/fake_platform.h"
#include "temp_dir.h"

namespace vq::test {

using Blit = FakePlatform::BlitRecord;

// What stood on the record when a frame (or the end screen) was flipped.
struct Snapshot {
  uint32_t now;
  size_t delays;
  size_t audio_calls;
  int fullscreen_toggles;
  int time_calls;
  long polls;
};

// One game on the fake platform. before_frame(fake, n) sets the keys and
// events for frame n; once the end-screen overlay is shown, Return is pressed
// (unless press_return_at_end is false).
struct GameRun {
  FakePlatform fake;
  std::function<void(FakePlatform&, int)> before_frame = [](FakePlatform&, int) {};
  bool press_return_at_end = true;
  uint32_t seed = 4242;  // of the game's random numbers

  std::vector<Snapshot> shown;  // shown[n - 1] at flip n
  int end_flip = 0;             // flip that showed the overlay; 0 if none
  std::string out;              // standard output of the game
  int32_t result = -1;

  explicit GameRun() { fake.poll_budget = 200000; }

  void Run(int32_t time_limit) {
    fake.on_flip = [this](FakePlatform& f) {
      shown.push_back({f.now, f.delays.size(), f.audio_calls.size(), f.fullscreen_toggles, f.time_calls, f.polls});
      if (end_flip == 0 && ShowsOverlay(f)) {
        end_flip = f.flips;
        if (press_return_at_end) f.Press(Key::Return);
        return;
      }
      if (end_flip == 0) before_frame(f, f.flips + 1);
    };
    before_frame(fake, 1);
    ::testing::internal::CaptureStdout();
    result = PlayGame(fake, time_limit, seed);
    out = ::testing::internal::GetCapturedStdout();
  }

  // The flip just made showed the end overlay (the result may follow it).
  static bool ShowsOverlay(const FakePlatform& f) {
    for (auto b = f.blits.rbegin(); b != f.blits.rend() && b->flip == f.flips - 1; ++b) {
      if (b->image == "gfx/dead.png") return true;
    }
    return false;
  }

  // Frames played (the overlay's flip is not a frame).
  int Frames() const { return end_flip ? end_flip - 1 : static_cast<int>(shown.size()); }

  // The blits of frame n (1-based).
  std::vector<Blit> FrameBlits(int n) const {
    std::vector<Blit> result;
    for (const Blit& b : fake.blits) {
      if (b.flip == n - 1) result.push_back(b);
    }
    return result;
  }

  // The number drawn in frame n with glyph tops at y; -1 when none is drawn.
  int HudNumber(int n, int y) const {
    std::vector<Blit> glyphs;
    for (const Blit& b : FrameBlits(n)) {
      if (b.image == "gfx/numbers.png" && b.y == y) glyphs.push_back(b);
    }
    if (glyphs.empty()) return -1;
    std::sort(glyphs.begin(), glyphs.end(), [](const Blit& a, const Blit& b) { return a.x < b.x; });
    int value = 0;
    for (const Blit& g : glyphs) value = value * 10 + g.sx / 20;
    return value;
  }

  // The four piece cells of frame n: the cell blits just before the marker.
  std::vector<Blit> PieceBlits(int n) const {
    std::vector<Blit> frame = FrameBlits(n);
    auto marker = std::find_if(frame.begin(), frame.end(), [](const Blit& b) { return b.image == "gfx/tempo.png"; });
    if (marker - frame.begin() < 4) return {};
    return std::vector<Blit>(marker - 4, marker);
  }

  // Calls recorded between two snapshots, counted by name.
  int AudioCallsIn(size_t from, size_t to, const std::string& name) const {
    return static_cast<int>(std::count(fake.audio_calls.begin() + from, fake.audio_calls.begin() + to, name));
  }
  int LongDelaysUpTo(int frame) const {
    return static_cast<int>(std::count(fake.delays.begin(), fake.delays.begin() + shown[frame - 1].delays, 500u));
  }
};

// Holds Escape for frame n, which ends the game after that frame.
inline std::function<void(FakePlatform&, int)> EscapeAt(int n, std::function<void(FakePlatform&, int)> also = {}) {
  return [n, also](FakePlatform& f, int frame) {
    if (also) also(f, frame);
    if (frame == n) f.Press(Key::Escape);
  };
}

}  // namespace vq::test
