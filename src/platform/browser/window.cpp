// The browser's window: the page's canvas, 800x600; the page shows it at the
// largest whole multiple that fits (index.html). Full screen is the page's
// own, asked of the browser while the key that asked is still held.
#include <emscripten.h>

#include "platform/browser/browser.h"
#include "platform/sdl_platform.h"
#include "platform/sdl_shared.h"
#include "platform/window_scale.h"

namespace vq {

namespace {

// The page is hidden now (another tab, a minimised browser): nothing drawn
// shows.
bool g_hidden = false;

// The page's own full screen (index.html): the canvas with a black border,
// enlarged as far as whole multiples go. A browser grants full screen only
// shortly after a key press, as here.
EM_JS(void, TogglePageFullScreen, (), {
  if (Module["toggleFullScreen"]) Module["toggleFullScreen"]();
});

}  // namespace

bool SdlPlatform::StartVideo() {
  // The pads with the video: emscripten's SDL looks at them on each poll
  // only when SDL was started with them.
  return SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) == 0;
}

bool SdlPlatform::OpenWindow() {
  SDL_WM_SetCaption("Velquadro", nullptr);
  screen_ = SDL_SetVideoMode(kScreenWidth, kScreenHeight, 32, 0);
  if (!screen_) return false;
  StartInput();
  return true;
}

void SdlPlatform::ToggleFullScreen() { TogglePageFullScreen(); }

bool SdlPlatform::Hidden() { return g_hidden; }

void NotePageHidden(bool hidden) { g_hidden = hidden; }

void ShutdownSdl() { SDL_Quit(); }

}  // namespace vq
