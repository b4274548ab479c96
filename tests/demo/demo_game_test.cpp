// Whole demo games and single demo frames on the fake platform.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "demo/demo_game.h"
#include "game_run.h"
#include "platform/fake_platform.h"

namespace vq {
namespace {

constexpr int32_t kSpawnTopLeft = -24;

// Each test runs in a fresh empty directory, where the game looks for its
// hiscore file.
class DemoTest : public test::InTempDir {
 protected:
  DemoTest() { fake_.poll_budget = 1000000; }

  // Names of the files in the test's directory.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    DIR* dir = opendir(dir_.c_str());
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    return names;
  }

  // Runs a whole demo: Escape is held from frame escape_frame on, Return is
  // pressed once the end-screen overlay is shown. Returns what DemoGame gave.
  int32_t RunWhole(unsigned seed, int escape_frame, std::string* out) {
    fake_.on_flip = [this, escape_frame](FakePlatform& f) {
      if (!f.blits.empty() && f.blits.back().image == "gfx/dead.png") {
        overlay_flip_ = f.flips;
        return;
      }
      f.ClearBlits();
      if (f.flips + 1 >= escape_frame) f.Press(Key::Escape);
    };
    fake_.on_poll = [this](FakePlatform& f) {
      // Return comes a little while after the overlay, so that the wait shows.
      if (overlay_flip_ && ++polls_on_end_screen_ == 20) f.Press(Key::Return);
    };
    std::srand(seed);
    ::testing::internal::CaptureStdout();
    const int32_t result = RunDemoGame(fake_, true, &outcome_);
    *out = ::testing::internal::GetCapturedStdout();
    return result;
  }

  FakePlatform fake_;
  DemoOutcome outcome_{};
  int overlay_flip_ = 0;
  int polls_on_end_screen_ = 0;
};

TEST_F(DemoTest, FirstDecisionInFrameOneTakesARandomColumn) {
  for (bool search : {false, true}) {
    SCOPED_TRACE(search ? "with the search" : "random column only");
    FakePlatform fake;
    DemoState state;
    std::srand(5);
    StartDemo(fake, state, search);
    ASSERT_EQ(state.autopilot.decision_pending, 1);
    ASSERT_EQ(state.autopilot.target, 0);
    DemoFrame(fake, state);

    // Start-up drew twelve queue colours and sixteen visualiser bars; the
    // decision took the next number.
    std::srand(5);
    for (int draw = 0; draw < 28; ++draw) std::rand();
    const int32_t goal = std::rand() % 16;
    EXPECT_EQ(state.autopilot.decision_pending, 0);
    EXPECT_EQ(state.autopilot.target, 144 + goal);
    // The first move of frame 1 is a step toward the goal (or none over it).
    const int32_t step = goal < 8 ? -1 : goal > 8 ? 1 : 0;
    EXPECT_EQ(state.game.field.piece.pos[0], kSpawnTopLeft + step);
  }
}

TEST_F(DemoTest, OneColourPieceComesStraightDownItsOwnColumn) {
  DemoState state;
  std::srand(9);
  StartDemo(fake_, state, true);
  for (int32_t& colour : state.game.field.piece.colour) colour = 2;

  // Bottom-left's row after each frame: a row on every even frame, and the
  // gravity step of frame 10 adds one; the piece reaches the bottom row in
  // frame 18 and locks in frame 20.
  const int32_t rows[] = {-1, 0, 0, 1, 1, 2, 2, 3, 3, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9};
  for (int frame = 1; frame <= 19; ++frame) {
    SCOPED_TRACE(frame);
    DemoFrame(fake_, state);
    const Piece& piece = state.game.field.piece;
    const int32_t expected_bottom_left = rows[frame - 1] * 16 + 8;
    EXPECT_EQ(piece.pos[2], expected_bottom_left);
    EXPECT_EQ(piece.pos[3], expected_bottom_left + 1);
    EXPECT_EQ(piece.pos[0], expected_bottom_left - 16);
    EXPECT_EQ(state.autopilot.target, 152);
    EXPECT_EQ(state.autopilot.decision_pending, 1);
  }
  DemoFrame(fake_, state);  // frame 20: locked, and the next piece is in
  const Playfield& field = state.game.field;
  EXPECT_EQ(field.piece.pos[0], kSpawnTopLeft);
  EXPECT_EQ(state.autopilot.decision_pending, 1);
  for (int32_t cell : {136, 137, 152, 153}) EXPECT_EQ(field.board[cell], 4) << cell;  // a marked square
}

TEST_F(DemoTest, EveryLockAsksForADecisionAndOnlyALockDoes) {
  for (bool search : {false, true}) {
    SCOPED_TRACE(search ? "with the search" : "random column only");
    FakePlatform fake;
    DemoState state;
    std::srand(21);
    StartDemo(fake, state, search);
    int locks = 0;
    for (int frame = 1; frame <= 600 && !state.game.field.game_over; ++frame) {
      const int32_t top_left_before = state.game.field.piece.pos[0];
      const int32_t pending_before = state.autopilot.decision_pending;
      DemoFrame(fake, state);
      const bool locked = frame % 10 == 0 && top_left_before != kSpawnTopLeft &&
                          state.game.field.piece.pos[0] == kSpawnTopLeft;
      if (locked) {
        ++locks;
        EXPECT_EQ(state.autopilot.decision_pending, 1) << "frame " << frame;
      } else if (pending_before == 0) {
        EXPECT_EQ(state.autopilot.decision_pending, 0) << "frame " << frame;
      }
    }
    EXPECT_GT(locks, 10);
  }
}

TEST_F(DemoTest, PieceKeysDoNothing) {
  // The same seed with and without the piece keys gives the same game.
  struct Frame {
    std::vector<int32_t> piece;
    std::vector<int32_t> board;
    bool operator==(const Frame& other) const { return piece == other.piece && board == other.board; }
  };
  auto play = [](FakePlatform& fake) {
    std::vector<Frame> frames;
    DemoState state;
    std::srand(33);
    StartDemo(fake, state, true);
    for (int frame = 1; frame <= 400; ++frame) {
      DemoFrame(fake, state);
      const Playfield& field = state.game.field;
      frames.push_back({std::vector<int32_t>(field.piece.pos, field.piece.pos + 4),
                        std::vector<int32_t>(field.board, field.board + kCells)});
    }
    return frames;
  };
  const std::vector<Frame> quiet = play(fake_);

  FakePlatform pressing;
  pressing.on_poll = [](FakePlatform& f) {
    // Held, released and pressed again, with their events, so that any
    // handling of these keys would show.
    const bool held = f.polls % 4 < 2;
    for (Key k : {Key::Up, Key::Down, Key::Left, Key::Right, Key::Space, Key::LeftCtrl,
                  Key::RightCtrl, Key::LeftAlt, Key::RightAlt}) {
      f.keys[static_cast<int>(k)] = held;
    }
    f.events.push_back(held ? EventType::KeyDown : EventType::KeyUp);
  };
  const std::vector<Frame> busy = play(pressing);
  ASSERT_EQ(quiet.size(), busy.size());
  for (size_t n = 0; n < quiet.size(); ++n) ASSERT_TRUE(quiet[n] == busy[n]) << "frame " << n + 1;
  EXPECT_EQ(pressing.fullscreen_toggles, 0);
  EXPECT_EQ(pressing.delays, fake_.delays);  // and no pause
}

TEST_F(DemoTest, EscapeEndsAfterTheFrameIsDrawnAndReturnLeavesTheEndScreen) {
  std::string out;
  EXPECT_EQ(RunWhole(3, 40, &out), kBackToMenu);
  EXPECT_EQ(overlay_flip_, 41);  // frame 40 was drawn and shown, then the overlay
  EXPECT_EQ(out, "");
  // The end screen waited for Return, sleeping between its looks at the keys.
  EXPECT_GE(polls_on_end_screen_, 20);
  int sleeps_after_overlay = 0;
  for (auto it = fake_.delays.rbegin(); it != fake_.delays.rend() && *it != 60; ++it) ++sleeps_after_overlay;
  EXPECT_GE(sleeps_after_overlay, 19);
  EXPECT_EQ(fake_.LiveImages(), 0);
}

TEST_F(DemoTest, ADemoThatBeatsTheHiscoreStoresNothingAndPrintsNothing) {
  WriteFile("hiscore.dat", "1\n");
  {
    FakePlatform probe;
    DemoState state;
    StartDemo(probe, state, true);
    EXPECT_EQ(state.game.hiscore, 1);  // read for the HUD
  }
  std::string out;
  EXPECT_EQ(RunWhole(8, 1500, &out), kBackToMenu);
  EXPECT_EQ(outcome_.frames, 1500);
  EXPECT_GT(outcome_.score, 1);
  EXPECT_EQ(out, "");
  EXPECT_EQ(ReadFile("hiscore.dat"), "1\n");
  EXPECT_EQ(Files(), std::vector<std::string>{"hiscore.dat"});
}

TEST_F(DemoTest, ClosingTheWindowEndsTheProgram) {
  fake_.on_flip = [](FakePlatform& f) {
    f.ClearBlits();
    if (f.flips == 25) f.events.push_back(EventType::Quit);
  };
  std::srand(4);
  ::testing::internal::CaptureStdout();
  const int32_t result = DemoGame(fake_);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(result, kQuitProgram);
  EXPECT_EQ(fake_.flips, 27);  // frame 26 took the request and was shown; then the overlay
  EXPECT_EQ(fake_.LiveImages(), 0);
}

// A few seeded games of 3000 frames each way: the search must earn at least
// three times the points per frame of the random column, and last longer.
TEST_F(DemoTest, TheSearchOutscoresTheRandomColumn) {
  constexpr int kFrameCap = 3000;
  auto play = [](unsigned seed, bool search) {
    FakePlatform fake;
    fake.wall_time += seed * 100000;
    fake.on_flip = [](FakePlatform& f) {
      if (!f.blits.empty() && f.blits.back().image == "gfx/dead.png") f.Press(Key::Return);
      f.ClearBlits();
      if (f.flips + 1 >= kFrameCap) f.Press(Key::Escape);
    };
    fake.on_poll = [start = fake.wall_time](FakePlatform& f) { f.wall_time = start + f.now / 1000; };
    std::srand(seed);
    DemoOutcome outcome{};
    RunDemoGame(fake, search, &outcome);
    return outcome;
  };
  double rate[2] = {0, 0};
  long frames[2] = {0, 0};
  for (unsigned seed = 1; seed <= 8; ++seed) {
    for (int search = 0; search < 2; ++search) {
      const DemoOutcome outcome = play(seed, search == 1);
      ASSERT_GT(outcome.frames, 0);
      rate[search] += 1000.0 * outcome.score / outcome.frames;
      frames[search] += outcome.frames;
    }
  }
  EXPECT_GE(rate[1], 3 * rate[0]) << "search " << rate[1] / 8 << ", random " << rate[0] / 8;
  EXPECT_GT(frames[1], frames[0]);
}

}  // namespace
}  // namespace vq
