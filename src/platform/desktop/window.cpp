// The desktop's window: SDL started on a real display, the window opened as
// large as the screen allows in whole multiples of the picture, full screen,
// whether the window is minimised, and SDL shut down at the end.
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/desktop/desktop.h"
#include "platform/sdl_platform.h"
#include "platform/sdl_shared.h"
#include "platform/window_scale.h"

namespace vq {

namespace {

// The window as large as the screen allows, in whole multiples of the
// picture: the compatibility layer opens it SDL12COMPAT_WINDOW_SCALING times
// the size asked for. A player's own setting wins.
void ChooseWindowScale() {
  if (std::getenv("SDL12COMPAT_WINDOW_SCALING")) return;
  // The part of the screen that windows may use, without panels and docks;
  // the whole screen where SDL 2 cannot tell.
  const SDL_VideoInfo* info = SDL_GetVideoInfo();
  Sdl2Rect area{0, 0, info ? info->current_w : 0, info ? info->current_h : 0};
  Sdl2Rect usable{};
  if (Sdl2().usable_bounds && Sdl2().usable_bounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0) area = usable;
  setenv("SDL12COMPAT_WINDOW_SCALING", std::to_string(WindowScale(area.w, area.h)).c_str(), 1);
}

}  // namespace

bool SdlPlatform::StartVideo() {
  // Every pad in one standard layout, unless the player chose otherwise.
  setenv("SDL12COMPAT_USE_GAME_CONTROLLERS", "1", 0);
  ChooseLightPresentation();
  // A window the compatibility layer enlarges itself, where the program
  // cannot, shows sharp pixels too (read when SDL starts).
  if (!PlainFramebuffer()) setenv("SDL12COMPAT_SCALE_METHOD", "nearest", 0);
  CatchQuitSignals();
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
  // Without any display SDL falls back to drawing into memory that nobody
  // sees: the program would wait forever for keys that cannot be pressed.
  char driver[32] = "";
  SDL_VideoDriverName(driver, sizeof driver);
  if (std::strcmp(driver, "offscreen") == 0) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_SetError("No display to show the window on");
    return false;
  }
  HandleDisplayLoss();
  return true;
}

bool SdlPlatform::OpenWindow() {
  SDL_WM_SetCaption("Velquadro", nullptr);
  ChooseWindowScale();
  screen_ = SDL_SetVideoMode(kScreenWidth, kScreenHeight, 0, SDL_DOUBLEBUF);
  if (!screen_) return false;
  StartInput();
  return true;
}

void SdlPlatform::ToggleFullScreen() {
  if (!screen_) return;
  SDL_WM_ToggleFullScreen(screen_);
  screen_ = SDL_GetVideoSurface();
}

bool SdlPlatform::Hidden() { return screen_ && !(SDL_GetAppState() & SDL_APPACTIVE); }

void ShutdownSdl() {
  // SDL's video must not be shut down on a dead connection to the display
  // (display_loss.cpp): only the sound is.
  if (DisplayLost()) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return;
  }
  SDL_Quit();
}

}  // namespace vq
