// Games kept as replays: played again to the same end, watched frame for
// frame at the pace they were played, and files that are no replay told apart.
#include "core/replay.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "game/end_screen.h"
#include "game/game_resources.h"
#include "game/game_results.h"
#include "game/game_start.h"
#include "game/watch_replay.h"
#include "game_run.h"
#include "saves/replay_files.h"

namespace vq::test {
namespace {

using ReplayTest = InTempDir;

// What a platform showed at each flip that drew: when, and every blit of the
// frame.
struct Shown {
  std::vector<uint32_t> at;
  std::vector<std::vector<Blit>> frames;
};
void RecordFlips(FakePlatform& fake, Shown& shown) {
  fake.on_flip = [&shown](FakePlatform& f) {
    if (f.blits.empty()) return;  // the picture shown again after F
    shown.at.push_back(f.now);
    shown.frames.push_back(f.blits);
    f.ClearBlits();
  };
}
bool SameBlits(const std::vector<Blit>& a, const std::vector<Blit>& b) {
  auto same = [](const Blit& x, const Blit& y) {
    return x.image == y.image && x.x == y.x && x.y == y.y && x.sx == y.sx && x.sy == y.sy && x.w == y.w && x.h == y.h;
  };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), same);
}

// An untimed game with moves, turns, drops, Alt, events, a pause and the
// window's focus lost is kept as the last and the best replay. Played again, it ends on its last frame
// with the Score and seconds of the summary; watched, it shows every frame
// as the game did, at the same moments.
TEST_F(ReplayTest, AGameIsKeptAndPlaysAgainFrameForFrame) {
  GameRun game;
  game.press_return_at_end = false;
  uint32_t lost_at = 1000000;
  game.fake.on_poll = [&game, &lost_at](FakePlatform& f) {
    const bool pressing = (f.now >= 3000 && f.now < 3100) || (f.now >= 5000 && f.now < 5100) ||
                          (f.now >= lost_at + 1500 && f.now < lost_at + 1600) || game.end_flip;
    pressing ? f.Press(Key::Return) : f.Release(Key::Return);
  };
  game.before_frame = EscapeAt(700, [&lost_at](FakePlatform& f, int frame) {
    const Key keys[] = {Key::Left, Key::Up, Key::Right, Key::Space, Key::Down, Key::LeftAlt};
    if (frame % 9 == 0) f.Press(keys[frame / 9 % 6]);
    if (frame % 9 == 5) {
      for (Key k : keys) f.Release(k);
    }
    if (frame % 13 == 0) f.events.push_back(frame % 2 ? EventType::KeyDown : EventType::KeyUp);
    if (frame == 400) f.LoseFocus(), lost_at = f.now;
  });
  game.Run(0);
  ASSERT_EQ(game.Frames(), 700);
  ASSERT_EQ(game.LongDelaysUpTo(700), 2);  // a pause of some two seconds, and the focus lost

  Replay replay;
  std::string problem;
  ASSERT_TRUE(ReadReplayFile(AT_FDCWD, "last.vqreplay", &replay, &problem)) << problem;
  EXPECT_EQ(ReadFile("best.vqreplay"), ReadFile("last.vqreplay"));  // the first untimed game is the best
  EXPECT_LT(ReadFile("last.vqreplay").size(), 3u * 700);
  const ReplayCheck check = CheckReplay(replay);
  EXPECT_TRUE(check.matches);
  EXPECT_EQ(check.reached.frames, 700);
  EXPECT_EQ(game.out, "You have perished\nSeconds Played: " + std::to_string(check.reached.seconds) +
                          "\nFinal Score: " + std::to_string(check.reached.score) + "\n");

  FakePlatform watch;
  Shown shown;
  RecordFlips(watch, shown);
  watch.on_poll = [&shown](FakePlatform& f) {
    if (shown.frames.size() > 700) f.Press(Key::Return);  // at the end screen
  };
  watch.now = 123456;
  EXPECT_EQ(WatchReplay(watch, replay), kBackToMenu);
  ASSERT_EQ(shown.frames.size(), 701u);
  const uint32_t game_start = replay.start.ticks, watch_start = 123456;
  for (int n = 1; n <= 700; ++n) {
    ASSERT_TRUE(SameBlits(shown.frames[n - 1], game.FrameBlits(n))) << "frame " << n;
    ASSERT_EQ(shown.at[n - 1] - watch_start, game.shown[n - 1].now - game_start) << "frame " << n;
  }
  EXPECT_EQ(shown.frames.back().front().image, "gfx/dead.png");  // the result follows it
}

// The watcher's own keys, apart from the recorded game's: F and M act once
// per press (M starts the music and stops it), Return pauses the watch for as long as it is held off and the
// recorded pace goes on after it, Escape ends the watch on the end screen, a
// closed window ends it and the program.
TEST_F(ReplayTest, TheWatcherPausesSwitchesAndEnds) {
  GameRun game;
  game.before_frame = EscapeAt(200);
  game.Run(0);
  Replay replay;
  std::string problem;
  ASSERT_TRUE(ReadReplayFile(AT_FDCWD, "last.vqreplay", &replay, &problem)) << problem;

  FakePlatform watch;
  Shown shown;
  RecordFlips(watch, shown);
  watch.on_poll = [&shown](FakePlatform& f) {
    const size_t frame = shown.frames.size();
    // A pause held through its 500 ms after frame 10; one of 3 s after frame
    // 20; Return again at the end screen.
    const uint32_t since = frame == 20 ? f.now - shown.at[19] : 0;
    const std::pair<Key, bool> held[] = {
        {Key::Return, frame == 10 || (frame == 20 && (since < 100 || since >= 3000)) || frame > 60},
        {Key::F, frame == 5 || frame == 6},
        {Key::M, frame == 8 || frame == 12},
        {Key::Escape, frame == 60}};
    for (const auto& [key, down] : held) down ? f.Press(key) : f.Release(key);
  };
  EXPECT_EQ(WatchReplay(watch, replay), kBackToMenu);
  EXPECT_EQ(watch.fullscreen_toggles, 1);
  // M started the music and stopped it again.
  EXPECT_EQ(std::count(watch.audio_calls.begin(), watch.audio_calls.end(), "play"), 1);
  EXPECT_FALSE(watch.music_playing);
  ASSERT_EQ(shown.frames.size(), 61u);  // 60 frames and the end screen
  EXPECT_EQ(shown.frames.back().front().image, "gfx/dead.png");
  for (int n = 1; n < 60; ++n) {
    const uint32_t game_gap = game.shown[n].now - game.shown[n - 1].now, watch_gap = shown.at[n] - shown.at[n - 1];
    if (n == 10 || n == 20) {
      EXPECT_GE(watch_gap, game_gap + (n == 10 ? 500 : 3000)) << "frame " << n;
    } else {
      EXPECT_EQ(watch_gap, game_gap) << "frame " << n;
    }
  }

  // A closed window (or a signal, whose Quit every later poll repeats) ends
  // the watch at once, while it plays or while it is paused, and then the
  // program: the end screen does not wait.
  for (const bool paused : {false, true}) {
    SCOPED_TRACE(paused ? "paused" : "playing");
    FakePlatform closing;
    closing.poll_budget = 20000;  // a loop that does not end on Quit runs out
    uint32_t pressed_at = 0;      // Return, for a moment: the pause waits for the next press
    closing.on_poll = [paused, &pressed_at](FakePlatform& f) {
      if (paused && f.flips == 10 && !pressed_at) f.Press(Key::Return), pressed_at = f.now;
      if (pressed_at && f.now > pressed_at + 100) f.Release(Key::Return);
      if (f.flips == 20 || (pressed_at && f.now > pressed_at + 2000)) f.events.push_back(EventType::Quit);
    };
    EXPECT_EQ(WatchReplay(closing, replay), kQuitProgram);
    EXPECT_EQ(closing.flips, paused ? 11 : 21);  // the frames, and the end screen
    EXPECT_EQ(closing.LiveImages(), 0);
  }
}

// A Time attack game is kept as the last replay only; a game the recording
// does not hold whole is not kept.
TEST_F(ReplayTest, OnlyWholeGamesAreKeptAndOnlyUntimedOnesAsTheBest) {
  GameRun timed;
  timed.before_frame = EscapeAt(30);
  timed.Run(10);
  EXPECT_TRUE(Exists("last.vqreplay"));
  EXPECT_FALSE(Exists("best.vqreplay"));

  std::remove("last.vqreplay");
  timed.fake.keys = {};
  GameState state;
  const GameResources resources = TakeGameResources(timed.fake);
  StartGame(timed.fake, state, 0, 1);
  ASSERT_FALSE(PlayFrame(timed.fake, resources, state));  // a frame before the recording began
  Replay late;
  StartRecording(late, state.start);
  timed.fake.Press(Key::Escape);
  ASSERT_TRUE(PlayFrame(timed.fake, resources, state, &late));
  timed.fake.Press(Key::Return);
  ::testing::internal::CaptureStdout();
  EndPlayGame(timed.fake, resources, state, late);
  ::testing::internal::GetCapturedStdout();
  EXPECT_FALSE(Exists("last.vqreplay"));
  EXPECT_EQ(ReadFile("hiscore.dat"), "0\n");
}

// Two untimed games of equal score: the second rewrites the hiscore, but the
// records list the first one first, and B watches that one.
TEST_F(ReplayTest, TheBestReplayIsTheGameTheRecordsListFirst) {
  std::string first_game;
  for (const int escape_at : {30, 50}) {
    GameRun game;
    game.before_frame = EscapeAt(escape_at);
    game.Run(0);
    if (first_game.empty()) first_game = ReadFile("last.vqreplay");
  }
  EXPECT_EQ(ReadFile("hiscore.dat"), "0\n");
  EXPECT_NE(ReadFile("last.vqreplay"), first_game);
  EXPECT_EQ(ReadFile("best.vqreplay"), first_game);
}

// Files that are no replay of a game, each told in a few words, and one that
// no longer plays to its recorded result.
TEST_F(ReplayTest, BadFilesAreToldApart) {
  GameRun game;
  game.before_frame = EscapeAt(120, [](FakePlatform& f, int frame) {
    if (frame % 10 == 3) f.Tap(frame % 20 == 3 ? Key::Left : Key::Space);
  });
  game.Run(0);
  const std::string good = ReadFile("last.vqreplay");
  std::string other_version = good, too_long = good, damaged = good, edited = good, other_end = good;
  other_version[8] = 2;
  too_long[30] = 0x7f;  // the frame count's top byte
  damaged[good.size() - 2] = '\xff';
  other_end[39] = static_cast<char>(other_end[39] ^ 1);  // the digest of the last playfield
  edited[43] = static_cast<char>((edited[43] & ~7) | static_cast<int>(EventType::Quit));  // closed in frame 1
  mkdir("folder.vqreplay", 0700);
  mkfifo("pipe.vqreplay", 0600);
  struct Case {
    std::string name, content;  // written unless empty
    ReplayStatus status;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"good.vqreplay", good, kReplayPlays, ""},
      {"short.vqreplay", good.substr(0, 20), kReplayUnusable, "is cut short"},
      {"cut.vqreplay", good.substr(0, good.size() - 3), kReplayUnusable, "is cut short"},
      {"text.vqreplay", "hiscore 42\n", kReplayUnusable, "is not a replay file"},
      {"v2.vqreplay", other_version, kReplayUnusable, "was recorded in replay format 2; this program plays format 1"},
      {"long.vqreplay", too_long, kReplayUnusable, "is too long to be a replay"},
      {"trailing.vqreplay", good + "x", kReplayUnusable, "is damaged: it goes on after its last frame"},
      {"damaged.vqreplay", damaged, kReplayUnusable, "is damaged: frame"},
      {"folder.vqreplay", "", kReplayUnusable, "is a folder, not a replay file"},
      {"pipe.vqreplay", "", kReplayUnusable, "is not a plain file"},
      {"missing.vqreplay", "", kReplayUnusable, "cannot be read: No such file or directory"},
      {"other_end.vqreplay", other_end, kReplayDiffers, "does not play to its recorded result: it ends with another"},
      {"edited.vqreplay", edited, kReplayDiffers,
       "does not play to its recorded result: the game ends at frame 1 of 120"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.content.empty()) WriteFile(c.name, c.content);
    Replay replay;
    ReplayCheck check{};
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(LoadReplay(AT_FDCWD, c.name.c_str(), &replay, &check), c.status);
    const std::string err = ::testing::internal::GetCapturedStderr();
    if (c.status == kReplayPlays) {
      EXPECT_EQ(err, "");
    } else {
      EXPECT_EQ(err.rfind("velquadro: " + c.name + " " + c.message, 0), 0u) << err;
      EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
  }
}

}  // namespace
}  // namespace vq::test
