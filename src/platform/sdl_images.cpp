// The SDL platform's images, on both targets: loading them, converted to the
// screen's format where the target can, and the program's own blitter, which
// draws only their visible parts.
#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/alpha_blend.h"
#include "platform/png_opaque.h"
#include "platform/sdl_platform.h"
#include "platform/sdl_shared.h"
#include "platform/visible_parts.h"

namespace vq {

// A loaded image: its surface, the parts of it that blits draw, and how;
// its number, which no other image gets (an image loaded where a freed one
// was is still another), and whether it hides what lies below it.
struct SdlImage {
  SDL_Surface* surface;
  std::vector<PixelRect> parts;
  Drawing drawing;
  uint64_t serial;
  bool opaque;
};

namespace {

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
// Whether every pixel of the image hides what it is drawn over. An image with
// an alpha channel may blend whatever its flags say (the browser's SDL always
// does): its file tells whether the channel is only the target's.
bool Opaque(const SDL_Surface* surface, const char* path) {
  if (surface->flags & SDL_SRCCOLORKEY) return false;
  if (surface->format->Amask) return PngOpaque(path);
  return !(surface->flags & SDL_SRCALPHA);  // else an alpha of the whole surface
}

uint64_t g_images_loaded = 0;

}  // namespace

Image* SdlPlatform::LoadImage(const char* path) {
  PrepareFile(path);
  SDL_Surface* loaded = IMG_Load(path);
  if (!loaded) return nullptr;
  auto* image = new SdlImage{loaded, {PixelRect{0, 0, loaded->w, loaded->h}}, Drawing::Sdl, ++g_images_loaded, false};
  if (convert_images_ && SDL_GetVideoSurface()) {
    // In the screen's format where the target converts images.
    SDL_Surface* converted = ConvertForScreen(loaded);
    if (converted) {
      SDL_FreeSurface(loaded);
      image->surface = converted;
    }
    // Only what can change the screen is blitted: the panels and frames are
    // mostly empty space.
    image->parts = SurfaceParts(image->surface);
    image->drawing = DrawingFor(image->surface, SDL_GetVideoSurface());
  }
  image->opaque = Opaque(image->surface, path);
  return reinterpret_cast<Image*>(image);
}

void SdlPlatform::FreeImage(Image* image) {
  if (!image) return;
  // Blits of it still to be drawn are drawn while it is there.
  if (!drawn_.Blits().empty()) DrawPending();
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
  w = std::min(w, std::min(screen_->w, kScreenWidth) - x);
  h = std::min(h, std::min(screen_->h, kScreenHeight) - y);
  if (w <= 0 || h <= 0) return;
  const TileBlit blit{&image, image.serial, image.opaque, sx, sy, w, h, x, y};
  if (drawn_.Add(blit)) return;
  DrawPending();  // no room left: the blits so far first
  drawn_.Add(blit);
}

void SdlPlatform::DrawPending() {
  if (!screen_) return;
  const std::vector<PixelRect>& parts = drawn_.Resolve();
  if (changed_.size() + parts.size() > changed_.capacity()) {
    changed_.clear();
    present_whole_ = true;
  }
  for (const PixelRect& part : parts) {
    changed_.push_back(part);
    // Each blit clipped to the part, in the order they came.
    for (const TileBlit& blit : drawn_.Blits()) {
      const int left = std::max(part.x, blit.x), top = std::max(part.y, blit.y);
      const int right = std::min(part.x + part.w, blit.x + blit.w);
      const int bottom = std::min(part.y + part.h, blit.y + blit.h);
      if (left >= right || top >= bottom) continue;
      DrawOnScreen(*static_cast<const SdlImage*>(blit.image), blit.sx + left - blit.x, blit.sy + top - blit.y,
                   right - left, bottom - top, left, top);
    }
  }
  drawn_.Drawn();
}

void SdlPlatform::DrawOnScreen(const SdlImage& image, int sx, int sy, int w, int h, int x, int y) {
  SDL_Surface* surface = image.surface;
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

bool SdlPlatform::VisitScreenRows(const std::function<void(const uint8_t* row, int bytes)>& visit) {
  DrawPending();
  if (!screen_ || SDL_LockSurface(screen_) != 0) return false;
  const int row_bytes = screen_->w * screen_->format->BytesPerPixel;
  for (int y = 0; y < screen_->h; ++y)
    visit(static_cast<const uint8_t*>(screen_->pixels) + y * screen_->pitch, row_bytes);
  SDL_UnlockSurface(screen_);
  return true;
}

const char* SdlPlatform::LastError() { return SDL_GetError(); }

}  // namespace vq
