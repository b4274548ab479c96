// The desktop's images: converted to the screen's own format, and drawn by
// the program's own blitter where that writes the pixels SDL's would.
#include "platform/sdl_shared.h"

namespace vq {

SDL_Surface* ConvertForScreen(SDL_Surface* loaded) {
  // Images with an alpha channel keep it; the others take the screen's format
  // exactly.
  return loaded->format->Amask ? SDL_DisplayFormatAlpha(loaded) : SDL_DisplayFormat(loaded);
}

// Copy for the screen's format without alpha; Blend for the same colours with
// 8-bit alpha in the top byte, blended by it; SDL for anything else (a colour
// key, a surface-wide alpha, another layout).
Drawing DrawingFor(const SDL_Surface* image, const SDL_Surface* screen) {
  const SDL_PixelFormat* from = image->format;
  const SDL_PixelFormat* to = screen->format;
  const bool same_colours = from->BytesPerPixel == 4 && to->BytesPerPixel == 4 && from->Rmask == to->Rmask &&
                            from->Gmask == to->Gmask && from->Bmask == to->Bmask;
  if (!same_colours || (image->flags & SDL_SRCCOLORKEY)) return Drawing::Sdl;
  if (!(image->flags & SDL_SRCALPHA)) return from->Amask == to->Amask ? Drawing::Copy : Drawing::Sdl;
  return from->Amask == 0xFF000000u && to->Amask == 0 && from->alpha == SDL_ALPHA_OPAQUE ? Drawing::Blend
                                                                                         : Drawing::Sdl;
}

void PrepareFile(const char*) {}

}  // namespace vq
