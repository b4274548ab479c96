#include "app/help_screen.h"

#include <cstdio>

#include "draw/image_loading.h"
#include "draw/number_renderer.h"
#include "game/game_result.h"
#include "game/screen_wait.h"
#include "saves/records.h"

namespace vq {

namespace {

// Where the program fills in the records on the help picture (tools/gen/
// help_screen.py draws the rest around these places).
constexpr int kHelpModeX = 468, kHelpModeY = 172;    // the mode's label
constexpr int kHelpModeRowHeight = 24;               // of gfx/modes.png: Play, then Time attack
constexpr int kHelpModeLimitRight = 150;             // the limit's right edge inside the label
constexpr int kHelpRowTop = 226, kHelpRowStep = 29;  // the ten rows
constexpr int kHelpScoreRight = 594, kHelpSecondsRight = 662, kHelpDateX = 676;
constexpr int kSmallGlyphWidth = 12, kSmallGlyphAdvance = 10;  // of gfx/digits.png

// As often as the title menu looks at the keys when idle (less often while
// the window is hidden).
constexpr uint32_t kHelpPassDelayMs = 5;

void DrawRecords(Platform& platform, Image* modes, const DigitStrip& digits, int32_t time_limit) {
  const int row = time_limit == 0 ? 0 : 1;
  platform.BlitRegion(modes, 0, kHelpModeRowHeight * row, platform.ImageWidth(modes), kHelpModeRowHeight, kHelpModeX,
                      kHelpModeY);
  // The small digits stand in the middle of the label's row.
  const int label_digits_y = kHelpModeY + (kHelpModeRowHeight - platform.ImageHeight(digits.image)) / 2;
  if (time_limit > 0) DrawNumberRight(platform, digits, time_limit, kHelpModeX + kHelpModeLimitRight, label_digits_y);
  const Records records = ReadKeptRecords();
  const RecordTable* table = FindTable(records, time_limit);
  if (!table) return;
  for (size_t i = 0; i < table->records.size(); ++i) {
    const Record& r = table->records[i];
    const int y = kHelpRowTop + kHelpRowStep * static_cast<int>(i);
    DrawNumberRight(platform, digits, r.score, kHelpScoreRight, y);
    DrawNumberRight(platform, digits, r.seconds, kHelpSecondsRight, y);
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", static_cast<int>(r.date.year), static_cast<int>(r.date.month),
                  static_cast<int>(r.date.day));
    DrawDigitText(platform, digits, date, kHelpDateX, y);
  }
}

}  // namespace

int32_t HelpScreen(Platform& platform, int32_t time_limit) {
  Image* picture = LoadImageOrExit(platform, "gfx/help.png");
  Image* modes = LoadImageOrExit(platform, "gfx/modes.png");
  const DigitStrip digits{LoadImageOrExit(platform, "gfx/digits.png"), kSmallGlyphWidth, kSmallGlyphAdvance};
  platform.Blit(picture, 0, 0);
  DrawRecords(platform, modes, digits, time_limit);
  platform.Flip();

  // The F1 or H that opened the help is not a press to leave it by, and a
  // key pressed here goes back only once every key is up: the title menu
  // would act on it.
  ScreenWait wait(platform);
  wait.ForgetPresses();
  bool pressed = false;
  while (wait.Look()) {
    pressed |= wait.AnyPressed();
    if (pressed && !wait.AnyHeld()) break;
    wait.Sleep(kHelpPassDelayMs);
  }
  // Presses made here belong to the help.
  wait.ForgetPresses();
  platform.FreeImage(picture);
  platform.FreeImage(modes);
  platform.FreeImage(digits.image);
  return wait.Quit() ? kQuitProgram : kBackToMenu;
}

}  // namespace vq
