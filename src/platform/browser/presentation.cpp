// The browser's presentation: the blits of a frame are drawn into the page's
// canvas at its Flip, and only where they change the picture (DrawnTiles), so
// that the canvas takes, and the browser shows anew, only the rectangles that
// changed. The browser shows the canvas only while the program sleeps: a
// frame whose pacing leaves no time to sleep must still give the browser its
// turn, or the page would show nothing and take no key for as long as the
// program keeps up.
#include <emscripten.h>

#include "platform/sdl_platform.h"
#include "platform/sdl_shared.h"
#include "platform/window_scale.h"

namespace vq {

// The canvas keeps what was drawn into it: nothing to remember.
struct Presentation {};

namespace {

// The first frame is out: the page decodes the images the program has not
// asked for yet (page_images.js), while the title waits for a key.
EM_JS(void, PageFramePresented, (), {
  if (Module["pageFiles"]) Module["pageFiles"].presented();
});

bool g_presented = false;

}  // namespace

// Made and ended where the target's Presentation is known.
SdlPlatform::SdlPlatform(bool convert_images) : convert_images_(convert_images) {
  // Room for every tile of the screen as its own part, and as many again
  // for a frame whose blits are drawn in turns.
  changed_.reserve(2 * static_cast<size_t>((kScreenWidth / kTileSize) * (kScreenHeight / kTileSize)));
}

SdlPlatform::~SdlPlatform() = default;

void SdlPlatform::Flip() {
  DrawPending();
  if (screen_ && !Hidden()) Present();
  changed_.clear();
  emscripten_sleep(0);
}

void SdlPlatform::Present() {
  presented_area_ = 0;
  for (const PixelRect& part : changed_) presented_area_ += part.w * part.h;
  SDL_Flip(screen_);
  if (!g_presented) PageFramePresented();
  g_presented = true;
}

}  // namespace vq
