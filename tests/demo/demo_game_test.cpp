// Whole demo games and single demo frames on the fake platform.
#include "demo/demo_game.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

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

  FakePlatform fake_;
};

// The first piece (1, 1, 1, 2) on an empty Board gets a random goal column
// in frame 1, with or without the search, and takes its first step toward it.
TEST_F(DemoTest, FirstDecisionInFrameOneTakesARandomColumn) {
  for (bool search : {false, true}) {
    SCOPED_TRACE(search ? "with the search" : "random column only");
    std::set<int32_t> goals;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
      FakePlatform fake;
      DemoState state;
      const GameResources resources = TakeGameResources(fake);
      StartDemo(fake, state, search, seed);
      DemoFrame(fake, resources, state);
      const int32_t goal = state.autopilot.target - 144;
      ASSERT_EQ(state.autopilot.decision_pending, 0);
      ASSERT_TRUE(goal >= 0 && goal < 16) << state.autopilot.target;
      const int32_t step = goal < 8 ? -1 : goal > 8 ? 1 : 0;
      EXPECT_EQ(state.game.field.piece.pos[0], kSpawnTopLeft + step) << "goal " << goal;
      goals.insert(goal);
    }
    EXPECT_GE(goals.size(), 10u);  // the column is drawn at random, not fixed
  }
}

TEST_F(DemoTest, OneColourPieceComesStraightDownItsOwnColumn) {
  DemoState state;
  const GameResources resources = TakeGameResources(fake_);
  StartDemo(fake_, state, true, 9);
  for (int32_t& colour : state.game.field.piece.colour) colour = 2;

  // Bottom-left's row after each frame: a row on every even frame, and the
  // gravity step of frame 10 adds one; the piece reaches the bottom row in
  // frame 18 and locks in frame 20.
  const int32_t rows[] = {-1, 0, 0, 1, 1, 2, 2, 3, 3, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9};
  for (int frame = 1; frame <= 19; ++frame) {
    SCOPED_TRACE(frame);
    DemoFrame(fake_, resources, state);
    const Piece& piece = state.game.field.piece;
    const int32_t expected_bottom_left = rows[frame - 1] * 16 + 8;
    EXPECT_EQ(piece.pos[2], expected_bottom_left);
    EXPECT_EQ(piece.pos[3], expected_bottom_left + 1);
    EXPECT_EQ(piece.pos[0], expected_bottom_left - 16);
    EXPECT_EQ(state.autopilot.target, 152);
    EXPECT_EQ(state.autopilot.decision_pending, 1);
  }
  DemoFrame(fake_, resources, state);  // frame 20: locked, and the next piece is in
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
    const GameResources resources = TakeGameResources(fake);
    StartDemo(fake, state, search, 21);
    int locks = 0;
    for (int frame = 1; frame <= 600 && !state.game.field.game_over; ++frame) {
      const int32_t top_left_before = state.game.field.piece.pos[0];
      const int32_t pending_before = state.autopilot.decision_pending;
      DemoFrame(fake, resources, state);
      const bool locked =
          frame % 10 == 0 && top_left_before != kSpawnTopLeft && state.game.field.piece.pos[0] == kSpawnTopLeft;
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
    const GameResources resources = TakeGameResources(fake);
    StartDemo(fake, state, true, 33);
    for (int frame = 1; frame <= 400; ++frame) {
      DemoFrame(fake, resources, state);
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
    for (Key k : {Key::Up, Key::Down, Key::Left, Key::Right, Key::Space, Key::LeftCtrl, Key::RightCtrl, Key::LeftAlt,
                  Key::RightAlt}) {
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

// A demo goes on without the window's focus, and in a hidden window draws
// nothing but its last frame, for the end screen.
TEST_F(DemoTest, GoesOnUnseenDrawingNothing) {
  DemoState demo;
  const GameResources resources = TakeGameResources(fake_);
  StartDemo(fake_, demo, true, 3);
  for (int frame = 1; frame <= 40; ++frame) {
    if (frame == 5) fake_.LoseFocus();
    fake_.hidden = frame >= 20;
    if (frame == 40) fake_.Press(Key::Escape);
    fake_.ClearBlits();
    DemoFrame(fake_, resources, demo);
    EXPECT_EQ(fake_.blits.empty(), frame >= 20 && frame < 40) << "frame " << frame;
  }
  EXPECT_EQ(std::count(fake_.delays.begin(), fake_.delays.end(), 500u), 0);  // no pause
  EXPECT_EQ(demo.game.field.frame_counter, 40);
}

// The three ends of a demo: Escape after the frame is drawn, with the end
// screen waiting for Return; a window closed, which ends the program without
// waiting; and Escape after a score that beats the stored hiscore. None prints
// anything or touches the hiscore file.
TEST_F(DemoTest, EndsPrintingAndStoringNothing) {
  struct Case {
    const char* what;
    int escape_frame;  // 0: none
    int close_flip;    // flip after which the window is closed; 0: never
    int32_t result;
    int flips;  // frames and the overlay
    int32_t min_score;
  };
  const Case cases[] = {
      {"Escape", 40, 0, kBackToMenu, 41, 0},
      {"window closed", 0, 25, kQuitProgram, 27, 0},
      {"Escape after beating the hiscore", 1500, 0, kBackToMenu, 1501, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile("hiscore.dat", "1\n");
    FakePlatform fake;
    fake.poll_budget = 1000000;
    int overlay_flip = 0, polls_on_end_screen = 0;
    fake.on_flip = [&](FakePlatform& f) {
      if (!f.blits.empty() && f.blits.back().image == "gfx/dead.png") {
        overlay_flip = f.flips;
        return;
      }
      f.ClearBlits();
      if (c.escape_frame && f.flips + 1 >= c.escape_frame) f.Press(Key::Escape);
      if (f.flips == c.close_flip) f.events.push_back(EventType::Quit);
    };
    // Return comes a little while after the overlay, so that the wait shows.
    fake.on_poll = [&](FakePlatform& f) {
      if (overlay_flip && ++polls_on_end_screen == 20) f.Press(Key::Return);
    };
    DemoOutcome outcome{};
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(RunDemoGame(fake, true, 8, &outcome), c.result);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(fake.flips, c.flips);
    EXPECT_GE(outcome.score, c.min_score);
    // Only a dismissed end screen waited for Return, sleeping between its looks.
    EXPECT_EQ(polls_on_end_screen >= 20, c.result == kBackToMenu);
    EXPECT_EQ(fake.LiveImages(), 0);
    EXPECT_EQ(ReadFile("hiscore.dat"), "1\n");
    EXPECT_EQ(Files(), std::vector<std::string>{"hiscore.dat"});
  }
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
    DemoOutcome outcome{};
    RunDemoGame(fake, search, seed, &outcome);
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
