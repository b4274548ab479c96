// A long demo on the test platform: the autopilot plays game after game on the
// virtual clock, with music, pauses and full screen switched now and then, and
// after every frame the playfield, the score, the clock and what the frame
// drew are checked, and the frame must not have allocated anything.
// VQ_SOAK_FRAMES sets the length (the full soak is 1000000 frames).
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/replay.h"
#include "demo/demo_game.h"
#include "frame_checks.h"
#include "game/end_screen.h"
#include "game/game_resources.h"
#include "game/game_start.h"
#include "heap_counter.h"
#include "platform/fake_platform.h"
#include "rules/scoring.h"
#include "soak_support.h"

namespace vq {
namespace {

using test::CountHeap;
using test::EnvCount;
using test::GameLedger;

constexpr int64_t kDefaultFrames = 60000;

// Everything the checks compare a frame's result with.
struct Before {
  Playfield field;
  int flips;
};

int CountCellBlits(const FakePlatform& fake) {
  return static_cast<int>(std::count_if(fake.blits.begin(), fake.blits.end(), [](const FakePlatform::BlitRecord& b) {
    return b.image.size() == 13 && b.image.compare(6, 2, "sq") == 0;
  }));
}

// Empty when the frame left everything sound; otherwise what is wrong.
std::string CheckFrame(const FakePlatform& fake, const DemoState& state, const Before& before, const GameLedger& ledger,
                       uint32_t start_tick) {
  const GameState& game = state.game;
  const Playfield& p = game.field;
  std::string fault = test::CheckPlayfield(p, ledger);
  if (!fault.empty()) return fault;
  for (int32_t bar : game.visualiser_bars) {
    if (bar < 0 || bar > 27) return "visualiser bar " + std::to_string(bar);
  }
  const Autopilot& pilot = state.autopilot;
  if (pilot.target < 0 || pilot.target >= kCells) return "autopilot target " + std::to_string(pilot.target);
  if (pilot.decision_pending != 0 && pilot.decision_pending != 1) return "decision flag";
  if (pilot.turns != 0) return "turns left after the move: " + std::to_string(pilot.turns);

  // The play time is the latest reading of the clock minus the start-up one.
  const uint32_t latest = std::max(game.tick_a, game.tick_b);
  if (static_cast<uint32_t>(game.play_time) != latest - start_tick)
    return "play time " + std::to_string(game.play_time) + " for " + std::to_string(latest - start_tick) +
           " ms of clock";

  // One picture per frame, on the background of the skin on show, with every
  // cell of the Board, the piece and the queue.
  if (fake.flips != before.flips + 1) return "flips in one frame: " + std::to_string(fake.flips - before.flips);
  const std::string background = "gfx/" + std::to_string(p.skin) + "/bg.png";
  if (fake.blits.empty() || fake.blits.front().image != background || fake.blits.front().x != 0)
    return "the frame does not start with " + background;
  const int occupied =
      static_cast<int>(std::count_if(p.board, p.board + kCells, [](int32_t code) { return code != kEmpty; }));
  if (CountCellBlits(fake) != occupied + 4 + 12)
    return std::to_string(CountCellBlits(fake)) + " cells drawn for " + std::to_string(occupied) + " on the Board";
  return {};
}

// Music on and off, a pause, full screen: each now and then, one frame long.
void PressKeysFor(FakePlatform& fake, int64_t n) {
  fake.keys = {};
  if (n % 700 == 2 || n % 700 == 352) fake.Press(Key::M);
  if (n % 2900 == 31) fake.Press(Key::Return);
  if (n % 4100 == 8 || n % 4100 == 10) fake.Press(Key::F);
}

TEST(DemoSoak, GameAfterGameStaysSoundFrameAfterFrame) {
  const int64_t target = EnvCount("VQ_SOAK_FRAMES", kDefaultFrames);
  test::ScratchDirectory scratch;
  FakePlatform fake;
  fake.poll_budget = LONG_MAX;
  test::ReserveRecords(fake);

  int64_t frames = 0, games = 0, locks = 0, swept = 0, passes = 0, allocating = 0;
  int32_t best_score = 0;
  while (frames < target) {
    // Even games search for squares and are cut off by Escape; odd ones take
    // random columns and soon end by themselves.
    const bool search = games % 2 == 0;
    const int64_t cap = search ? std::max<int64_t>(target / 4, 1000) : target;
    DemoState state;
    GameResources resources = TakeGameResources(fake);
    StartDemo(fake, state, search, static_cast<uint32_t>(games + 1));
    GameLedger ledger;
    const uint32_t start_tick = state.game.tick_a;
    test::ClearRecords(fake);

    bool over = false;
    for (int64_t n = 1; !over; ++n) {
      fake.wall_time = 1700000000 + fake.now / 1000;
      PressKeysFor(fake, n);
      if (n >= cap) fake.Press(Key::Escape);
      const Before before{state.game.field, fake.flips};
      const int64_t allocations = CountHeap().allocations;
      over = DemoFrame(fake, resources, state);
      if (CountHeap().allocations != allocations) ++allocating;
      ++frames;
      ledger.Book(before.field, state.game.field, test::RemovedBySparks(fake));
      const std::string fault = CheckFrame(fake, state, before, ledger, start_tick);
      ASSERT_TRUE(fault.empty()) << fault << " (game " << games + 1 << ", frame " << n << ")";
      test::ClearRecords(fake);
    }
    fake.keys = {};
    fake.Press(Key::Return);
    ShowEndScreen(fake, resources.images, state.game);
    GiveBackGameResources(fake, resources, state.game);
    fake.keys = {};
    ASSERT_EQ(fake.LiveImages(), 0) << "images left loaded after game " << games + 1;
    ASSERT_EQ(fake.LiveMusic(), fake.music_playing ? 1 : 0) << "music left behind by game " << games + 1;
    ++games;
    locks += ledger.locks;
    swept += ledger.swept;
    passes += ledger.passes;
    best_score = std::max(best_score, state.game.field.score);
    fake.loads.clear();
    fake.frees.clear();
  }

  EXPECT_EQ(allocating, 0) << "frames that allocated memory";
  // The demo must reach every rule, or the checks prove little.
  EXPECT_GE(games, 3);
  EXPECT_GT(locks, frames / 100);
  EXPECT_GT(swept, locks);
  EXPECT_GT(passes, frames / 200);
  if (target >= 20000) {
    EXPECT_GE(best_score, 600) << "no game went round all five skins";
  }
  std::printf(
      "soak: %lld frames in %lld demo games: %lld locks, %lld cells swept, %lld pass ends, best score %d, "
      "%lld frames allocated memory\n",
      static_cast<long long>(frames), static_cast<long long>(games), static_cast<long long>(locks),
      static_cast<long long>(swept), static_cast<long long>(passes), best_score, static_cast<long long>(allocating));
}

// A played frame adds its input to the recording in room reserved at the
// start of the game: recording allocates nothing inside a frame either.
TEST(DemoSoak, ARecordedFrameAllocatesNothing) {
  test::ScratchDirectory scratch;
  FakePlatform fake;
  fake.poll_budget = LONG_MAX;
  test::ReserveRecords(fake);
  GameState state;
  const GameResources resources = TakeGameResources(fake);
  StartGame(fake, state, 0, 7);
  Replay recording;
  StartRecording(recording, state.start);
  int64_t allocating = 0;
  for (int64_t n = 1; !state.field.game_over; ++n) {
    PressKeysFor(fake, n);
    if (n % 5 == 0) fake.Tap(n % 10 ? Key::Left : Key::Up);
    if (n % 3 == 0) fake.events.push_back(n % 2 ? EventType::KeyDown : EventType::KeyUp);
    test::ClearRecords(fake);
    const int64_t allocations = CountHeap().allocations;
    PlayFrame(fake, resources, state, &recording);
    if (CountHeap().allocations != allocations) ++allocating;
  }
  EXPECT_EQ(allocating, 0) << "recorded frames that allocated memory";
  EXPECT_EQ(recording.frame_count, state.field.frame_counter);
  fake.keys = {};
  fake.Press(Key::Return);
  ShowEndScreen(fake, resources.images, state);
}

}  // namespace
}  // namespace vq
