#include "app/title_menu.h"

#include "draw/image_loading.h"
#include "draw/number_renderer.h"
#include "game/screen_wait.h"
#include "saves/data_folder.h"
#include "saves/records.h"
#include "saves/replay_files.h"

namespace vq {

namespace {

// Arrow and time-limit positions on the title picture.
constexpr int kArrowX = 130;
constexpr int kArrowTopY = 430;
constexpr int kArrowRowStep = 40;
constexpr int kTimeLimitX = 520;
constexpr int kTimeLimitY = 477;
// The best of the selected item: its plaque, and the number on it. The plaque
// holds the ten digits of the largest score a game can reach.
constexpr int kBestX = 280;
constexpr int kBestY = 282;
constexpr int kBestNumberX = 352;
constexpr int kBestNumberY = 289;

// Everything the menu keeps for the life of the program.
struct MenuState {
  int32_t selection = kItemPlay;
  int32_t time_limit = kTimeLimitStart;
  bool quit = false;
  bool idle = false;               // nothing changed since the last redraw
  uint32_t key_tick = UINT32_MAX;  // ticks / 100 at the previous pass
  uint32_t seed = 0;               // the wall clock at the last redraw: the next game's random numbers
};

// After a game, a replay or the help: the menu is redrawn, or the program
// ends when the window was closed. Presses made meanwhile belonged there, and
// F held through a game (it toggles full screen there too) does not act
// again here until it has been let go.
void BackFromGame(ScreenWait& wait, MenuState& s, int32_t result) {
  s.idle = false;
  if (result == kQuitProgram) s.quit = true;
  wait.ForgetPresses();
}

// Up, then Down on the selection Up left, then Right and Left on the time
// limit: the arrow keys' work at one 100 ms tick. Clears the idle flag on
// every change of selection or limit.
void ArrowKeys(ScreenWait& wait, MenuState& s) {
  const bool up = wait.HeldOrPressed(Key::Up);
  const bool down = wait.HeldOrPressed(Key::Down);
  const bool right = wait.HeldOrPressed(Key::Right);
  const bool left = wait.HeldOrPressed(Key::Left);
  if (up) {
    s.selection = s.selection > kItemPlay ? s.selection - 1 : kItemQuit;
    s.idle = false;
  }
  if (down) {
    s.selection = s.selection < kItemQuit ? s.selection + 1 : kItemPlay;
    s.idle = false;
  }
  if (right && s.selection == kItemTimeAttack && s.time_limit < kTimeLimitMax) {
    s.time_limit += kTimeLimitStep;
    s.idle = false;
  }
  if (left && s.selection == kItemTimeAttack && s.time_limit > kTimeLimitMin) {
    s.time_limit -= kTimeLimitStep;
    s.idle = false;
  }
}

// Return: start the selected game, or quit. The menu is redrawn after a game.
void ReturnKey(Platform& platform, ScreenWait& wait, const MenuGames& games, MenuState& s) {
  switch (s.selection) {
    case kItemPlay: return BackFromGame(wait, s, games.play(platform, 0, s.seed));
    case kItemTimeAttack: return BackFromGame(wait, s, games.play(platform, s.time_limit, s.seed));
    case kItemDemo: return BackFromGame(wait, s, games.demo(platform, s.seed));
    case kItemQuit:
      s.quit = true;
      s.idle = false;
      return;
    default: return;
  }
}

// The time limit whose records the selected item shows: 0 for the untimed
// game, which Demo and Quit show too.
int32_t SelectedLimit(const MenuState& s) { return s.selection == kItemTimeAttack ? s.time_limit : 0; }

// F1 and H, both taken: one press of either shows the help once.
bool HelpKey(ScreenWait& wait) {
  const bool f1 = wait.Pressed(Key::F1);
  const bool h = wait.Pressed(Key::H);
  return f1 || h;
}

struct MenuImages {
  Image* title;
  Image* arrow;
  Image* digits;
  Image* best;
};

void Redraw(Platform& platform, const MenuImages& images, MenuState& s) {
  s.seed = static_cast<uint32_t>(platform.Time());
  platform.Blit(images.title, 0, 0);
  platform.Blit(images.arrow, kArrowX, kArrowTopY + kArrowRowStep * s.selection);
  DrawNumber(platform, images.digits, s.time_limit, kTimeLimitX, kTimeLimitY);
  // Read at each redraw, never while idle: a game, a change of item or of
  // limit, or files another copy stored redraw.
  if (s.selection == kItemPlay || s.selection == kItemTimeAttack) {
    const Records records = ReadKeptRecords();
    if (const RecordTable* table = FindTable(records, SelectedLimit(s))) {
      platform.Blit(images.best, kBestX, kBestY);
      DrawNumber(platform, images.digits, table->records.front().score, kBestNumberX, kBestNumberY);
    }
  }
  platform.Flip();
}

}  // namespace

int TitleMenu(Platform& platform, const MenuGames& games) {
  const MenuImages images{LoadImageOrExit(platform, "gfx/title.png"), LoadImageOrExit(platform, "gfx/arrow.png"),
                          LoadImageOrExit(platform, "gfx/numbers.png"), LoadImageOrExit(platform, "gfx/best.png")};

  MenuState s;
  // F is the wait's: it switches full screen and shows the menu again,
  // without redrawing it.
  ScreenWait wait(platform, WaitKeys{true, nullptr});
  std::string opened;  // the path of a replay opened from outside
  while (!s.quit) {
    Redraw(platform, images, s);

    s.idle = true;
    while (s.idle) {
      // 1. Look: the events taken (keeping the keyboard state current), F;
      //    closing the window quits.
      if (!wait.Look()) {
        s.quit = true;
        break;
      }

      // 2. The arrow keys act once per 100 ms tick: at the first pass that
      //    sees a new value of ticks / 100.
      const uint32_t tick = platform.Ticks() / kMenuKeyTickMs;
      if (tick != s.key_tick) {
        s.key_tick = tick;
        ArrowKeys(wait, s);
      }

      // 3. Return is looked at on every pass.
      if (wait.Held(Key::Return)) ReturnKey(platform, wait, games, s);

      // 4. R and B watch the last and the best game, F1 and H show the help,
      //    once per press; a replay opened from outside is watched; files
      //    another copy stored redraw the menu.
      if (s.idle && wait.Pressed(Key::R)) BackFromGame(wait, s, games.watch(platform, DataFilePath(kLastReplayName)));
      if (s.idle && wait.Pressed(Key::B)) BackFromGame(wait, s, games.watch(platform, DataFilePath(kBestReplayName)));
      if (s.idle && platform.TakeOpenedReplay(&opened)) BackFromGame(wait, s, games.watch(platform, opened));
      if (s.idle && HelpKey(wait)) BackFromGame(wait, s, games.help(platform, SelectedLimit(s)));
      // Another copy saved: the best shown is read anew.
      if (s.idle && platform.TakeFilesChanged()) s.idle = false;

      // 5. An idle menu sleeps between passes instead of spinning.
      if (s.idle) wait.Sleep(kMenuPassDelayMs);
    }
  }

  platform.FreeImage(images.title);
  platform.FreeImage(images.arrow);
  platform.FreeImage(images.digits);
  platform.FreeImage(images.best);
  return 0;
}

}  // namespace vq
