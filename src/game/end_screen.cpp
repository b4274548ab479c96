#include "game/end_screen.h"

#include "core/frame_steps.h"
#include "draw/number_renderer.h"
#include "game/game_input.h"
#include "game/game_result.h"

namespace vq {

namespace {

// Where the result is drawn: the panel, its place label, the new-best banner,
// and the two numbers on the panel.
constexpr int kResultX = 175, kResultY = 66;
constexpr int kPlaceLabelX = 425;
constexpr int kNewBestX = 250, kNewBestY = 4;
constexpr int kResultScoreX = 280, kResultPlaceX = 520, kResultNumberY = 85;

void DrawEndResult(Platform& platform, const GameImages& images, const EndResult& result) {
  platform.Blit(images.result, kResultX, kResultY);
  DrawNumber(platform, images.numbers, result.score, kResultScoreX, kResultNumberY);
  if (result.place > 0) {
    platform.Blit(images.place, kPlaceLabelX, kResultY);
    DrawNumber(platform, images.numbers, result.place, kResultPlaceX, kResultNumberY);
  }
  if (result.new_best) platform.Blit(images.new_best, kNewBestX, kNewBestY);
}

}  // namespace

int32_t ShowEndScreen(Platform& platform, const GameImages& images, GameState& state, const EndResult* result) {
  platform.Blit(images.dead, 175, 500);
  if (result) DrawEndResult(platform, images, *result);
  platform.Flip();
  // A closed window does not wait for Return.
  if (!state.window_closed && WaitForReturn(platform) == EventType::Quit) state.window_closed = true;
  if (!state.window_closed) platform.Delay(kPauseMs);
  return state.window_closed ? kQuitProgram : kBackToMenu;
}

}  // namespace vq
