// Whole games on the fake platform: the frame order, the clock, the keys the
// game loop handles itself, the drawing of a frame and the end screen.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/frame_steps.h"
#include "core/game_state.h"
#include "draw/board_geometry.h"
#include "game/end_screen.h"
#include "game/game_resources.h"
#include "game/game_results.h"
#include "game/game_start.h"
#include "game_run.h"
#include "rules/timeline.h"

namespace vq::test {
namespace {

using PlayGameTest = InTempDir;

// The keys the loop handles itself act once per press, on the frames their
// step runs: M and F on even frames, Return (the pause) on multiples of 3.
// Each is pressed before frame 2, let go before frame 9 and pressed again
// before frame 13. Reseeding runs every 20th frame, keys or not. A game
// without audio says why and M only flips its flag.
TEST_F(PlayGameTest, LoopKeysActOncePerPressOnTheirFrames) {
  auto audio = [](const GameRun& r, int n) {
    return r.AudioCallsIn(0, r.shown[n - 1].audio_calls, "play") +
           r.AudioCallsIn(0, r.shown[n - 1].audio_calls, "halt");
  };
  struct Case {
    const char* what;
    Key key;  // Key::Count: none
    std::function<void(FakePlatform&)> setup;
    std::function<int(const GameRun&, int)> effects_by_frame;
    std::vector<int> acts_on;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"music on M, then off", Key::M, [](FakePlatform&) {}, audio, {2, 14}, ""},
      {"M without a sound device",
       Key::M,
       [](FakePlatform& f) { f.audio_ok = false; },
       audio,
       {},
       "Unable to initialize audio: no audio device in this test\n"},
      {"M without the music file", Key::M, [](FakePlatform& f) { f.music_file_ok = false; }, audio, {}, ""},
      {"full screen on F",
       Key::F,
       [](FakePlatform&) {},
       [](const GameRun& r, int n) { return r.shown[n - 1].fullscreen_toggles; },
       {2, 14},
       ""},
      {"pause on Return",
       Key::Return,
       [](FakePlatform&) {},
       [](const GameRun& r, int n) { return r.LongDelaysUpTo(n); },
       {3, 15},
       ""},
      {"reseed",
       Key::Count,
       [](FakePlatform&) {},
       [](const GameRun& r, int n) { return r.shown[n - 1].time_calls; },
       {20},
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GameRun run;
    c.setup(run.fake);
    run.before_frame = EscapeAt(30, [&c](FakePlatform& f, int frame) {
      if (c.key == Key::Count) return;
      if (frame == 2 || frame == 13) f.Press(c.key);
      if (frame == 9) f.Release(c.key);
    });
    run.Run(0);
    ASSERT_EQ(run.Frames(), 30);
    for (int n = 1; n <= 30; ++n) {
      const int expected =
          static_cast<int>(std::count_if(c.acts_on.begin(), c.acts_on.end(), [n](int f) { return f <= n; }));
      EXPECT_EQ(c.effects_by_frame(run, n), expected) << "frame " << n;
    }
    EXPECT_EQ(run.out.substr(0, run.out.find("You have")), c.message);
  }
}

// Every piece key through one real frame: the keys held and the event the
// frame's poll takes, with the MoveLatch and the kept event before the frame,
// give the piece and the latch after it. The piece stands in columns 4 and 5
// of rows 2 and 3 with colours 1, 1, 2, 1; column 3 is filled from row 5
// down, so that a side move made before the drop ends elsewhere than one
// made after it.
TEST_F(PlayGameTest, PieceKeysThroughARealFrame) {
  using E = EventType;
  struct Case {
    const char* what;
    std::vector<Key> held;
    E taken;  // E::None: nothing queued
    int32_t latch;
    E kept;
    int32_t top_left, top_right;
    std::vector<int32_t> colours;
    int32_t latch_after;
  };
  const std::vector<int32_t> same = {1, 1, 2, 1};
  const std::vector<Case> cases = {
      {"Left, armed", {Key::Left}, E::None, 1, E::None, 35, 36, same, 1},
      {"Left, armed, its key-down taken: moves, then disarms", {Key::Left}, E::KeyDown, 1, E::None, 35, 36, same, 0},
      {"Left, disarmed", {Key::Left}, E::None, 0, E::None, 36, 37, same, 0},
      {"a kept key-down disarms again after the move", {Key::Left}, E::None, 1, E::KeyDown, 35, 36, same, 0},
      {"a key-up arms only the next frame", {Key::Left}, E::KeyUp, 0, E::None, 36, 37, same, 1},
      {"Left Ctrl re-arms", {Key::Left, Key::LeftCtrl}, E::None, 0, E::None, 35, 36, same, 1},
      {"Right Ctrl re-arms, then disarms", {Key::Left, Key::RightCtrl}, E::KeyDown, 0, E::None, 35, 36, same, 0},
      {"Left Alt re-arms", {Key::Left, Key::LeftAlt}, E::None, 0, E::None, 35, 36, same, 1},
      {"Right Alt re-arms, then disarms", {Key::Left, Key::RightAlt}, E::KeyDown, 0, E::None, 35, 36, same, 0},
      {"Right", {Key::Right}, E::None, 1, E::None, 37, 38, same, 1},
      {"Left and Right: left wins", {Key::Left, Key::Right}, E::None, 1, E::None, 35, 36, same, 1},
      {"Up turns clockwise", {Key::Up}, E::KeyDown, 1, E::None, 36, 37, {2, 1, 1, 1}, 0},
      {"Down turns anticlockwise", {Key::Down}, E::None, 1, E::None, 36, 37, {1, 1, 1, 2}, 1},
      {"Up and Down cancel", {Key::Up, Key::Down}, E::None, 1, E::None, 36, 37, same, 1},
      {"Up, disarmed", {Key::Up}, E::None, 0, E::None, 36, 37, same, 0},
      {"Space drops three rows, armed or not", {Key::Space}, E::None, 0, E::None, 84, 85, same, 0},
      {"Left and Space: the side move comes first", {Key::Left, Key::Space}, E::None, 1, E::None, 51, 84, same, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform fake;
    GameState state;
    const GameResources resources = TakeGameResources(fake);
    StartGame(fake, state, 0, 1);
    for (int32_t i = 83; i < kCells; i += kColumns) state.field.board[i] = kColourTwo;
    state.field.piece = Piece{{36, 37, 52, 53}, {1, 1, 2, 1}};
    state.field.move_latch = c.latch;
    state.event_record = c.kept;
    for (Key k : c.held) fake.Press(k);
    if (c.taken != E::None) fake.events.push_back(c.taken);

    ASSERT_FALSE(PlayFrame(fake, resources, state));

    const Piece& piece = state.field.piece;
    EXPECT_EQ(piece.pos[kTopLeft], c.top_left);
    EXPECT_EQ(piece.pos[kTopRight], c.top_right);
    EXPECT_EQ(std::vector<int32_t>(piece.colour, piece.colour + 4), c.colours);
    EXPECT_EQ(state.field.move_latch, c.latch_after);
    fake.Press(Key::Return);
    ShowEndScreen(fake, resources.images, state);
  }
}

// A key pressed and let go between two frames acts once, in the next frame,
// as if held across it (a move or a turn only when the MoveLatch allows it);
// the frame after does nothing more.
TEST_F(PlayGameTest, TapsBetweenFramesActOnce) {
  struct Case {
    Key tapped;
    int32_t latch;
    int32_t top_left;  // after each of two frames
    std::vector<int32_t> colours;
    bool over;
  };
  const Case cases[] = {{Key::Left, 1, 35, {1, 1, 2, 1}, false},
                        {Key::Right, 0, 36, {1, 1, 2, 1}, false},
                        {Key::Down, 1, 36, {1, 1, 1, 2}, false},
                        {Key::Space, 0, 84, {1, 1, 2, 1}, false},
                        {Key::Escape, 1, 36, {1, 1, 2, 1}, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.tapped));
    FakePlatform fake;
    GameState state;
    const GameResources resources = TakeGameResources(fake);
    StartGame(fake, state, 0, 1);
    state.field.piece = Piece{{36, 37, 52, 53}, {1, 1, 2, 1}};
    state.field.move_latch = c.latch;
    fake.Tap(c.tapped);
    EXPECT_EQ(PlayFrame(fake, resources, state), c.over);
    EXPECT_EQ(state.field.piece.pos[kTopLeft], c.top_left);
    state.field.move_latch = 1;
    PlayFrame(fake, resources, state);
    EXPECT_EQ(state.field.piece.pos[kTopLeft], c.top_left);
    EXPECT_EQ(std::vector<int32_t>(state.field.piece.colour, state.field.piece.colour + 4), c.colours);
    fake.Press(Key::Return);
    ShowEndScreen(fake, resources.images, state);
  }
}

// The first piece falls one row at frame 10 and again at frame 20.
TEST_F(PlayGameTest, GravityFirstRunsOnFrameTen) {
  GameRun run;
  run.before_frame = EscapeAt(21);
  run.Run(0);
  for (int n = 1; n <= 21; ++n) {
    std::vector<Blit> piece = run.PieceBlits(n);
    ASSERT_EQ(piece.size(), 4u);
    int expected_top = n < 10 ? 96 : n < 20 ? 126 : 156;
    EXPECT_EQ(piece[0].y, expected_top) << "frame " << n;
    EXPECT_EQ(piece[0].x, 396) << "frame " << n;
  }
}

// Each frame sleeps 60 ms minus the interval before its reading; its work
// comes after the sleep. With a fixed work time W the intervals alternate
// between W and 60 ms; from 60 ms of work on, every frame takes W.
TEST_F(PlayGameTest, PacingAlternatesWorkTimeAndSixty) {
  for (uint32_t work : {0u, 7u, 25u, 59u, 60u, 75u}) {
    SCOPED_TRACE("work " + std::to_string(work));
    GameRun run;
    run.fake.ticks_cost = work;
    run.before_frame = EscapeAt(12);
    run.Run(0);
    const std::vector<uint32_t>& readings = run.fake.tick_readings;
    ASSERT_EQ(readings.size(), 13u);  // start-up and one per frame
    for (size_t k = 1; k < readings.size(); ++k) {
      uint32_t expected = (work >= 60 || k % 2 == 1) ? work : 60;
      EXPECT_EQ(readings[k] - readings[k - 1], expected) << "frame " << k;
    }
  }
}

// The play time is always the latest tick reading minus the start-up
// reading, pauses included, whatever the work time of each frame.
TEST_F(PlayGameTest, PlayTimeIsTheLatestReadingMinusTheStart) {
  FakePlatform fake;
  GameState state;
  const GameResources resources = TakeGameResources(fake);
  StartGame(fake, state, 0, 1);
  const uint32_t start = fake.tick_readings.back();
  const uint32_t work[] = {3, 80, 0, 59, 61, 17, 200, 1};
  int polls = 0;
  for (int n = 1; n <= 60; ++n) {
    fake.ticks_cost = work[n % 8];
    // A pause of two seconds on frame 30.
    if (n == 30) {
      fake.Press(Key::Return);
      fake.on_poll = [&polls](FakePlatform& f) {
        if (++polls == 2) f.Release(Key::Return);
        if (polls == 150) f.Press(Key::Return);
      };
    }
    if (n == 31) {
      fake.on_poll = nullptr;
      fake.Release(Key::Return);
    }
    ASSERT_FALSE(PlayFrame(fake, resources, state));
    EXPECT_EQ(static_cast<uint32_t>(state.play_time), fake.tick_readings.back() - start) << "frame " << n;
  }
  EXPECT_GE(state.play_time, 2000);
}

// Time attack ends on the first frame whose whole seconds played reach the
// limit: with 30 s, 29999 ms is 29 seconds and the game goes on, 30000 ms
// ends it, and the HUD counts the seconds left down to 0. A pause that lasts
// past the limit leaves the time field empty on the last frame: the seconds
// left are negative.
TEST_F(PlayGameTest, TimeLimitEndsTheGame) {
  struct Case {
    const char* what;
    int32_t limit;
    std::function<void(FakePlatform&, int)> script;
    std::vector<int> time_field;  // by frame; -1 empty
    const char* seconds;
  };
  const std::vector<Case> cases = {
      {"30 s reached",
       30,
       [](FakePlatform& f, int frame) {
         if (frame == 2) f.now = 29999;
         if (frame == 3) f.now = 30000;
       },
       {30, 1, 0},
       "30"},
      {"a pause past 10 s",
       10,
       [](FakePlatform& f, int frame) {
         if (frame == 3) {
           f.Press(Key::Return);
           f.on_poll = [](FakePlatform& g) {
             // Released once the pause has begun, pressed again at 12 s.
             if (g.now > 600 && g.now < 12000) g.Release(Key::Return);
             if (g.now >= 12000) g.Press(Key::Return);
           };
         }
         if (frame == 4) {
           f.on_poll = nullptr;
           f.Release(Key::Return);
         }
       },
       {10, 10, 10, -1},
       "12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GameRun run;
    run.before_frame = c.script;
    run.Run(c.limit);
    ASSERT_EQ(run.Frames(), static_cast<int>(c.time_field.size()));
    for (int n = 1; n <= run.Frames(); ++n) EXPECT_EQ(run.HudNumber(n, 245), c.time_field[n - 1]) << "frame " << n;
    EXPECT_EQ(run.out, std::string("You have perished\nSeconds Played: ") + c.seconds + "\nFinal Score: 0\n");
    EXPECT_FALSE(Exists("hiscore.dat"));
  }
}

// Keys still held from the title menu when the game starts (the Return that
// chose Play, say) have already acted: they neither pause the game nor toggle
// music or full screen until they have been let go and pressed again.
TEST_F(PlayGameTest, KeysHeldFromTheMenuDoNotActUntilPressedAgain) {
  GameRun run;
  run.fake.Press(Key::Return);
  run.fake.Press(Key::M);
  run.fake.Press(Key::F);
  // Taps and a loss of the focus on the menu belong to it: they move, end
  // and pause nothing in the game.
  run.fake.Tap(Key::Left);
  run.fake.Tap(Key::Escape);
  run.fake.LoseFocus();
  run.before_frame = EscapeAt(30, [](FakePlatform& f, int frame) {
    if (frame == 8) {
      f.Release(Key::Return);
      f.Release(Key::M);
      f.Release(Key::F);
    }
    if (frame == 12) {
      f.Press(Key::M);
      f.Press(Key::F);
    }
    if (frame == 14) f.Press(Key::Return);
    if (frame == 16) f.Release(Key::Return);
  });
  run.Run(0);
  ASSERT_EQ(run.Frames(), 30);
  EXPECT_EQ(run.PieceBlits(1).at(0).x, 396);  // the spawn column
  for (int n = 1; n <= 30; ++n) {
    EXPECT_EQ(run.LongDelaysUpTo(n), n < 15 ? 0 : 1) << "frame " << n;
    EXPECT_EQ(run.shown[n - 1].fullscreen_toggles, n < 12 ? 0 : 1) << "frame " << n;
    EXPECT_EQ(run.AudioCallsIn(0, run.shown[n - 1].audio_calls, "play"), n < 12 ? 0 : 1) << "frame " << n;
  }
}

// Ordinary presses of 150 ms: the first pauses the game, the next resumes
// it, and the resuming press, still held on a frame that is a multiple of 3,
// does not pause the game again. The wait sleeps between its polls.
TEST_F(PlayGameTest, OrdinaryPressesPauseAndResume) {
  auto held = [](uint32_t t) {
    return (t >= 300 && t < 450) || (t >= 2000 && t < 2150) || (t >= 3000 && t < 3150) || (t >= 5000 && t < 5150);
  };
  GameRun run;
  // The window is closed at 6 s, so that the end screen needs no Return.
  run.press_return_at_end = false;
  run.fake.on_poll = [&](FakePlatform& f) {
    if (held(f.now))
      f.Press(Key::Return);
    else
      f.Release(Key::Return);
    if (f.now >= 6000 && f.events.empty()) f.events.push_back(EventType::Quit);
  };
  run.Run(0);
  EXPECT_EQ(run.result, kQuitProgram);

  // Two pauses: at the first press and at the third; the second and the
  // fourth press end them.
  EXPECT_EQ(std::count(run.fake.delays.begin(), run.fake.delays.end(), 500u), 2);
  bool frame_during_second_press = false;
  for (int n = 1; n <= run.Frames(); ++n) {
    uint32_t t = run.shown[n - 1].now;
    // Nothing is drawn while paused.
    EXPECT_FALSE(t > 450 + 500 && t < 2000) << "frame " << n << " at " << t;
    EXPECT_FALSE(t > 3150 + 500 && t < 5000) << "frame " << n << " at " << t;
    if (n % 3 == 0 && t >= 2000 && t < 2150) frame_during_second_press = true;
  }
  EXPECT_TRUE(frame_during_second_press);
  // About 3.5 s of pauses were waited out in 10 ms sleeps, not by spinning.
  EXPECT_LT(run.fake.polls, 700);
  EXPECT_GT(run.fake.polls, 300);
}

// The window losing the focus (or minimised) pauses a game in its next frame,
// on any frame, as Return pauses it: nothing drawn until Return, whose press
// pauses nothing more.
TEST_F(PlayGameTest, FocusLossPausesTheGameUntilReturn) {
  GameRun run;
  run.press_return_at_end = false;
  uint32_t lost_at = 0;
  run.fake.on_poll = [&](FakePlatform& f) {
    const bool held = (lost_at && f.now >= lost_at + 2000 && f.now < lost_at + 2400) || run.end_flip;
    held ? f.Press(Key::Return) : f.Release(Key::Return);
  };
  run.before_frame = EscapeAt(60, [&](FakePlatform& f, int frame) {
    if (frame == 7) f.LoseFocus(), lost_at = f.now;
  });
  run.Run(0);
  ASSERT_EQ(run.Frames(), 60);
  EXPECT_EQ(run.LongDelaysUpTo(60), 1);  // one pause, at frame 7, not a multiple of 3
  EXPECT_EQ(run.LongDelaysUpTo(6), 0);
  EXPECT_GE(run.shown[6].now, lost_at + 2000);  // frame 7 drawn only after Return
}

// Escape ends the game after its frame has run in full: the gravity step of
// frame 10 still lowers the piece, the frame is drawn and shown, and then
// the end screen lays its overlay over it.
TEST_F(PlayGameTest, EscapeCompletesItsFrame) {
  GameRun run;
  run.before_frame = EscapeAt(10);
  run.Run(0);
  EXPECT_EQ(run.result, kBackToMenu);
  ASSERT_EQ(run.Frames(), 10);
  EXPECT_EQ(run.PieceBlits(10)[0].y, 126);
  EXPECT_EQ(run.HudNumber(10, 365), 0);
  std::vector<Blit> end = run.FrameBlits(11);  // the overlay, then the result over it
  ASSERT_GE(end.size(), 1u);
  EXPECT_EQ(end[0].image, "gfx/dead.png");
  EXPECT_EQ(end[0].x, 175);
  EXPECT_EQ(end[0].y, 500);
  EXPECT_EQ(run.out, "You have perished\nSeconds Played: 0\nFinal Score: 0\n");
}

// One event is taken per frame. With Left held and key-down, key-up, key-down,
// key-up queued at once, the MoveLatch follows them one frame at a time: the
// piece moves on frames 1 and 3, and from frame 5 on (the kept key-up keeps
// the latch armed) on every frame.
TEST_F(PlayGameTest, OneEventPerFrameDrivesTheMoveLatch) {
  GameRun run;
  run.before_frame = EscapeAt(7, [](FakePlatform& f, int frame) {
    if (frame != 1) return;
    f.Press(Key::Left);
    f.events = {EventType::KeyDown, EventType::KeyUp, EventType::KeyDown, EventType::KeyUp};
  });
  run.Run(0);
  const int expected_x[] = {366, 366, 336, 336, 306, 276, 246};
  for (int n = 1; n <= 7; ++n) EXPECT_EQ(run.PieceBlits(n)[0].x, expected_x[n - 1]) << n;
}

// Music still playing when the game ends plays on into the menu: the game
// gives it back to the platform, which frees it once it stops, and does not
// halt it.
TEST_F(PlayGameTest, PlayingMusicOutlivesTheGame) {
  GameRun run;
  run.before_frame = EscapeAt(6, [](FakePlatform& f, int frame) {
    if (frame == 2) f.Press(Key::M);
  });
  run.Run(0);
  EXPECT_EQ(run.fake.audio_calls, (std::vector<std::string>{"open", "load", "play", "release"}));
}

// The first frame shows the game as its state holds it, back to front: the
// skin's background, the visualiser bars, the grid, the panel, the three
// queued pieces and the first piece in their colours, the marker, and the
// panel's level 1, time 0, score 0 and hiscore 0.
TEST_F(PlayGameTest, FirstFrameShowsTheStateOfTheGame) {
  FakePlatform fake;
  GameState state;
  const GameResources resources = TakeGameResources(fake);
  StartGame(fake, state, 0, 4242);
  ASSERT_FALSE(PlayFrame(fake, resources, state));

  std::vector<std::string> layers;
  std::vector<Blit> cells;
  int bar_blocks[16] = {};
  for (const Blit& b : fake.blits) {
    const bool cell = b.image.find("/sq") != std::string::npos;
    const std::string layer = cell ? "cell" : b.image;
    if (layers.empty() || layers.back() != layer) layers.push_back(layer);
    if (cell) cells.push_back(b);
    if (b.image == "gfx/audvis.png") ++bar_blocks[(b.x - kBoardLeft) / kCellSize];
  }
  EXPECT_EQ(layers, (std::vector<std::string>{"gfx/1/bg.png", "gfx/audvis.png", "gfx/grid.png", "gfx/hud.png", "cell",
                                              "gfx/tempo.png", "gfx/numbers.png"}));
  for (int i = 0; i < 16; ++i) EXPECT_EQ(bar_blocks[i], state.visualiser_bars[i] + 1) << "bar " << i;
  // Each queued piece is a 2x2 block in the panel left of the board, each
  // below the one before; then the piece above the board.
  ASSERT_EQ(cells.size(), 16u);
  for (int k = 0; k < 12; ++k) {
    const Blit& first_cell = cells[k / 4 * 4];
    EXPECT_EQ(cells[k].image, "gfx/1/sq" + std::to_string(state.field.queue.entry[k / 4][k % 4]) + ".png") << k;
    EXPECT_EQ(cells[k].x, first_cell.x + kCellSize * (k % 2)) << k;
    EXPECT_EQ(cells[k].y, first_cell.y + kCellSize * (k % 4 / 2)) << k;
    EXPECT_LT(cells[k].x + kCellSize, 150) << k;
    if (k >= 4 && k % 4 == 0) {
      EXPECT_GT(cells[k].y, cells[k - 4].y + kCellSize) << k;
    }
  }
  const std::vector<std::string> first_piece = {"gfx/1/sq1.png", "gfx/1/sq1.png", "gfx/1/sq1.png", "gfx/1/sq2.png"};
  const std::vector<std::pair<int, int>> spawn = {{396, 96}, {426, 96}, {396, 126}, {426, 126}};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(cells[12 + k].image, first_piece[k]);
    EXPECT_EQ(std::make_pair(cells[12 + k].x, cells[12 + k].y), spawn[k]);
  }
  GameRun reader;
  reader.fake.blits = fake.blits;
  const std::vector<int> hud = {reader.HudNumber(1, 185), reader.HudNumber(1, 245), reader.HudNumber(1, 305),
                                reader.HudNumber(1, 365)};
  EXPECT_EQ(hud, (std::vector<int>{1, 0, 0, 0}));
  EXPECT_EQ(std::count_if(fake.blits.begin(), fake.blits.end(),
                          [](const Blit& b) { return b.image == "gfx/tempo.png" && b.x == 139 && b.y == 135; }),
            1);
}

// On even frames each visualiser bar moves by -2 to +4, and a bar that would
// leave 0 to 27 falls back to 0; odd frames keep the bars. Read from the
// blocks drawn over 600 frames: a bar of height h shows h + 1 blocks.
TEST_F(PlayGameTest, VisualiserBarsStepFromMinusTwoToPlusFour) {
  FakePlatform fake;
  GameState state;
  const GameResources resources = TakeGameResources(fake);
  StartGame(fake, state, 0, 1);
  std::vector<int> before(16, -1);
  std::set<int> steps[2];  // by frame parity; only steps that did not fall back to 0
  for (int n = 1; n <= 600; ++n) {
    fake.ClearBlits();
    std::copy(kSpawnPositions, kSpawnPositions + 4, state.field.piece.pos);  // the game goes on
    ASSERT_FALSE(PlayFrame(fake, resources, state));
    std::vector<int> heights(16, -1);
    for (const Blit& b : fake.blits) {
      if (b.image == "gfx/audvis.png") ++heights[static_cast<size_t>((b.x - 156) / 30)];
    }
    for (size_t i = 0; i < 16; ++i) {
      ASSERT_GE(heights[i], 0);
      ASSERT_LE(heights[i], 27);
      if (n > 1 && heights[i] > 0) steps[n % 2].insert(heights[i] - before[i]);
    }
    before = heights;
  }
  EXPECT_EQ(steps[0], (std::set<int>{-2, -1, 0, 1, 2, 3, 4}));
  EXPECT_EQ(steps[1], std::set<int>{0});
}

// Marked cells in the Timeline's column are removed in the drawing, with four
// sparks each where the rules place them: over the queue, under the cells.
TEST_F(PlayGameTest, SparksOfRemovedCellsLieBetweenQueueAndCells) {
  FakePlatform fake;
  GameState state;
  const GameResources resources = TakeGameResources(fake);
  StartGame(fake, state, 0, 1);
  // A square of colour two in columns 0 and 1 of the bottom rows, and a
  // colour-one cell above it in column 0.
  for (int32_t i : {128, 129, 144, 145}) state.field.board[i] = kColourTwo;
  state.field.board[112] = kColourOne;
  fake.ClearBlits();

  ASSERT_FALSE(PlayFrame(fake, resources, state));  // the Timeline stands on column 0

  std::vector<Blit>& blits = fake.blits;
  std::vector<size_t> sparks;
  size_t last_queue = 0, first_cell_after = blits.size();
  for (size_t k = 0; k < blits.size(); ++k) {
    if (blits[k].image == "gfx/spark.png") sparks.push_back(k);
  }
  ASSERT_EQ(sparks.size(), 8u);
  for (size_t k = 0; k < sparks.front(); ++k) {
    if (blits[k].image.find("/sq") != std::string::npos) last_queue = k;
  }
  for (size_t k = sparks.back(); k < blits.size(); ++k) {
    if (blits[k].image.find("/sq") != std::string::npos) {
      first_cell_after = k;
      break;
    }
  }
  EXPECT_EQ(last_queue, sparks.front() - 1);  // the twelfth queue cell
  EXPECT_EQ(first_cell_after, sparks.back() + 1);
  // Removed first from row 8 (index 128), then from row 9, where the cell
  // that fell into row 8 had moved on.
  const int32_t removed[] = {128, 144};
  for (int cell = 0; cell < 2; ++cell) {
    SparkPositions at = SparksAround(removed[cell]);
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(blits[sparks[4 * cell + k]].x, at.at[k].x);
      EXPECT_EQ(blits[sparks[4 * cell + k]].y, at.at[k].y);
    }
  }
  EXPECT_EQ(blits[sparks[0]].x, 156);  // above the cell in row 8 of column 0
  EXPECT_EQ(blits[sparks[0]].y, 366);
  EXPECT_EQ(state.field.sweep_score, 2);
  // After the sweep the colour-one cell fell to row 9 of column 0; the other
  // half of the square stays, marked.
  EXPECT_EQ(state.field.board[144], kColourOne);
  EXPECT_EQ(state.field.board[129], kMarkedTwo);
  EXPECT_EQ(state.field.board[145], kMarkedTwo);
}

// The frame of a pass end that reaches 100 points is drawn entirely with
// skin 2 and shows Level 2; nothing is loaded for it.
TEST_F(PlayGameTest, SkinSwitchFrameShowsTheNewSkin) {
  FakePlatform fake;
  GameState state;
  const GameResources resources = TakeGameResources(fake);
  StartGame(fake, state, 0, 1);
  const size_t loads = fake.loads.size();
  state.field.score = 95;
  state.field.previous_score = 95;
  state.field.sweep_score = 5;   // 7 points: 102
  state.field.timeline = 15.05;  // the next advance ends the pass
  state.field.board[150] = kColourOne;
  state.field.board[151] = kMarkedTwo;
  fake.ClearBlits();

  ASSERT_FALSE(PlayFrame(fake, resources, state));

  EXPECT_EQ(fake.loads.size(), loads);
  std::vector<std::string> skin_images;
  for (const Blit& b : fake.blits) {
    if (b.image.rfind("gfx/", 0) == 0 && b.image[5] == '/') skin_images.push_back(b.image);
  }
  const std::vector<std::string> expected_tail = {"gfx/2/sq1.png", "gfx/2/sq4.png", "gfx/2/sq1.png",
                                                  "gfx/2/sq1.png", "gfx/2/sq1.png", "gfx/2/sq2.png"};
  ASSERT_GE(skin_images.size(), 13u + expected_tail.size());
  EXPECT_EQ(skin_images.front(), "gfx/2/bg.png");
  for (const std::string& image : skin_images) EXPECT_EQ(image.substr(0, 6), "gfx/2/") << image;
  EXPECT_TRUE(std::equal(expected_tail.begin(), expected_tail.end(), skin_images.end() - expected_tail.size()));
  GameRun reader;
  reader.fake.blits = fake.blits;
  EXPECT_EQ(reader.HudNumber(1, 185), 2);
  EXPECT_EQ(reader.HudNumber(1, 305), 102);
}

// The end: the summary, the overlay, the wait for Return and 500 ms more, and
// every image freed in its order, the skins not on show last.
TEST_F(PlayGameTest, EndScreenWaitsForReturnThenTheGameGivesBackItsImages) {
  GameRun run;
  run.press_return_at_end = false;
  run.before_frame = EscapeAt(4);
  size_t freed_on_the_end_screen = 0;
  run.fake.on_poll = [&run, &freed_on_the_end_screen](FakePlatform& f) {
    if (run.end_flip && f.now >= run.shown.back().now + 3000 && !f.keys[static_cast<int>(Key::Return)]) {
      freed_on_the_end_screen = f.frees.size();
      f.Press(Key::Return);
    }
  };
  run.Run(0);
  EXPECT_EQ(run.result, kBackToMenu);
  EXPECT_EQ(run.end_flip, 5);
  EXPECT_EQ(run.fake.flips, 5);  // nothing drawn after the overlay
  EXPECT_EQ(run.fake.delays.back(), 500u);
  // The wait slept between its polls: about 3000 ms in 10 ms steps.
  long wait_polls = run.fake.polls - run.shown.back().polls;
  EXPECT_GE(wait_polls, 250);
  EXPECT_LE(wait_polls, 320);
  // The end screen shows the game's images; the game gives each back once it is dismissed.
  EXPECT_EQ(freed_on_the_end_screen, 0u);
  EXPECT_EQ(run.fake.frees.size(), run.fake.loads.size());
  EXPECT_EQ(run.fake.LiveImages(), 0);
  EXPECT_EQ(run.out, "You have perished\nSeconds Played: 0\nFinal Score: 0\n");
}

// A game loads each of its images once, all of them before its first frame:
// no frame decodes an image, not even at a skin switch.
TEST_F(PlayGameTest, LoadsEachImageOnceBeforeTheFirstFrame) {
  GameRun run;
  size_t loaded_at_first_frame = 0;
  run.before_frame = EscapeAt(310, [&loaded_at_first_frame](FakePlatform& f, int frame) {
    if (frame == 2) loaded_at_first_frame = f.loads.size();
  });
  run.Run(0);
  ASSERT_EQ(run.Frames(), 310);  // two pass ends
  EXPECT_EQ(loaded_at_first_frame, run.fake.loads.size());
  EXPECT_EQ(std::set<std::string>(run.fake.loads.begin(), run.fake.loads.end()).size(), run.fake.loads.size());
  // Every image the game drew was among those loaded before its first frame.
  const std::set<std::string> loaded(run.fake.loads.begin(), run.fake.loads.end());
  for (const Blit& b : run.fake.blits) EXPECT_EQ(loaded.count(b.image), 1u) << b.image;
}

// A missing skin image ends the program with its message before a frame is
// drawn; a missing image of the fifteen ends it without one.
TEST_F(PlayGameTest, MissingImageEndsTheProgramBeforeTheFirstFrame) {
  auto play_without = [](const char* path) {
    FakePlatform fake;
    fake.missing.insert(path);
    fake.on_flip = [](FakePlatform&) { std::printf("a frame was drawn\n"); };
    PlayGame(fake, 0, 1);
  };
  // The message goes to standard output: run it in a child whose output we read.
  for (const char* path : {"gfx/4/sq3.png", "gfx/hud.png", "gfx/1/bg.png", "gfx/newbest.png"}) {
    SCOPED_TRACE(path);
    int pipe_fd[2];
    ASSERT_EQ(pipe(pipe_fd), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      dup2(pipe_fd[1], 1);
      close(pipe_fd[0]);
      freopen("/dev/null", "w", stderr);
      play_without(path);
      std::_Exit(99);
    }
    close(pipe_fd[1]);
    std::string out;
    char buffer[256];
    for (ssize_t n; (n = read(pipe_fd[0], buffer, sizeof buffer)) > 0;) out.append(buffer, n);
    close(pipe_fd[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    bool is_skin = std::string(path).find("gfx/4/") == 0;
    EXPECT_EQ(out, is_skin ? "An image file is missing\n" : "");
  }
}

// The hiscore file: the HUD shows the value read at the start; an untimed
// game whose Score reached it stores the Score, Time attack never does, and
// the demo's end (no summary) neither prints nor stores anything.
TEST_F(PlayGameTest, HiscoreRules) {
  struct Case {
    const char* before;  // nullptr: no file
    int32_t time_limit;
    int32_t score;
    bool summary;
    const char* after;  // nullptr: no file
    int hud;            // hiscore field; -1 empty
  };
  const Case cases[] = {
      {nullptr, 0, 0, true, "0\n", 0},                                       // the first untimed game creates it
      {"0x0", 0, 0, true, "0\n", 0},                                         // an equal score rewrites it
      {"0x1F", 0, 0, true, "0x1F", 31},                                      // a lower score leaves it alone
      {"42\n", 0, 41, true, "42\n", 42}, {"42\n", 0, 43, true, "43\n", 42},  // a higher one replaces it
      {"-5\n", 0, 0, true, "0\n", -1},                                       // a negative hiscore is beaten by any game
      {"junk", 0, 0, true, "0\n", 0},    {nullptr, 10, 0, true, nullptr, 0},  // Time attack never writes
      {"-5\n", 10, 7, true, "-5\n", -1}, {"1\n", 0, 500, false, "1\n", 1},    // the demo's end
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.before ? c.before : "(none)") + " limit " + std::to_string(c.time_limit) + " score " +
                 std::to_string(c.score));
    std::remove("hiscore.dat");
    if (c.before) WriteFile("hiscore.dat", c.before);
    GameRun shown;
    GameState state;
    const GameResources resources = TakeGameResources(shown.fake);
    StartGame(shown.fake, state, c.time_limit, 1);
    ASSERT_FALSE(PlayFrame(shown.fake, resources, state));
    EXPECT_EQ(shown.HudNumber(1, 365), c.hud);
    state.field.score = c.score;
    shown.fake.Press(Key::Return);
    ::testing::internal::CaptureStdout();
    Replay unrecorded{};
    c.summary ? EndPlayGame(shown.fake, resources, state, unrecorded)
              : ShowEndScreen(shown.fake, resources.images, state);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              c.summary ? "You have perished\nSeconds Played: 0\nFinal Score: " + std::to_string(c.score) + "\n" : "");
    if (c.after) {
      EXPECT_EQ(ReadFile("hiscore.dat"), c.after);
    } else {
      EXPECT_FALSE(Exists("hiscore.dat"));
    }
  }
}

// The end screen tells the score and, for a game that entered its mode's
// records, its place, with the banner for a new best; the records keep the
// game with its local date. The demo enters nothing and is told nothing.
TEST_F(PlayGameTest, EndScreenTellsThePlaceAndANewBest) {
  std::string ten_better;
  for (int i = 0; i < 10; ++i) ten_better += "0 8 1 2023-01-01\n";
  const struct {
    std::string before;  // the records file
    int32_t time_limit;  // -1: the demo's end
    int32_t score;
    std::string told;  // the images and numbers over the overlay
  } cases[] = {
      {"", 0, 7, "result 7 place 1 newbest"},
      {"0 9 1 2023-01-01\n", 0, 7, "result 7 place 2"},
      {ten_better, 0, 7, "result 7"},
      {"0 9 1 2023-01-01\n", 30, 7, "result 7 place 1 newbest"},
      {"", 0, 0, "result 0 place 1"},  // no points are no new best
      {"", -1, 7, ""},
  };
  setenv("TZ", "UTC0", 1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.told);
    WriteFile("records.txt", c.before);
    GameRun shown;
    GameState state;
    const GameResources resources = TakeGameResources(shown.fake);
    StartGame(shown.fake, state, std::max(c.time_limit, 0), 1);
    PlayFrame(shown.fake, resources, state);
    state.field.score = c.score;
    state.play_time = 3400;
    shown.fake.Press(Key::Return);
    shown.fake.ClearBlits();
    ::testing::internal::CaptureStdout();
    Replay unrecorded{};
    c.time_limit >= 0 ? EndPlayGame(shown.fake, resources, state, unrecorded)
                      : ShowEndScreen(shown.fake, resources.images, state);
    ::testing::internal::GetCapturedStdout();
    std::string told = " ";
    for (const Blit& b : shown.fake.blits) {
      const std::string name = b.image.substr(4, b.image.size() - 8);
      if (b.image == "gfx/numbers.png") told += (std::isalpha(told.back()) ? " " : "") + std::to_string(b.sx / 20);
      if (name == "result" || name == "place" || name == "newbest") told += " " + name;
    }
    EXPECT_EQ(told.substr(told.size() > 1 ? 2 : 1), c.told);
    const bool kept = c.told.find("place") != std::string::npos;
    const std::string line = std::to_string(c.time_limit) + " " + std::to_string(c.score) + " 3 2023-11-14\n";
    EXPECT_EQ(ReadFile("records.txt").find(line) != std::string::npos, kept);
  }
  unsetenv("TZ");
}

// Closing the window ends the game as Escape does, from the running game,
// from a pause or from the end screen, without waiting for Return.
TEST_F(PlayGameTest, ClosingTheWindowEndsTheGame) {
  struct Case {
    const char* when;
    std::function<void(FakePlatform&, GameRun&)> script;
    int frames;
    int pauses;
  };
  const std::vector<Case> cases = {
      {"while running",
       [](FakePlatform& f, GameRun&) {
         if (f.flips == 4 && f.events.empty()) f.events.push_back(EventType::Quit);
       },
       5, 0},
      {"with Return held on a frame that could pause",
       [](FakePlatform& f, GameRun&) {
         if (f.flips != 2) return;
         f.Press(Key::Return);
         if (f.events.empty()) f.events.push_back(EventType::Quit);
       },
       3, 0},
      {"while paused",
       [](FakePlatform& f, GameRun&) {
         if (f.flips != 5) return;
         // Frame 6 pauses on Return, which is released during the pause.
         if (f.now < 500)
           f.Press(Key::Return);
         else
           f.Release(Key::Return);
         if (f.now > 1500 && f.events.empty()) f.events.push_back(EventType::Quit);
       },
       6, 1},
      {"at the end screen",
       [](FakePlatform& f, GameRun& run) {
         if (f.flips == 2) f.Press(Key::Escape);
         if (run.end_flip && f.now > run.shown.back().now + 700) f.events.push_back(EventType::Quit);
       },
       3, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.when);
    std::remove("hiscore.dat");
    GameRun run;
    run.press_return_at_end = false;
    run.fake.poll_budget = 5000;  // a wait for Return would run out of polls
    run.fake.on_poll = [&run, &c](FakePlatform& f) { c.script(f, run); };
    run.Run(0);
    EXPECT_EQ(run.result, kQuitProgram);
    EXPECT_EQ(run.Frames(), c.frames);
    EXPECT_EQ(std::count(run.fake.delays.begin(), run.fake.delays.end(), 500u), c.pauses);
    EXPECT_EQ(run.out.rfind("You have perished\nSeconds Played: ", 0), 0u) << run.out;
    EXPECT_EQ(ReadFile("hiscore.dat"), "0\n");
    EXPECT_EQ(run.fake.LiveImages(), 0);
  }
}

// Two reseeds within the same second still get different seeds.
TEST(ReseedTest, SeedsDifferWithinOneSecondAndAcrossSeconds) {
  std::vector<unsigned> seeds;
  for (std::time_t t : {std::time_t{1700000000}, std::time_t{1700000001}}) {
    for (int32_t frame = 20; frame <= 400; frame += 20) seeds.push_back(ReseedValue(t, frame));
  }
  std::sort(seeds.begin(), seeds.end());
  EXPECT_EQ(std::adjacent_find(seeds.begin(), seeds.end()), seeds.end());
}

}  // namespace
}  // namespace vq::test
