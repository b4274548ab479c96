#include "app/title_menu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/help_screen.h"
#include "game_run.h"
#include "platform/fake_platform.h"

namespace vq {
namespace {

// A key held over [from, to) of the virtual clock.
struct Hold {
  Key key;
  uint32_t from, to;
};

// One redraw of the menu, read back from the recorded blits.
struct Screen {
  int row;            // arrow row, from its y
  int32_t limit;      // the number drawn from the digit strip at the limit's place
  std::string title;  // path of the full-screen picture
};

struct GameCall {
  std::string game;  // "play", "demo", or the replay watched
  int32_t time_limit;
  uint32_t seed;
};

// Runs the menu on the fake with keys held by time and a window-close request
// at quit_at, and records what it drew and which games it started.
class MenuRun {
 public:
  FakePlatform fake;
  std::vector<GameCall> calls;
  int32_t game_result = kBackToMenu;
  uint32_t game_length_ms = 5000;

  int Run(const std::vector<Hold>& holds, uint32_t quit_at) {
    fake.poll_budget = 100000;
    fake.on_poll = [holds, quit_at, this](FakePlatform& f) {
      std::array<bool, static_cast<int>(Key::Count)> held{};
      for (const Hold& h : holds) held[static_cast<int>(h.key)] |= f.now >= h.from && f.now < h.to;
      for (int k = 0; k < static_cast<int>(Key::Count); ++k) {
        if (held[k] != f.keys[k]) held[k] ? f.Press(static_cast<Key>(k)) : f.Release(static_cast<Key>(k));
      }
      if (f.now >= quit_at && !quit_sent_) {
        quit_sent_ = true;
        f.events.push_back(EventType::Quit);
      }
    };
    MenuGames games;
    games.play = [this](Platform&, int32_t limit, uint32_t seed) { return Game("play", limit, seed); };
    games.demo = [this](Platform&, uint32_t seed) { return Game("demo", 0, seed); };
    games.watch = [this](Platform&, const std::string& path) { return Game(path.c_str(), 0, 0); };
    games.help = [this](Platform&, int32_t limit) { return Game("help", limit, 0); };
    return TitleMenu(fake, games);
  }

  // Every redraw, in order.
  std::vector<Screen> Screens() const {
    std::vector<Screen> screens;
    std::vector<int> digits;  // least significant first
    for (const auto& b : fake.blits) {
      if (b.image == "gfx/title.png") {
        screens.push_back({-1, -1, b.image});
        digits.clear();
      } else if (b.image == "gfx/arrow.png") {
        // The title picture's items stand 40 pixels apart from y 430.
        screens.back().row = (b.y - 430) / 40;
      } else if (b.image == "gfx/numbers.png" && b.y == 477) {  // not the best's
        digits.push_back(b.sx / 20);
        int32_t value = 0;
        for (auto d = digits.rbegin(); d != digits.rend(); ++d) value = value * 10 + *d;
        screens.back().limit = value;
      }
    }
    return screens;
  }

  std::vector<int> Rows() const {
    std::vector<int> rows;
    for (const Screen& s : Screens()) rows.push_back(s.row);
    return rows;
  }

  std::vector<int32_t> Limits() const {
    std::vector<int32_t> limits;
    for (const Screen& s : Screens()) limits.push_back(s.limit);
    return limits;
  }

 private:
  bool quit_sent_ = false;

  int32_t Game(const char* name, int32_t limit, uint32_t seed) {
    calls.push_back({name, limit, seed});
    // The game takes its time; its end screen consumed the Return press.
    fake.now += game_length_ms;
    fake.Release(Key::Return);
    return game_result;
  }
};

// Short presses, each across one tick boundary: at second 1, 2, 3, ...
std::vector<Hold> Taps(const std::vector<Key>& keys, uint32_t first_second = 1) {
  std::vector<Hold> holds;
  uint32_t t = first_second * 1000;
  for (Key k : keys) {
    holds.push_back({k, t - 30, t + 30});
    t += 1000;
  }
  return holds;
}

TEST(TitleMenu, FirstScreenShowsPlaySelectedAndThirtySeconds) {
  MenuRun run;
  EXPECT_EQ(run.Run({}, 500), 0);
  ASSERT_EQ(run.Screens().size(), 1u);
  EXPECT_EQ(run.Rows(), std::vector<int>{0});
  EXPECT_EQ(run.Limits(), std::vector<int32_t>{30});
  // The arrow and the limit show over the title picture, not under it.
  ASSERT_FALSE(run.fake.blits.empty());
  EXPECT_EQ(run.fake.blits.front().image, "gfx/title.png");
  EXPECT_EQ(std::count_if(run.fake.blits.begin(), run.fake.blits.end(),
                          [](const auto& b) { return b.image == "gfx/title.png"; }),
            1);
  // Closing the window ends the menu: everything loaded is given back.
  EXPECT_EQ(run.fake.LiveImages(), 0);
  EXPECT_TRUE(run.calls.empty());
}

TEST(TitleMenu, UpAndDownMoveTheArrowAndWrapAround) {
  struct Case {
    const char* name;
    std::vector<Key> taps;
    std::vector<int> rows;
  };
  const std::vector<Case> cases = {
      {"down through every item", {Key::Down, Key::Down, Key::Down, Key::Down}, {0, 1, 2, 3, 0}},
      {"up from play wraps to quit", {Key::Up, Key::Up, Key::Up, Key::Up}, {0, 3, 2, 1, 0}},
      {"down then up", {Key::Down, Key::Up, Key::Up}, {0, 1, 0, 3}},
      {"keys that do nothing here", {Key::Left, Key::Right, Key::F, Key::Space}, {0}},
  };
  for (const Case& c : cases) {
    MenuRun run;
    run.Run(Taps(c.taps), 1000 * static_cast<uint32_t>(c.taps.size() + 1));
    EXPECT_EQ(run.Rows(), c.rows) << c.name;
  }
}

// Taps of 20 ms between two ticks act once each, at the next tick.
TEST(TitleMenu, TapsBetweenTicksActOnce) {
  MenuRun run;
  run.Run({{Key::Down, 1020, 1040}, {Key::Down, 2020, 2040}, {Key::Up, 3020, 3040}}, 4000);
  EXPECT_EQ(run.Rows(), (std::vector<int>{0, 1, 2, 1}));
}

TEST(TitleMenu, UpAndDownTogetherCancelButRedraw) {
  MenuRun run;
  run.Run({{Key::Up, 970, 1030}, {Key::Down, 970, 1030}}, 2000);
  EXPECT_EQ(run.Rows(), (std::vector<int>{0, 0}));
}

TEST(TitleMenu, LeftAndRightChangeTheLimitOnlyOnTimeAttack) {
  struct Case {
    const char* name;
    std::vector<Key> taps;
    int32_t last_limit;
    size_t redraws;
  };
  const std::vector<Case> cases = {
      {"right on play", {Key::Right, Key::Right}, 30, 1},
      {"right on time attack", {Key::Down, Key::Right, Key::Right}, 50, 4},
      {"left on time attack", {Key::Down, Key::Left}, 20, 3},
      {"left at the lower bound", {Key::Down, Key::Left, Key::Left, Key::Left}, 10, 4},
      {"right on demo", {Key::Down, Key::Down, Key::Right, Key::Left}, 30, 3},
      {"right on quit", {Key::Up, Key::Right}, 30, 2},
  };
  for (const Case& c : cases) {
    MenuRun run;
    run.Run(Taps(c.taps), 1000 * static_cast<uint32_t>(c.taps.size() + 1));
    EXPECT_EQ(run.Limits().back(), c.last_limit) << c.name;
    EXPECT_EQ(run.Screens().size(), c.redraws) << c.name;
  }
}

TEST(TitleMenu, HeldRightClimbsToOneThousandInTensAndStops) {
  MenuRun run;
  // 150 ticks of Right: 97 steps take 30 to 1000, the rest change nothing.
  run.Run({{Key::Down, 990, 1010}, {Key::Right, 1090, 16090}}, 17000);
  std::vector<int32_t> limits = run.Limits();
  ASSERT_EQ(limits.size(), 2u + 97u);
  for (size_t i = 2; i < limits.size(); ++i) EXPECT_EQ(limits[i] - limits[i - 1], 10);
  EXPECT_EQ(limits.back(), 1000);
}

// A held arrow acts once per 100 ms tick, however the passes fall within the
// tick: with work time per clock reading, passes rarely land on a multiple of
// 100 ms, and never does one tick give two steps.
TEST(TitleMenu, HeldArrowRepeatsOncePerTick) {
  for (uint32_t cost : {0u, 1u, 3u, 7u}) {
    MenuRun run;
    run.fake.ticks_cost = cost;
    // Pressed after the tick of 1000 ms began, held through ticks 11 to 18:
    // eight steps from Play, wrapping twice.
    run.Run({{Key::Down, 1050, 1850}}, 3000);
    EXPECT_EQ(run.Rows(), (std::vector<int>{0, 1, 2, 3, 0, 1, 2, 3, 0})) << "cost " << cost;
  }
}

TEST(TitleMenu, IdleMenuSleepsBetweenPasses) {
  MenuRun run;
  // The virtual clock moves only when the menu sleeps: ten idle seconds in
  // fewer than 5000 passes need a sleep of at least 2 ms per pass.
  run.Run({}, 10000);
  EXPECT_LT(run.fake.polls, 5000);
  // A few milliseconds each, so that keys still answer at once.
  for (uint32_t d : run.fake.delays) EXPECT_LE(d, 20u);
}

TEST(TitleMenu, FTogglesFullScreenOncePerPressWithoutRedraw) {
  struct Case {
    const char* name;
    std::vector<Hold> holds;
    int toggles;
  };
  const std::vector<Case> cases = {
      {"press across one tick", {{Key::F, 950, 1050}}, 1},
      {"tap between two ticks", {{Key::F, 1020, 1040}}, 1},
      {"press of 200 ms across two ticks", {{Key::F, 950, 1150}}, 1},
      {"held for two seconds", {{Key::F, 950, 3000}}, 1},
      {"two presses", {{Key::F, 950, 1050}, {Key::F, 1950, 2120}}, 2},
  };
  for (const Case& c : cases) {
    MenuRun run;
    run.Run(c.holds, 4000);
    EXPECT_EQ(run.fake.fullscreen_toggles, c.toggles) << c.name;
    EXPECT_EQ(run.Screens().size(), 1u) << c.name;
    // Each toggle is followed by a flip of the unchanged screen.
    EXPECT_EQ(run.fake.flips, 1 + c.toggles) << c.name;
  }
}

TEST(TitleMenu, FStillHeldAfterAGameWaitsForTheNextPress) {
  MenuRun run;
  // F switches at once; Return starts a game with F still down, and F is
  // still held when the game returns at about 6 s: only its next press acts.
  run.Run({{Key::F, 990, 8000}, {Key::Return, 995, 1000}, {Key::F, 8450, 8550}}, 9000);
  ASSERT_EQ(run.calls.size(), 1u);
  EXPECT_EQ(run.fake.fullscreen_toggles, 2);
  EXPECT_EQ(run.Screens().size(), 2u);
}

TEST(TitleMenu, ReturnStartsTheSelectedGameWithItsLimit) {
  struct Case {
    const char* name;
    std::vector<Key> taps;
    const char* game;
    int32_t time_limit;
  };
  const std::vector<Case> cases = {
      {"play is untimed", {Key::Return}, "play", 0},
      {"time attack at the start limit", {Key::Down, Key::Return}, "play", 30},
      {"time attack after two rights", {Key::Down, Key::Right, Key::Right, Key::Return}, "play", 50},
      {"play ignores a changed limit", {Key::Down, Key::Right, Key::Up, Key::Return}, "play", 0},
      {"demo", {Key::Down, Key::Down, Key::Return}, "demo", 0},
      {"R watches the last game", {Key::Down, Key::R}, "last.vqreplay", 0},
      {"B watches the best game", {Key::B}, "best.vqreplay", 0},
      {"F1 shows the help with the untimed records", {Key::F1}, "help", 0},
      {"H on time attack, with its limit's", {Key::Down, Key::Right, Key::H}, "help", 40},
      {"F1 on the demo, with the untimed records", {Key::Down, Key::Down, Key::F1}, "help", 0},
  };
  for (const Case& c : cases) {
    MenuRun run;
    run.Run(Taps(c.taps), 1000 * static_cast<uint32_t>(c.taps.size() + 1));
    ASSERT_EQ(run.calls.size(), 1u) << c.name;
    EXPECT_EQ(run.calls[0].game, c.game) << c.name;
    EXPECT_EQ(run.calls[0].time_limit, c.time_limit) << c.name;
  }  // A replay the player opened from outside (the browser's page) is watched.
  MenuRun opened;
  opened.fake.opened_replays.push_back("/tmp/opened.vqreplay");
  opened.Run({}, 1000);
  ASSERT_EQ(opened.calls.size(), 1u);
  EXPECT_EQ(opened.calls[0].game, "/tmp/opened.vqreplay");
}

// After a game the menu is redrawn with the same item and limit. Each game's
// random numbers are seeded from the wall clock of the redraw before it.
TEST(TitleMenu, MenuRedrawsAfterAGameKeepingItsChoicesAndSeedsEachGame) {
  MenuRun run;
  const uint32_t first_second = static_cast<uint32_t>(run.fake.wall_time);
  run.fake.on_flip = [](FakePlatform& f) { ++f.wall_time; };  // a second passes at every redraw
  run.game_length_ms = 100;
  run.Run(Taps({Key::Down, Key::Right, Key::Return, Key::Return}), 20000);
  ASSERT_EQ(run.calls.size(), 2u);
  EXPECT_EQ(run.calls[0].time_limit, 40);
  std::vector<Screen> screens = run.Screens();
  ASSERT_EQ(screens.size(), 5u);
  EXPECT_EQ(screens[3].row, 1);
  EXPECT_EQ(screens[3].limit, 40);
  EXPECT_EQ(run.calls[0].seed, first_second + 2);  // read by the third redraw
  EXPECT_EQ(run.calls[1].seed, first_second + 3);
}

// The menu ends with status 0 on Quit, at once when a game asks to end the
// program (its window was closed), and when its own window is closed; it
// frees its images and draws nothing more.
TEST(TitleMenu, EndsOnQuitOnAGameAskingAndOnAClosedWindow) {
  struct Case {
    const char* what;
    std::vector<Key> taps;
    int32_t game_result;
    uint32_t close_at;
    size_t games, screens;
    uint32_t ends_before;  // ms of the virtual clock
  };
  const Case cases[] = {
      {"Quit", {Key::Up, Key::Return}, kBackToMenu, 1000000, 0, 2, 3000},
      {"a game asking to quit", {Key::Return}, kQuitProgram, 1000000, 1, 1, 7000},
      {"the window closed", {}, kBackToMenu, 1500, 0, 1, 1600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MenuRun run;
    run.game_result = c.game_result;
    EXPECT_EQ(run.Run(Taps(c.taps), c.close_at), 0);
    EXPECT_EQ(run.calls.size(), c.games);
    EXPECT_EQ(run.Screens().size(), c.screens);
    EXPECT_EQ(run.fake.LiveImages(), 0);
    EXPECT_LT(run.fake.now, c.ends_before);
  }
}

// A pad alone plays: the arrow moves, Start plays, the stick taps the piece
// left (a touch inside its dead zone does nothing), the D-pad held with a
// shoulder moves it a column a frame, Back ends, Start goes back, and quits.
// The game keeps its hiscore and replay in a scratch folder.
using TitleMenuGame = test::InTempDir;
TEST_F(TitleMenuGame, APadPlaysAWholeGame) {
  struct Act {
    uint32_t from, to;  // pressed, let go: a tap when equal
    std::function<void(PadState&)> press;
  };
  const std::vector<Act> acts = {
      {1000, 1000, [](PadState& p) { p.button[kPadDown] = true; }},
      {1500, 1500, [](PadState& p) { p.hat = kHatUp; }},
      {2000, 2100, [](PadState& p) { p.button[kPadStart] = true; }},
      {2300, 2400, [](PadState& p) { p.stick_x = -kStickDeadZone; }},
      {2500, 2500, [](PadState& p) { p.stick_x = -32768; }},
      {2800, 3100, [](PadState& p) { p.button[kPadLeft] = p.button[kPadRightShoulder] = true; }},
      {4000, 4100, [](PadState& p) { p.button[kPadBack] = true; }},
      {5000, 5100, [](PadState& p) { p.button[kPadStart] = true; }},
      {6500, 6500, [](PadState& p) { p.stick_y = -20000; }},
      {7000, 7100, [](PadState& p) { p.button[kPadStart] = true; }},
  };
  FakePlatform fake;
  fake.poll_budget = 100000;
  size_t next = 0;
  fake.on_poll = [&](FakePlatform& f) {
    if (next == acts.size() || f.now < acts[next].from) return;
    PadState pad;
    acts[next].press(pad);
    f.MovePad(0, pad);
    if (f.now >= acts[next].to) f.MovePad(0, PadState{}), ++next;
  };
  std::vector<int> rows;                     // the arrow's row on each menu screen
  std::vector<std::pair<uint32_t, int>> xs;  // when each frame was shown, and the piece's x
  fake.on_flip = [&](FakePlatform& f) {
    for (size_t k = 0; k < f.blits.size(); ++k) {
      if (f.blits[k].image == "gfx/arrow.png") rows.push_back((f.blits[k].y - 430) / 40);
      if (f.blits[k].image == "gfx/tempo.png") xs.push_back({f.now, f.blits[k - 4].x});
    }
    f.ClearBlits();
  };
  EXPECT_EQ(TitleMenu(fake), 0);
  EXPECT_LT(fake.now, 8000u);  // by the Quit item
  EXPECT_EQ(rows, (std::vector<int>{0, 1, 0, 0, 3}));
  auto first_shown = [&](int x) {
    return std::find_if(xs.begin(), xs.end(), [x](auto frame) { return frame.second == x; }) - xs.begin();
  };
  auto first_at = [&](uint32_t t) {
    return std::find_if(xs.begin(), xs.end(), [t](auto frame) { return frame.first >= t; }) - xs.begin();
  };
  EXPECT_EQ(first_shown(366), first_at(2500));  // the tap, and not the touch before it
  EXPECT_EQ(first_shown(336), first_at(2800));
  for (int x = 336; x > 276; x -= 30) EXPECT_EQ(first_shown(x - 30) - first_shown(x), 1) << x;
}

// The help on the test platform: not left by the F1 that opened it, left by a
// held Return only once let go (it would start a game on the title), and a
// closed window ends the program. Other keys and pads: test_records.sh and
// PadControlsStandForKeys.
TEST(HelpScreen, LeavesOnceEveryKeyIsLetGo) {
  for (const bool close : {false, true}) {
    FakePlatform fake;
    fake.Tap(Key::F1);
    bool pressed = false;
    fake.on_poll = [close, &pressed](FakePlatform& f) {
      if (f.now == 1000 && !pressed) close ? f.events.push_back(EventType::Quit) : f.Press(Key::Return);
      pressed |= f.now == 1000;
      if (f.now == 1500) f.Release(Key::Return);
    };
    EXPECT_EQ(HelpScreen(fake, 0), close ? kQuitProgram : kBackToMenu);
    EXPECT_EQ(fake.now, close ? 1000u : 1500u);
    EXPECT_EQ(fake.LiveImages(), 0);
  }
}

TEST(TitleMenuDeathTest, MissingImageExitsNamingTheFile) {
  for (const char* path : {"gfx/title.png", "gfx/arrow.png", "gfx/numbers.png", "gfx/best.png"}) {
    EXPECT_EXIT(
        {
          FakePlatform fake;
          fake.missing.insert(path);
          TitleMenu(fake);
        },
        ::testing::ExitedWithCode(1), std::string("Cannot load image ") + path)
        << path;
  }
}

}  // namespace
}  // namespace vq
