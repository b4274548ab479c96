// Two hundred games in a row in one process, as a long evening strings them
// together: Play, Time attack and the Demo in turn, each with a restless
// player. After every game no image may be left loaded and the heap must hold
// exactly the blocks it held after the first round, and the process must not
// have grown. VQ_MANY_GAMES sets the number of games.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <fstream>
#include <string>

#include "demo/demo_game.h"
#include "game/play_game.h"
#include "heap_counter.h"
#include "platform/fake_platform.h"
#include "soak_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define VQ_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VQ_UNDER_ASAN 1
#endif
#endif

namespace vq {
namespace {

using test::CountHeap;
using test::EnvCount;

// Resident memory of this process, in KiB.
long ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

uint64_t Mix(uint64_t x) {
  x += 0x9e3779b97f4a7c15ull;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
  return x ^ (x >> 31);
}

enum class Kind { kPlay, kTimeAttack, kDemo };

// The keys held in frame `frame` of game `game`: the same on every poll of
// that frame, so that a pause taken with Return ends at once.
void HoldKeys(FakePlatform& fake, Kind kind, int game, int frame, int escape_frame) {
  fake.keys = {};
  const uint64_t r = Mix(static_cast<uint64_t>(game) << 32 | static_cast<uint64_t>(frame));
  if (kind != Kind::kDemo) {
    const Key piece_keys[] = {Key::Left, Key::Right, Key::Up, Key::Down, Key::Space, Key::LeftCtrl};
    for (int k = 0; k < 6; ++k) {
      if ((r >> (8 * k)) % 4 == 0) fake.Press(piece_keys[k]);
    }
    if ((r >> 48) % 3 == 0) fake.events.push_back((r >> 50) % 2 ? EventType::KeyDown : EventType::KeyUp);
  }
  if ((r >> 52) % 97 == 0) fake.Press(Key::M);
  if ((r >> 52) % 211 == 1) fake.Press(Key::Return);
  if ((r >> 52) % 401 == 2) fake.Press(Key::F);
  if (kind != Kind::kTimeAttack && frame >= escape_frame) fake.Press(Key::Escape);
}

TEST(ManyGames, TwoHundredGamesLeaveNothingBehind) {
  const int games = static_cast<int>(EnvCount("VQ_MANY_GAMES", 200));
  test::ScratchDirectory scratch;
  FakePlatform fake;
  fake.poll_budget = LONG_MAX;
  test::ReserveRecords(fake);
  fake.loads.reserve(64);
  fake.frees.reserve(64);

  Kind kind = Kind::kPlay;
  int game = 0;
  int first_flip = 0;
  int escape_frame = 0;
  bool end_screen = false;
  fake.on_flip = [&](FakePlatform& f) {
    // The overlay, and the result of a Play or Time attack game over it.
    end_screen = std::any_of(f.blits.begin(), f.blits.end(), [](const auto& b) { return b.image == "gfx/dead.png"; });
    test::ClearRecords(f);
  };
  fake.on_poll = [&](FakePlatform& f) {
    f.events.clear();
    if (end_screen) {
      f.keys = {};
      f.Press(Key::Return);
      return;
    }
    HoldKeys(f, kind, game, f.flips - first_flip + 1, escape_frame);
  };

  int64_t baseline_live = -1;
  long resident_after_round = 0;
  int summaries_expected = 0;
  int summaries = 0;
  for (game = 1; game <= games; ++game) {
    kind = static_cast<Kind>(game % 3);
    first_flip = fake.flips;
    escape_frame = 200 + static_cast<int>(Mix(static_cast<uint64_t>(game)) % 400);
    end_screen = false;
    int32_t result = -1;
    ::testing::internal::CaptureStdout();
    switch (kind) {
      case Kind::kPlay: result = PlayGame(fake, 0, static_cast<uint32_t>(game)); break;
      case Kind::kTimeAttack: result = PlayGame(fake, 10, static_cast<uint32_t>(game)); break;
      case Kind::kDemo: result = DemoGame(fake, static_cast<uint32_t>(game)); break;
    }
    if (::testing::internal::GetCapturedStdout().find("You have perished\n") != std::string::npos) ++summaries;
    if (kind != Kind::kDemo) ++summaries_expected;
    ASSERT_EQ(result, kBackToMenu) << "game " << game;
    ASSERT_TRUE(end_screen) << "game " << game << " ended without its end screen";
    ASSERT_EQ(fake.LiveImages(), 0) << "images left loaded by game " << game;
    // Music still playing would go on into the next game; stopping it here
    // lets the heap be compared game by game.
    fake.HaltMusic();
    ASSERT_EQ(fake.LiveMusic(), 0) << "music left behind by game " << game;
    fake.loads.clear();
    fake.frees.clear();
    fake.events.clear();
    test::ClearRecords(fake);

    const int64_t live = CountHeap().live;
    if (game == 3) {
      baseline_live = live;
      resident_after_round = ResidentKiB();
    } else if (game > 3) {
      ASSERT_EQ(live, baseline_live) << "heap blocks after game " << game << " against the first round";
    }
  }
  const long growth = ResidentKiB() - resident_after_round;
  EXPECT_EQ(summaries, summaries_expected);
  std::printf("%d games: %lld heap blocks live after each, resident memory grew by %ld KiB after the first round\n",
              games, static_cast<long long>(baseline_live), growth);
#ifndef VQ_UNDER_ASAN
  // The address sanitizer keeps freed memory in quarantine, and a memory
  // checker that takes over the heap (then nothing reaches the counter) has
  // its own bookkeeping; elsewhere the process must stay the size it was.
  if (CountHeap().allocations > 0) {
    EXPECT_LT(growth, 256) << "KiB of growth";
  }
#endif
}

}  // namespace
}  // namespace vq
