// Plays the rules like a frantic player: random held keys, random key-down and
// key-up events, many games, and checks the playfield after every frame.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>

#include "frame_driver.h"

namespace vq {
namespace {

int EnvCount(const char* name, int fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr) return fallback;
  const int value = std::atoi(text);
  return value > 0 ? value : fallback;
}

// One player's habits: how often a held key flips, and how often the poll
// finds an event.
struct Style {
  double flip;
  double space_flip;
  double rearm_flip;
  double event;
};

class FranticPlayer {
 public:
  FranticPlayer(unsigned seed) : random_(seed) {
    std::uniform_real_distribution<double> any(0.0, 1.0);
    style_ = Style{0.02 + 0.3 * any(random_), 0.01 + 0.2 * any(random_), 0.05 * any(random_), any(random_)};
  }

  FrameInput Next() {
    FrameInput in = last_;
    Flip(in.keys.up, style_.flip);
    Flip(in.keys.down, style_.flip);
    Flip(in.keys.left, style_.flip);
    Flip(in.keys.right, style_.flip);
    Flip(in.keys.space, style_.space_flip);
    Flip(in.keys.rearm, style_.rearm_flip);
    in.event = EventType::None;
    if (Chance(style_.event)) in.event = Chance(0.5) ? EventType::KeyDown : EventType::KeyUp;
    last_ = in;
    return in;
  }

 private:
  bool Chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(random_) < p; }
  void Flip(bool& key, double p) {
    if (Chance(p)) key = !key;
  }

  std::mt19937 random_;
  Style style_;
  FrameInput last_;
};

TEST(FranticPlayer, PlayfieldStaysSoundFrameAfterFrame) {
  // VQ_FRANTIC_GAMES and VQ_FRANTIC_FRAMES raise the size for longer runs.
  const int seeds = EnvCount("VQ_FRANTIC_GAMES", 48);
  const int frames = EnvCount("VQ_FRANTIC_FRAMES", 8000);
  int64_t frames_run = 0, locks = 0, swept = 0, games = 0, passes = 0;
  using Clock = std::chrono::steady_clock;
  const auto started = Clock::now();
  Clock::duration in_rules{};
  for (int seed = 1; seed <= seeds; ++seed) {
    FranticPlayer player(static_cast<unsigned>(seed));
    FrameDriver d;
    StartDriver(d, static_cast<unsigned>(seed) * 7919u);
    ++games;
    for (int frame = 1; frame <= frames; ++frame) {
      const FrameInput in = player.Next();
      const auto before = Clock::now();
      RunFrame(d, in);
      in_rules += Clock::now() - before;
      ++frames_run;
      const std::string fault = CheckInvariants(d);
      ASSERT_TRUE(fault.empty()) << fault << " (seed " << seed << ", frame " << frame << ")";
      if (d.field.game_over != 0) {
        locks += d.locks;
        swept += d.cells_swept;
        passes += d.passes;
        StartDriver(d, static_cast<unsigned>(seed) * 7919u + static_cast<unsigned>(frame));
        ++games;
      }
    }
    locks += d.locks;
    swept += d.cells_swept;
    passes += d.passes;
  }
  const auto micro = [](Clock::duration t) { return std::chrono::duration<double, std::micro>(t).count(); };
  const double per_frame = micro(Clock::now() - started) / static_cast<double>(frames_run);
  const double rules_per_frame = micro(in_rules) / static_cast<double>(frames_run);
  // The play must reach the interesting rules, or the invariants prove nothing.
  EXPECT_GT(locks, frames_run / 100);
  EXPECT_GT(swept, locks / 4);
  EXPECT_GT(passes, frames_run / 200);
  std::printf("%lld frames in %lld games: %lld locks, %lld cells swept, %lld pass ends; %.3f us per frame "
              "in the rules, %.3f us with the player and the checks\n",
              static_cast<long long>(frames_run), static_cast<long long>(games), static_cast<long long>(locks),
              static_cast<long long>(swept), static_cast<long long>(passes), rules_per_frame, per_frame);
}

}  // namespace
}  // namespace vq
