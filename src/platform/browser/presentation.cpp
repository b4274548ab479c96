// The browser's presentation: every blit already drew into the page's
// canvas, but the browser shows the canvas only while the program sleeps.
// A frame whose pacing leaves no time to sleep must still give the browser
// its turn, or the page would show nothing and take no key for as long as
// the program keeps up.
#include <emscripten.h>

#include "platform/sdl_platform.h"
#include "platform/sdl_shared.h"

namespace vq {

void SdlPlatform::Flip() {
  if (screen_ && !Hidden()) Present();
  emscripten_sleep(0);
}

void SdlPlatform::Present() { SDL_Flip(screen_); }

}  // namespace vq
