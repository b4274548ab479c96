// Plays the interactive game like a frantic player: random held keys and
// random key-down and key-up events, game after game through the game's own
// frame work, checking the playfield after every frame.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "frame_checks.h"

namespace vq::test {
namespace {

int EnvCount(const char* name, int fallback) {
  const char* text = std::getenv(name);
  const int value = text ? std::atoi(text) : 0;
  return value > 0 ? value : fallback;
}

// One player's habits: how often a held key flips, and how often the poll
// finds an event.
class FranticPlayer {
 public:
  explicit FranticPlayer(unsigned seed) : random_(seed) {
    flip_ = 0.02 + 0.3 * Uniform();
    space_flip_ = 0.01 + 0.2 * Uniform();
    rearm_flip_ = 0.05 * Uniform();
    event_ = Uniform();
  }

  // The keys and the event of the next frame.
  uint16_t Keys() {
    for (FrameKey key : {kFrameUp, kFrameDown, kFrameLeft, kFrameRight}) Flip(key, flip_);
    Flip(kFrameSpace, space_flip_);
    Flip(kFrameRearm, rearm_flip_);
    return keys_;
  }
  EventType Event() {
    if (Uniform() >= event_) return EventType::None;
    return Uniform() < 0.5 ? EventType::KeyDown : EventType::KeyUp;
  }

 private:
  double Uniform() { return std::uniform_real_distribution<double>(0.0, 1.0)(random_); }
  void Flip(FrameKey key, double p) {
    if (Uniform() < p) keys_ ^= key;
  }

  std::mt19937 random_;
  double flip_, space_flip_, rearm_flip_, event_;
  uint16_t keys_ = 0;
};

TEST(FranticPlayer, PlayfieldStaysSoundFrameAfterFrame) {
  // VQ_FRANTIC_GAMES and VQ_FRANTIC_FRAMES raise the size for longer runs.
  const int seeds = EnvCount("VQ_FRANTIC_GAMES", 24);
  const int frames = EnvCount("VQ_FRANTIC_FRAMES", 3000);
  int64_t frames_run = 0, locks = 0, swept = 0, games = 0, passes = 0;
  const auto started = std::chrono::steady_clock::now();
  for (int seed = 1; seed <= seeds; ++seed) {
    FranticPlayer player(static_cast<unsigned>(seed));
    CheckedGame game;
    auto add_up = [&] {
      locks += game.ledger.locks;
      swept += game.ledger.swept;
      passes += game.ledger.passes;
      ++games;
    };
    game.Start(static_cast<unsigned>(seed) * 7919u);
    for (int frame = 1; frame <= frames; ++frame) {
      const uint16_t keys = player.Keys();
      const std::string fault = game.Play(keys, player.Event());
      ++frames_run;
      ASSERT_TRUE(fault.empty()) << fault << " (seed " << seed << ", frame " << frame << ")";
      if (game.state.field.game_over) {
        add_up();
        game.Start(static_cast<unsigned>(seed) * 7919u + static_cast<unsigned>(frame));
      }
    }
    add_up();
  }
  const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - started).count();
  // The play must reach the interesting rules, or the checks prove nothing.
  EXPECT_GT(locks, frames_run / 100);
  EXPECT_GT(swept, locks / 4);
  EXPECT_GT(passes, frames_run / 200);
  std::printf("%lld frames in %lld games: %lld locks, %lld cells swept, %lld pass ends; %.1f us per frame\n",
              static_cast<long long>(frames_run), static_cast<long long>(games), static_cast<long long>(locks),
              static_cast<long long>(swept), static_cast<long long>(passes), us / static_cast<double>(frames_run));
}

}  // namespace
}  // namespace vq::test
