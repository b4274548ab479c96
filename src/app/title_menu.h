// The title screen: a picture with four items (Play, Time attack, Demo, Quit),
// an arrow at the selected one and the Time attack limit in seconds.
#pragma once

#include <cstdint>
#include <functional>

#include "app/help_screen.h"
#include "demo/demo_game.h"
#include "game/play_game.h"
#include "game/watch_replay.h"
#include "platform/platform.h"

namespace vq {

// The games the menu starts, each with the seed of its random numbers, and
// the kept replays it shows. Tests put their own in place of the real ones.
struct MenuGames {
  std::function<int32_t(Platform&, int32_t, uint32_t)> play = PlayGame;  // time limit in s, 0: untimed
  std::function<int32_t(Platform&, uint32_t)> demo = DemoGame;
  std::function<int32_t(Platform&, const std::string&)> watch = WatchReplayFile;  // the path of a replay
  std::function<int32_t(Platform&, int32_t)> help = HelpScreen;                   // with the records of a time limit
};

// Menu items by selection value.
enum MenuItem : int32_t { kItemPlay = 0, kItemTimeAttack = 1, kItemDemo = 2, kItemQuit = 3 };

// Time attack limits, in seconds.
constexpr int32_t kTimeLimitStart = 30;
constexpr int32_t kTimeLimitMin = 10;
constexpr int32_t kTimeLimitMax = 1000;
constexpr int32_t kTimeLimitStep = 10;

// How long an idle menu sleeps between two looks at the keyboard, and the
// tick at which held arrow keys repeat.
constexpr uint32_t kMenuPassDelayMs = 5;
constexpr uint32_t kMenuKeyTickMs = 100;

// Runs the title menu until Quit is chosen, the window is closed or a game
// asks to end the program; returns the program's exit status (0). Loads its
// images first and ends the process with status 1 when one is missing. R
// watches the last game played, B the best untimed game, and a replay the
// player opens from outside (the browser's page) is watched; F1 or H shows the
// help with the records of the selected item (the untimed game's unless Time
// attack is selected). On Play and Time attack the menu shows the best score
// of the records of that item.
int TitleMenu(Platform& platform, const MenuGames& games = MenuGames());

}  // namespace vq
