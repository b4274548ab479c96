// The browser's images: emscripten's SDL keeps every surface in a canvas of
// its own and always blits with the canvas's drawImage (SDL_MUSTLOCK is 1),
// which blends by alpha as SDL does. A conversion would only copy the
// canvas, and reading the pixels (to find the visible parts) would write
// them back through the canvas: images stay as loaded and are drawn whole.
// The page decodes an image when the program first asks for it
// (page_images.js): IMG_Load takes it decoded, so the program waits here.
#include <emscripten.h>

#include "platform/sdl_shared.h"

namespace vq {

namespace {

EM_ASYNC_JS(void, PreparePageFile, (const char* path), {
  if (Module["pageFiles"]) await Module["pageFiles"].prepare(UTF8ToString(path));
});

}  // namespace

SDL_Surface* ConvertForScreen(SDL_Surface*) { return nullptr; }

Drawing DrawingFor(const SDL_Surface*, const SDL_Surface*) { return Drawing::Sdl; }

void PrepareFile(const char* path) { PreparePageFile(path); }

}  // namespace vq
