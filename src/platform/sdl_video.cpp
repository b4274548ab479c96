// The SDL platform's screen: the presentation chosen before SDL starts, the
// window, the images and the program's own blitter.
#include <SDL.h>
#include <SDL_image.h>
#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/alpha_blend.h"
#include "platform/sdl_platform.h"
#include "platform/visible_parts.h"

namespace vq {

// How an image reaches the screen: through SDL's blitter, or, for an image in
// the screen's own format, copied row by row or blended with BlendRow, which
// write the very pixels SDL's blitter writes for such an image, the blended
// ones in a third to a half of the time.
enum class Drawing { Sdl, Copy, Blend };

// A loaded image: its surface, the parts of it that blits draw, and how.
struct SdlImage {
  SDL_Surface* surface;
  std::vector<PixelRect> parts;
  Drawing drawing;
};

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

SdlImage* AsSdlImage(Image* image) { return reinterpret_cast<SdlImage*>(image); }
const SdlImage* AsSdlImage(const Image* image) { return reinterpret_cast<const SdlImage*>(image); }

// The parts of a surface that are not fully transparent; the whole surface
// when it is not blended by its alpha channel, where every pixel counts.
std::vector<PixelRect> SurfaceParts(SDL_Surface* surface) {
  const SDL_PixelFormat* format = surface->format;
  if (!(surface->flags & SDL_SRCALPHA) || !format->Amask || format->BytesPerPixel != 4 ||
      SDL_LockSurface(surface) != 0) {
    return {PixelRect{0, 0, surface->w, surface->h}};
  }
  const Uint8* pixels = static_cast<const Uint8*>(surface->pixels);
  const int pitch = surface->pitch;
  auto alpha = [&](int x, int y) {
    Uint32 pixel;
    std::memcpy(&pixel, pixels + y * pitch + x * 4, sizeof pixel);
    return (pixel & format->Amask) != 0;
  };
  std::vector<PixelRect> parts = VisibleParts(surface->w, surface->h, alpha);
  SDL_UnlockSurface(surface);
  return parts;
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

void ChooseLightPresentation() {
  // Every frame is finished in memory; SDL 2 only has to show it. Its
  // software renderer writing straight into the window's own framebuffer does
  // that with a few copies, where its default goes through OpenGL, which on a
  // machine without a graphics card is Mesa's software rasteriser: four times
  // the CPU and some 90 MB more, for the same picture. Both settings are
  // needed: the software renderer alone still presents its framebuffer
  // through OpenGL.
  //
  // The player's own settings win. One who asks for an accelerated window
  // framebuffer gets SDL's accelerated renderer too, as without our default,
  // rather than a software renderer drawing into an OpenGL texture; one who
  // names a renderer keeps it, and a software one gets the plain framebuffer.
  const char* acceleration = std::getenv("SDL_FRAMEBUFFER_ACCELERATION");
  if (!acceleration || acceleration[0] == '0' || strcasecmp(acceleration, "false") == 0) {
    setenv("SDL_RENDER_DRIVER", "software", 0);
  }
  setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
}

}  // namespace

void ShutdownSdl() { SDL_Quit(); }

SdlPlatform::SdlPlatform(bool convert_images) : convert_images_(convert_images) {}

bool SdlPlatform::StartVideo() {
  // Every pad in one standard layout, unless the player chose otherwise.
  setenv("SDL12COMPAT_USE_GAME_CONTROLLERS", "1", 0);
  ChooseLightPresentation();
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
  return true;
}

bool SdlPlatform::OpenWindow() {
  SDL_WM_SetCaption("Velquadro", nullptr);
  screen_ = SDL_SetVideoMode(kScreenWidth, kScreenHeight, 0, SDL_DOUBLEBUF);
  if (!screen_) return false;
  StartInput();
  return true;
}

Image* SdlPlatform::LoadImage(const char* path) {
  SDL_Surface* loaded = IMG_Load(path);
  if (!loaded) return nullptr;
  auto* image = new SdlImage{loaded, {PixelRect{0, 0, loaded->w, loaded->h}}, Drawing::Sdl};
  if (convert_images_ && SDL_GetVideoSurface()) {
    // Images with an alpha channel keep it; the others take the screen's
    // format exactly.
    SDL_Surface* converted = loaded->format->Amask ? SDL_DisplayFormatAlpha(loaded) : SDL_DisplayFormat(loaded);
    if (converted) {
      SDL_FreeSurface(loaded);
      image->surface = converted;
    }
    // Only what can change the screen is blitted: the panels and frames are
    // mostly empty space.
    image->parts = SurfaceParts(image->surface);
    image->drawing = DrawingFor(image->surface, SDL_GetVideoSurface());
  }
  return reinterpret_cast<Image*>(image);
}

void SdlPlatform::FreeImage(Image* image) {
  if (!image) return;
  SdlImage* sdl_image = AsSdlImage(image);
  SDL_FreeSurface(sdl_image->surface);
  delete sdl_image;
}

int SdlPlatform::ImageWidth(const Image* image) { return AsSdlImage(image)->surface->w; }

int SdlPlatform::ImageHeight(const Image* image) { return AsSdlImage(image)->surface->h; }

void SdlPlatform::Blit(Image* image, int x, int y) {
  const SDL_Surface* surface = AsSdlImage(image)->surface;
  BlitRegion(image, 0, 0, surface->w, surface->h, x, y);
}

void SdlPlatform::BlitRegion(Image* image, int sx, int sy, int w, int h, int x, int y) {
  if (!image || !screen_) return;
  const SdlImage* sdl_image = AsSdlImage(image);
  // Each part of the image inside the source rectangle goes where it lies in
  // that rectangle.
  for (const PixelRect& part : sdl_image->parts) {
    const int left = std::max(sx, part.x);
    const int top = std::max(sy, part.y);
    const int right = std::min(sx + w, part.x + part.w);
    const int bottom = std::min(sy + h, part.y + part.h);
    if (left >= right || top >= bottom) continue;
    BlitClipped(*sdl_image, left, top, right - left, bottom - top, x + left - sx, y + top - sy);
  }
}

namespace {

// A span that starts before 0 loses what lies there: its start moves up to 0,
// its length shrinks and the start of the span it is copied to or from moves
// along.
void ClipStart(int& start, int& length, int& other_start) {
  if (start >= 0) return;
  length += start;
  other_start -= start;
  start = 0;
}

}  // namespace

void SdlPlatform::BlitClipped(const SdlImage& image, int sx, int sy, int w, int h, int x, int y) {
  SDL_Surface* surface = image.surface;
  // Clip here, in int, against the image and the screen: SDL's rectangles hold
  // 16-bit values, and a rectangle partly left of the image must lose the
  // columns that are not there rather than wrap around.
  ClipStart(sx, w, x);
  ClipStart(sy, h, y);
  w = std::min(w, surface->w - sx);
  h = std::min(h, surface->h - sy);
  ClipStart(x, w, sx);
  ClipStart(y, h, sy);
  w = std::min(w, screen_->w - x);
  h = std::min(h, screen_->h - y);
  if (w <= 0 || h <= 0) return;
  if (image.drawing != Drawing::Sdl && !SDL_MUSTLOCK(screen_) && !SDL_MUSTLOCK(surface)) {
    const Uint8* from = static_cast<const Uint8*>(surface->pixels) + sy * surface->pitch + sx * 4;
    Uint8* to = static_cast<Uint8*>(screen_->pixels) + y * screen_->pitch + x * 4;
    for (int row = 0; row < h; ++row, from += surface->pitch, to += screen_->pitch) {
      if (image.drawing == Drawing::Copy) {
        std::memcpy(to, from, static_cast<size_t>(w) * 4);
      } else {
        BlendRow(from, to, w);
      }
    }
    return;
  }
  SDL_Rect source{static_cast<Sint16>(sx), static_cast<Sint16>(sy), static_cast<Uint16>(w), static_cast<Uint16>(h)};
  SDL_Rect destination{static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
  SDL_BlitSurface(surface, &source, screen_, &destination);
}

void SdlPlatform::Flip() {
  if (screen_) SDL_Flip(screen_);
}

void SdlPlatform::ToggleFullScreen() {
  if (!screen_) return;
  SDL_WM_ToggleFullScreen(screen_);
  screen_ = SDL_GetVideoSurface();
}

bool SdlPlatform::VisitScreenRows(const std::function<void(const uint8_t* row, int bytes)>& visit) {
  if (!screen_ || SDL_LockSurface(screen_) != 0) return false;
  const int row_bytes = screen_->w * screen_->format->BytesPerPixel;
  for (int y = 0; y < screen_->h; ++y)
    visit(static_cast<const uint8_t*>(screen_->pixels) + y * screen_->pitch, row_bytes);
  SDL_UnlockSurface(screen_);
  return true;
}

const char* SdlPlatform::LastError() { return SDL_GetError(); }

}  // namespace vq
