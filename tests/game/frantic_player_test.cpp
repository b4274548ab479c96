// Plays the interactive game like a frantic player: random held keys and
// random key-down and key-up events, game after game through the game's own
// frame loop on the test platform, checking the playfield after every frame.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "frame_checks.h"
#include "game/game_session.h"
#include "game/play_game.h"

namespace vq::test {
namespace {

int EnvCount(const char* name, int fallback) {
  const char* text = std::getenv(name);
  const int value = text ? std::atoi(text) : 0;
  return value > 0 ? value : fallback;
}

// One player's habits: how often a held key flips, and how often the poll
// finds an event. Each player re-arms with a Ctrl or Alt key of its own.
class FranticPlayer {
 public:
  explicit FranticPlayer(unsigned seed) : random_(seed) {
    flip_ = 0.02 + 0.3 * Uniform();
    space_flip_ = 0.01 + 0.2 * Uniform();
    rearm_flip_ = 0.05 * Uniform();
    event_ = Uniform();
    const Key rearm_keys[] = {Key::LeftCtrl, Key::RightCtrl, Key::LeftAlt, Key::RightAlt};
    rearm_ = rearm_keys[seed % 4];
  }

  // Sets the keys and the event for the next frame.
  void Next(FakePlatform& fake) {
    for (Key key : {Key::Up, Key::Down, Key::Left, Key::Right}) Flip(fake, key, flip_);
    Flip(fake, Key::Space, space_flip_);
    Flip(fake, rearm_, rearm_flip_);
    if (Uniform() < event_) fake.events.push_back(Uniform() < 0.5 ? EventType::KeyDown : EventType::KeyUp);
  }

 private:
  double Uniform() { return std::uniform_real_distribution<double>(0.0, 1.0)(random_); }
  void Flip(FakePlatform& fake, Key key, double p) {
    if (Uniform() < p) fake.keys[static_cast<int>(key)] = !fake.KeyHeld(key);
  }

  std::mt19937 random_;
  double flip_, space_flip_, rearm_flip_, event_;
  Key rearm_;
};

TEST(FranticPlayer, PlayfieldStaysSoundFrameAfterFrame) {
  // VQ_FRANTIC_GAMES and VQ_FRANTIC_FRAMES raise the size for longer runs.
  const int seeds = EnvCount("VQ_FRANTIC_GAMES", 24);
  const int frames = EnvCount("VQ_FRANTIC_FRAMES", 3000);
  int64_t frames_run = 0, locks = 0, swept = 0, games = 0, passes = 0;
  const auto started = std::chrono::steady_clock::now();
  for (int seed = 1; seed <= seeds; ++seed) {
    FranticPlayer player(static_cast<unsigned>(seed));
    FakePlatform fake;
    fake.poll_budget = LONG_MAX;
    fake.blits.reserve(1024);
    GameState state;
    GameLedger ledger;
    auto start = [&](unsigned game_seed) {
      std::srand(game_seed);
      StartGame(fake, state, 0);
      ledger = GameLedger{};
      ++games;
    };
    auto finish = [&] {
      fake.keys = {};
      fake.Press(Key::Return);
      EndGame(fake, state, false);
      fake.keys = {};
      locks += ledger.locks;
      swept += ledger.swept;
      passes += ledger.passes;
    };
    start(static_cast<unsigned>(seed) * 7919u);
    for (int frame = 1; frame <= frames; ++frame) {
      player.Next(fake);
      const Playfield before = state.field;
      fake.blits.clear();
      const bool over = PlayFrame(fake, state);
      ledger.Book(before, state.field, RemovedBySparks(fake));
      ++frames_run;
      const std::string fault = CheckPlayfield(state.field, ledger);
      ASSERT_TRUE(fault.empty()) << fault << " (seed " << seed << ", frame " << frame << ")";
      if (over) {
        finish();
        start(static_cast<unsigned>(seed) * 7919u + static_cast<unsigned>(frame));
      }
    }
    finish();
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
