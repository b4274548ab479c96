#include "app/title_menu.h"

#include "draw/image_loading.h"
#include "draw/number_renderer.h"
#include "game/records.h"

namespace vq {

namespace {

// Everything the menu keeps for the life of the program.
struct MenuState {
  int32_t selection = kItemPlay;
  int32_t time_limit = kTimeLimitStart;
  bool quit = false;
  bool idle = false;               // nothing changed since the last redraw
  uint32_t key_tick = UINT32_MAX;  // ticks / 100 at the previous pass
  bool f_released = true;          // F has been up since it last acted
  uint32_t seed = 0;               // the wall clock at the last redraw: the next game's random numbers
};

// Presses made while a game ran belong to that game.
void ForgetPresses(Platform& platform) {
  for (Key key : {Key::Up, Key::Down, Key::Left, Key::Right, Key::F, Key::R, Key::B, Key::F1, Key::H}) {
    platform.TakePress(key);
  }
}

// After a game or a replay: the menu is redrawn, or the program ends when the
// window was closed. F held through the game (it toggles full screen there
// too) does not act again here until it has been let go.
void BackFromGame(Platform& platform, MenuState& s, int32_t result) {
  s.idle = false;
  if (result == kQuitProgram) s.quit = true;
  s.f_released = false;
  ForgetPresses(platform);
}

// Up, then Down on the selection Up left, then Right and Left on the time
// limit: the arrow keys' work at one 100 ms tick. Clears the idle flag on
// every change of selection or limit.
void ArrowKeys(Platform& platform, MenuState& s) {
  const bool up = HeldOrPressed(platform, Key::Up);
  const bool down = HeldOrPressed(platform, Key::Down);
  const bool right = HeldOrPressed(platform, Key::Right);
  const bool left = HeldOrPressed(platform, Key::Left);
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
void ReturnKey(Platform& platform, const MenuGames& games, MenuState& s) {
  switch (s.selection) {
    case kItemPlay: return BackFromGame(platform, s, games.play(platform, 0, s.seed));
    case kItemTimeAttack: return BackFromGame(platform, s, games.play(platform, s.time_limit, s.seed));
    case kItemDemo: return BackFromGame(platform, s, games.demo(platform, s.seed));
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
bool HelpKey(Platform& platform) {
  const bool f1 = platform.TakePress(Key::F1);
  const bool h = platform.TakePress(Key::H);
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
  // limit redraws.
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
  while (!s.quit) {
    Redraw(platform, images, s);

    s.idle = true;
    while (s.idle) {
      // 1. Poll: keeps the keyboard state current; closing the window quits.
      EventType event = EventType::None;
      if (platform.PollEvent(&event) && event == EventType::Quit) {
        s.quit = true;
        break;
      }

      // 2. The arrow keys and F act once per 100 ms tick: at the first pass
      //    that sees a new value of ticks / 100.
      const uint32_t tick = platform.Ticks() / kMenuKeyTickMs;
      const bool f_held = platform.KeyHeld(Key::F);
      if (tick != s.key_tick) {
        s.key_tick = tick;
        ArrowKeys(platform, s);
        // F acts once per press, and does not redraw the menu.
        if (HeldOrPressed(platform, Key::F) && s.f_released) {
          platform.ToggleFullScreen();
          platform.Flip();
          s.f_released = false;
        }
      }
      if (!f_held) s.f_released = true;

      // 3. Return is looked at on every pass.
      if (platform.KeyHeld(Key::Return)) ReturnKey(platform, games, s);

      // 4. R and B watch the last and the best game, F1 and H show the help,
      //    once per press.
      if (s.idle && platform.TakePress(Key::R)) BackFromGame(platform, s, games.watch(platform, kLastReplayName));
      if (s.idle && platform.TakePress(Key::B)) BackFromGame(platform, s, games.watch(platform, kBestReplayName));
      if (s.idle && HelpKey(platform)) BackFromGame(platform, s, games.help(platform, SelectedLimit(s)));

      // 5. An idle menu sleeps between passes instead of spinning.
      if (s.idle) platform.Wait(kMenuPassDelayMs);
    }
  }

  platform.FreeImage(images.title);
  platform.FreeImage(images.arrow);
  platform.FreeImage(images.digits);
  platform.FreeImage(images.best);
  return 0;
}

}  // namespace vq
