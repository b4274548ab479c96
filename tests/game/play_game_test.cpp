// Whole games on the fake platform: the frame order, the clock, the keys the
// game loop handles itself, the drawing of a frame and the end screen.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "game_run.h"
#include "game/game_session.h"
#include "game/game_state.h"
#include "rules/timeline.h"

namespace vq::test {
namespace {

using PlayGameTest = InTempDir;

// The frame on which each periodic step first acts, and that a key held
// from the start acts only once.
TEST_F(PlayGameTest, PeriodicStepsStartCountingAtFrameOne) {
  struct Case {
    const char* what;
    Key held;  // Key::Count: none
    std::function<int(const GameRun&, int)> effects_by_frame;
    int first_frame;
  };
  const std::vector<Case> cases = {
      {"music on M", Key::M,
       [](const GameRun& r, int n) { return r.AudioCallsIn(0, r.shown[n - 1].audio_calls, "play"); },
       2},
      {"full screen on F", Key::F,
       [](const GameRun& r, int n) { return r.shown[n - 1].fullscreen_toggles; }, 2},
      {"pause on Return", Key::Return, [](const GameRun& r, int n) { return r.LongDelaysUpTo(n); },
       3},
      {"reseed", Key::Count, [](const GameRun& r, int n) { return r.shown[n - 1].time_calls; }, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GameRun run;
    // Pressed at the game's first poll (frame 1) and held to the end.
    run.fake.on_poll = [&](FakePlatform& f) {
      if (f.polls == 1 && c.held != Key::Count) f.Press(c.held);
    };
    run.before_frame = EscapeAt(30);
    run.Run(0);
    ASSERT_EQ(run.Frames(), 30);
    for (int n = 1; n <= 30; ++n) {
      EXPECT_EQ(c.effects_by_frame(run, n), n < c.first_frame ? 0 : 1) << "frame " << n;
    }
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
  StartGame(fake, state, 0);
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
    ASSERT_FALSE(PlayFrame(fake, state));
    EXPECT_EQ(static_cast<uint32_t>(state.play_time), fake.tick_readings.back() - start)
        << "frame " << n;
  }
  EXPECT_GE(state.play_time, 2000);
}

// Time attack of 30 s: a play time of 29999 ms is 29 seconds and the game
// goes on; the first frame at 30000 ms ends it. The HUD counts the seconds
// left down to 0.
TEST_F(PlayGameTest, TimeLimitEndsOnTheFirstFrameThatReachesIt) {
  GameRun run;
  run.before_frame = [](FakePlatform& f, int frame) {
    if (frame == 2) f.now = 29999;
    if (frame == 3) f.now = 30000;
  };
  run.Run(30);
  EXPECT_EQ(run.Frames(), 3);
  EXPECT_EQ(run.HudNumber(1, 245), 30);
  EXPECT_EQ(run.HudNumber(2, 245), 1);
  EXPECT_EQ(run.HudNumber(3, 245), 0);
  EXPECT_EQ(run.out, "You have perished\nSeconds Played: 30\nFinal Score: 0\n");
  EXPECT_FALSE(Exists("hiscore.dat"));
}

// A pause that lasts past the limit leaves the time field empty on the last
// frame: the seconds left are negative.
TEST_F(PlayGameTest, PausePastTheLimitShowsNoTimeLeft) {
  GameRun run;
  run.before_frame = [](FakePlatform& f, int frame) {
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
  };
  run.Run(10);
  EXPECT_EQ(run.Frames(), 4);
  EXPECT_EQ(run.HudNumber(3, 245), 10);  // the frame of the pause was drawn before it
  EXPECT_EQ(run.HudNumber(4, 245), -1);
  EXPECT_NE(run.out.find("Seconds Played: 12\n"), std::string::npos) << run.out;
}

// A held Return pauses once, for 500 ms, and the game runs on while it stays
// held; only after it has been released can it pause again.
TEST_F(PlayGameTest, HeldReturnPausesOnceUntilReleased) {
  GameRun run;
  run.fake.on_poll = [](FakePlatform& f) {
    if (f.polls == 1) f.Press(Key::Return);
  };
  run.before_frame = EscapeAt(45, [](FakePlatform& f, int frame) {
    if (frame == 31) f.Release(Key::Return);
    if (frame == 33) f.Press(Key::Return);
  });
  run.Run(0);
  ASSERT_EQ(run.Frames(), 45);
  for (int n = 1; n <= 45; ++n) {
    int expected = n < 3 ? 0 : n < 33 ? 1 : 2;
    EXPECT_EQ(run.LongDelaysUpTo(n), expected) << "frame " << n;
  }
  // The pause ends at once while Return is held: no waiting between polls.
  for (uint32_t d : run.fake.delays) EXPECT_TRUE(d == 500 || d <= 60) << d;
}

// Keys still held from the title menu when the game starts (the Return that
// chose Play, say) have already acted: they neither pause the game nor toggle
// music or full screen until they have been let go and pressed again.
TEST_F(PlayGameTest, KeysHeldFromTheMenuDoNotActUntilPressedAgain) {
  GameRun run;
  run.fake.Press(Key::Return);
  run.fake.Press(Key::M);
  run.fake.Press(Key::F);
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
  for (int n = 1; n <= 30; ++n) {
    EXPECT_EQ(run.LongDelaysUpTo(n), n < 15 ? 0 : 1) << "frame " << n;
    EXPECT_EQ(run.shown[n - 1].fullscreen_toggles, n < 12 ? 0 : 1) << "frame " << n;
    EXPECT_EQ(run.AudioCallsIn(0, run.shown[n - 1].audio_calls, "play"), n < 12 ? 0 : 1)
        << "frame " << n;
  }
}

// Ordinary presses of 150 ms: the first pauses the game, the next resumes
// it, and the resuming press, still held on a frame that is a multiple of 3,
// does not pause the game again. The wait sleeps between its polls.
TEST_F(PlayGameTest, OrdinaryPressesPauseAndResume) {
  auto held = [](uint32_t t) {
    return (t >= 300 && t < 450) || (t >= 2000 && t < 2150) || (t >= 3000 && t < 3150) ||
           (t >= 5000 && t < 5150);
  };
  GameRun run;
  // The window is closed at 6 s, so that the end screen needs no Return.
  run.press_return_at_end = false;
  run.fake.on_poll = [&](FakePlatform& f) {
    if (held(f.now)) f.Press(Key::Return); else f.Release(Key::Return);
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
  std::vector<Blit> end = run.FrameBlits(11);
  ASSERT_EQ(end.size(), 1u);
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

// M turns the music on and off once per press, however long it is held; a
// game without audio says why and only flips its flag.
TEST_F(PlayGameTest, MusicKeyOncePerPress) {
  struct Case {
    bool audio_ok;
    bool music_file_ok;
    const char* message;
    std::vector<std::string> calls;
  };
  const std::vector<Case> cases = {
      {true, true, "", {"play", "halt"}},
      {false, true, "Unable to initialize audio: no audio device in this test\n", {}},
      {true, false, "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("audio ") + (c.audio_ok ? "ok" : "failed") + ", music file " +
                 (c.music_file_ok ? "ok" : "missing"));
    GameRun run;
    run.fake.audio_ok = c.audio_ok;
    run.fake.music_file_ok = c.music_file_ok;
    run.before_frame = EscapeAt(24, [](FakePlatform& f, int frame) {
      if (frame == 2 || frame == 14) f.Press(Key::M);
      if (frame == 10 || frame == 20) f.Release(Key::M);
    });
    run.Run(0);
    std::vector<std::string> calls;
    for (const std::string& call : run.fake.audio_calls) {
      if (call == "play" || call == "halt") calls.push_back(call);
    }
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(run.out.substr(0, run.out.find("You have")), c.message);
    // The music is given back and, not playing, freed.
    EXPECT_EQ(run.fake.LiveMusic(), 0);
  }
}

// F switches the screen once per press, on even frames.
TEST_F(PlayGameTest, FullScreenKeyOncePerPress) {
  GameRun run;
  run.before_frame = EscapeAt(20, [](FakePlatform& f, int frame) {
    if (frame == 3) f.Press(Key::F);   // acts on frame 4
    if (frame == 9) f.Release(Key::F);
    if (frame == 11) f.Press(Key::F);  // acts on frame 12
  });
  run.Run(0);
  for (int n = 1; n <= 20; ++n) {
    EXPECT_EQ(run.shown[n - 1].fullscreen_toggles, n < 4 ? 0 : n < 12 ? 1 : 2) << "frame " << n;
  }
}

// Music still playing when the game ends plays on into the menu; it is freed
// once it stops.
TEST_F(PlayGameTest, PlayingMusicOutlivesTheGame) {
  GameRun run;
  run.before_frame = EscapeAt(6, [](FakePlatform& f, int frame) {
    if (frame == 2) f.Press(Key::M);
  });
  run.Run(0);
  EXPECT_TRUE(run.fake.music_playing);
  EXPECT_EQ(run.fake.LiveMusic(), 1);
  EXPECT_EQ(std::count(run.fake.audio_calls.begin(), run.fake.audio_calls.end(), "halt"), 0);
  run.fake.HaltMusic();
  EXPECT_EQ(run.fake.LiveMusic(), 0);
}

// Everything one frame draws, in order and in place: background, visualiser,
// grid, HUD panel, queue, piece, marker and the four numbers.
TEST_F(PlayGameTest, FirstFrameDrawsEverythingInOrder) {
  std::srand(4242);
  int queue[12];
  for (int& colour : queue) colour = std::rand() % 2 + 1;
  int bars[16];
  for (int& bar : bars) bar = std::rand() % 5;
  std::srand(4242);

  GameRun run;
  run.before_frame = EscapeAt(1);
  run.Run(0);

  struct Expected {
    std::string image;
    int x, y;
  };
  std::vector<Expected> expected = {{"gfx/1/bg.png", 0, 0}};
  for (int i = 0; i < 16; ++i) {
    for (int j = 0; j <= bars[i]; ++j) expected.push_back({"gfx/audvis.png", 156 + 30 * i, 441 - 10 * j});
  }
  expected.push_back({"gfx/grid.png", 150, 150});
  expected.push_back({"gfx/hud.png", 0, 150});
  for (int k = 0; k < 12; ++k) {
    int piece = k / 4, corner = k % 4;
    expected.push_back({"gfx/1/sq" + std::to_string(queue[k]) + ".png", 50 + 30 * (corner % 2),
                        250 + 90 * piece + 30 * (corner / 2)});
  }
  expected.push_back({"gfx/1/sq1.png", 396, 96});
  expected.push_back({"gfx/1/sq1.png", 426, 96});
  expected.push_back({"gfx/1/sq1.png", 396, 126});
  expected.push_back({"gfx/1/sq2.png", 426, 126});
  expected.push_back({"gfx/tempo.png", 139, 135});
  for (int y : {185, 245, 305, 365}) expected.push_back({"gfx/numbers.png", 640, y});

  std::vector<Blit> frame = run.FrameBlits(1);
  ASSERT_EQ(frame.size(), expected.size());
  for (size_t k = 0; k < expected.size(); ++k) {
    EXPECT_EQ(frame[k].image, expected[k].image) << "blit " << k;
    EXPECT_EQ(frame[k].x, expected[k].x) << "blit " << k;
    EXPECT_EQ(frame[k].y, expected[k].y) << "blit " << k;
  }
  // Level 1, time 0, score 0, hiscore 0.
  EXPECT_EQ(run.HudNumber(1, 185), 1);
  EXPECT_EQ(run.HudNumber(1, 245), 0);
  EXPECT_EQ(run.HudNumber(1, 305), 0);
  EXPECT_EQ(run.HudNumber(1, 365), 0);
}

// Marked cells in the Timeline's column are removed in the drawing, with four
// sparks each where the rules place them: over the queue, under the cells.
TEST_F(PlayGameTest, SparksOfRemovedCellsLieBetweenQueueAndCells) {
  FakePlatform fake;
  GameState state;
  StartGame(fake, state, 0);
  // A square of colour two in columns 0 and 1 of the bottom rows, and a
  // colour-one cell above it in column 0.
  for (int32_t i : {128, 129, 144, 145}) state.field.board[i] = kColourTwo;
  state.field.board[112] = kColourOne;
  fake.ClearBlits();

  ASSERT_FALSE(PlayFrame(fake, state));  // the Timeline stands on column 0

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
  StartGame(fake, state, 0);
  const size_t loads = fake.loads.size();
  state.field.score = 95;
  state.field.previous_score = 95;
  state.field.sweep_score = 5;   // 7 points: 102
  state.field.timeline = 15.05;  // the next advance ends the pass
  state.field.board[150] = kColourOne;
  state.field.board[151] = kMarkedTwo;
  fake.ClearBlits();

  ASSERT_FALSE(PlayFrame(fake, state));

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
  EXPECT_TRUE(std::equal(expected_tail.begin(), expected_tail.end(),
                         skin_images.end() - expected_tail.size()));
  GameRun reader;
  reader.fake.blits = fake.blits;
  EXPECT_EQ(reader.HudNumber(1, 185), 2);
  EXPECT_EQ(reader.HudNumber(1, 305), 102);
}

// The end: the summary, the overlay, the wait for Return and 500 ms more, and
// every image freed in its order, the skins not on show last.
TEST_F(PlayGameTest, EndScreenWaitsForReturnAndFreesEverything) {
  GameRun run;
  run.press_return_at_end = false;
  run.before_frame = EscapeAt(4);
  run.fake.on_poll = [&run](FakePlatform& f) {
    if (run.end_flip && f.now >= run.shown.back().now + 3000) f.Press(Key::Return);
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

  const std::vector<std::string> first = {
      "gfx/1/bg.png",  "gfx/grid.png",    "gfx/1/sq1.png", "gfx/1/sq2.png",
      "gfx/1/sq3.png", "gfx/1/sq4.png",   "gfx/tempo.png", "gfx/numbers.png",
      "gfx/dead.png",  "gfx/hud.png",     "gfx/spark.png", "gfx/audvis.png"};
  ASSERT_EQ(run.fake.frees.size(), 32u);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), run.fake.frees.begin()));
  EXPECT_EQ(run.fake.LiveImages(), 0);
  EXPECT_EQ(run.out, "You have perished\nSeconds Played: 0\nFinal Score: 0\n");
}

// Images are loaded once, at start-up: the twelve in their order, then
// skins 2 to 5.
TEST_F(PlayGameTest, LoadsEveryImageBeforeTheFirstFrame) {
  GameRun run;
  run.before_frame = EscapeAt(1);
  run.Run(0);
  std::vector<std::string> expected = {
      "gfx/grid.png",  "gfx/1/bg.png",    "gfx/1/sq1.png", "gfx/1/sq2.png",
      "gfx/1/sq3.png", "gfx/1/sq4.png",   "gfx/tempo.png", "gfx/numbers.png",
      "gfx/dead.png",  "gfx/hud.png",     "gfx/spark.png", "gfx/audvis.png"};
  for (int skin = 2; skin <= 5; ++skin) {
    for (const char* name : {"bg", "sq1", "sq2", "sq3", "sq4"}) {
      expected.push_back("gfx/" + std::to_string(skin) + "/" + name + ".png");
    }
  }
  EXPECT_EQ(run.fake.loads, expected);
}

// A missing skin image ends the program with its message before a frame is
// drawn; a missing image of the twelve ends it without one.
TEST_F(PlayGameTest, MissingImageEndsTheProgramBeforeTheFirstFrame) {
  auto play_without = [](const char* path) {
    FakePlatform fake;
    fake.missing.insert(path);
    fake.on_flip = [](FakePlatform&) { std::printf("a frame was drawn\n"); };
    PlayGame(fake, 0);
  };
  // The message goes to standard output: run it in a child whose output we read.
  for (const char* path : {"gfx/4/sq3.png", "gfx/hud.png", "gfx/1/bg.png"}) {
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

// The hiscore file: stored after an untimed game whose Score reached it, never
// after Time attack; the HUD shows the value read at the start.
TEST_F(PlayGameTest, HiscoreRules) {
  struct Case {
    const char* before;  // nullptr: no file
    int32_t time_limit;
    const char* after;   // nullptr: no file
    int hud;             // hiscore field; -1 empty
  };
  const Case cases[] = {
      {nullptr, 0, "0\n", 0},        // the first untimed game creates it
      {"0x0", 0, "0\n", 0},          // an equal score rewrites it
      {"0x1F", 0, "0x1F", 31},       // a lower score leaves it alone
      {"-5\n", 0, "0\n", -1},        // a negative hiscore is beaten by any game
      {nullptr, 10, nullptr, 0},     // Time attack never writes
      {"-5\n", 10, "-5\n", -1},
      {"junk", 0, "0\n", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.before ? c.before : "(none)") + " limit " +
                 std::to_string(c.time_limit));
    std::remove("hiscore.dat");
    if (c.before) WriteFile("hiscore.dat", c.before);
    GameRun run;
    run.before_frame = EscapeAt(3);
    run.Run(c.time_limit);
    EXPECT_EQ(run.HudNumber(1, 365), c.hud);
    EXPECT_EQ(run.HudNumber(3, 365), c.hud);
    if (c.after) {
      EXPECT_EQ(ReadFile("hiscore.dat"), c.after);
    } else {
      EXPECT_FALSE(Exists("hiscore.dat"));
    }
  }
}

// A Score above the stored value replaces it; below, it does not.
TEST_F(PlayGameTest, HiscoreFollowsTheScoreOfTheGame) {
  for (int32_t score : {41, 42, 43}) {
    WriteFile("hiscore.dat", "42\n");
    FakePlatform fake;
    fake.Press(Key::Return);
    GameState state;
    StartGame(fake, state, 0);
    state.field.score = score;
    ::testing::internal::CaptureStdout();
    EndGame(fake, state, true);
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "You have perished\nSeconds Played: 0\nFinal Score: " + std::to_string(score) + "\n");
    EXPECT_EQ(ReadFile("hiscore.dat"), score >= 42 ? std::to_string(score) + "\n" : "42\n");
  }
}

// The demo's end prints nothing and never writes the file.
TEST_F(PlayGameTest, EndWithoutSummaryStoresNothing) {
  FakePlatform fake;
  fake.Press(Key::Return);
  GameState state;
  StartGame(fake, state, 0);
  state.field.score = 500;
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(EndGame(fake, state, false), kBackToMenu);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_FALSE(Exists("hiscore.dat"));
  EXPECT_EQ(fake.LiveImages(), 0);
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
         if (f.now < 500) f.Press(Key::Return); else f.Release(Key::Return);
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
