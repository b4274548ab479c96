// The desktop's presentation: how SDL 2 shows the finished picture, chosen
// before SDL starts, and what the window shows of each frame: only the parts
// of the picture that changed since the last one presented, written by the
// program into the window's own framebuffer (enlarged by whole pixels in a
// larger window, smoothly in full screen, as SDL would) and handed to the
// window system as those rectangles alone.
#include <dlfcn.h>
#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/desktop/desktop.h"
#include "platform/sdl_platform.h"
#include "platform/sdl_shared.h"
#include "platform/window_scale.h"

namespace vq {

void ChooseLightPresentation() {
  // Every frame is finished in memory; SDL 2 only has to show it. Its
  // software renderer writing straight into the window's own framebuffer does
  // that with a few copies, where its default goes through OpenGL, which on a
  // machine without a graphics card is Mesa's software rasteriser: several
  // times the CPU and the memory for the same picture (docs/performance.md
  // has the figures). Both settings are needed: the software renderer alone
  // still presents its framebuffer through OpenGL.
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

// Whether the program's own presentation is in use (see
// ChooseLightPresentation): the window's picture is then a plain
// framebuffer, into which the program may write the picture itself.
bool PlainFramebuffer() {
  const char* driver = std::getenv("SDL_RENDER_DRIVER");
  const char* acceleration = std::getenv("SDL_FRAMEBUFFER_ACCELERATION");
  return driver && strcasecmp(driver, "software") == 0 && acceleration &&
         (acceleration[0] == '0' || strcasecmp(acceleration, "false") == 0);
}

const Sdl2Calls& Sdl2() {
  static const Sdl2Calls calls = [] {
    Sdl2Calls found{};
    void* sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
    if (!sdl2) return found;
    found.window = reinterpret_cast<void* (*)()>(dlsym(RTLD_DEFAULT, "SDL12COMPAT_GetWindow"));
    found.window_surface = reinterpret_cast<Sdl2Surface* (*)(void*)>(dlsym(sdl2, "SDL_GetWindowSurface"));
    void* update = dlsym(RTLD_DEFAULT, "SDL_UpdateWindowSurfaceRects");
    if (!update) update = dlsym(sdl2, "SDL_UpdateWindowSurfaceRects");
    found.update_window_surface_rects = reinterpret_cast<int (*)(void*, const Sdl2Rect*, int)>(update);
    found.window_flags = reinterpret_cast<uint32_t (*)(void*)>(dlsym(sdl2, "SDL_GetWindowFlags"));
    found.usable_bounds = reinterpret_cast<int (*)(int, Sdl2Rect*)>(dlsym(sdl2, "SDL_GetDisplayUsableBounds"));
    dlclose(sdl2);  // still loaded: the compatibility layer holds it
    return found;
  }();
  return calls;
}

namespace {

// Full screen enlarges smoothly, as SDL does unless the player chose another
// way (SDL12COMPAT_SCALE_METHOD), which is then left to SDL.
bool SmoothFullScreen() {
  const char* method = std::getenv("SDL12COMPAT_SCALE_METHOD");
  return !method || strcasecmp(method, "linear") == 0;
}

// Writes the changed parts of the screen's picture into the window's
// framebuffer and shows them: the area of the picture presented, or -1 where
// the program cannot present by itself (another presentation, another
// format, a window of no whole scale), which is left to SDL.
int PresentChanged(Presentation& shown, SDL_Surface* screen, const std::vector<PixelRect>& parts, bool whole) {
  const Sdl2Calls& sdl2 = Sdl2();
  if (!screen || !PlainFramebuffer() || !sdl2.window || !sdl2.window_surface || !sdl2.update_window_surface_rects ||
      !sdl2.window_flags || screen->w != kScreenWidth || screen->h != kScreenHeight) {
    return -1;
  }
  void* window = sdl2.window();
  if (!window) return -1;
  Sdl2Surface* out = sdl2.window_surface(window);
  const SDL_PixelFormat* in = screen->format;
  if (!out || !out->format || !out->pixels || out->format->bytes_per_pixel != 4 || in->BytesPerPixel != 4 ||
      out->format->rmask != in->Rmask || out->format->gmask != in->Gmask || out->format->bmask != in->Bmask) {
    return -1;
  }
  const bool full_screen = sdl2.window_flags(window) & kSdl2WindowFullScreen;
  const int scale = out->w / kScreenWidth;  // a window's whole scale
  if (full_screen ? !SmoothFullScreen() || out->w < 2 || out->h < 2
                  : scale < 1 || out->w != scale * kScreenWidth || out->h != scale * kScreenHeight) {
    return -1;
  }
  if (out->pixels != shown.pixels || out->w != shown.width || out->h != shown.height ||
      full_screen != shown.full_screen) {
    whole = true;
    shown.pixels = out->pixels;
    shown.width = out->w;
    shown.height = out->h;
    shown.full_screen = full_screen;
    if (full_screen) {
      shown.place = FullScreenPlace(out->w, out->h);
      shown.smooth.Resize(kScreenWidth, kScreenHeight, shown.place.w, shown.place.h);
    }
  }
  const uint8_t* from = static_cast<const uint8_t*>(screen->pixels);
  uint8_t* to = static_cast<uint8_t*>(out->pixels);
  // More parts than rectangles to hand over (a frame drawn in turns): all.
  if (parts.size() >= shown.rects.size()) whole = true;
  static const std::vector<PixelRect> kWhole{PixelRect{0, 0, kScreenWidth, kScreenHeight}};
  const std::vector<PixelRect>& changed = whole ? kWhole : parts;
  int area = 0;
  int count = 0;
  if (whole && full_screen) {
    // The black bars around the picture, as SDL clears them.
    for (int y = 0; y < out->h; ++y) std::memset(to + y * out->pitch, 0, static_cast<size_t>(out->w) * 4);
    shown.rects[static_cast<size_t>(count++)] = Sdl2Rect{0, 0, out->w, out->h};
  }
  for (const PixelRect& part : changed) {
    area += part.w * part.h;
    if (full_screen) {
      const PixelRect reach = shown.smooth.Reach(part);
      if (reach.w <= 0 || reach.h <= 0) continue;
      shown.smooth.Scale(from, screen->pitch, to + shown.place.y * out->pitch + shown.place.x * 4, out->pitch, reach);
      if (!whole) {
        shown.rects[static_cast<size_t>(count++)] =
            Sdl2Rect{shown.place.x + reach.x, shown.place.y + reach.y, reach.w, reach.h};
      }
      continue;
    }
    const uint8_t* part_from = from + part.y * screen->pitch + part.x * 4;
    uint8_t* part_to = to + part.y * scale * out->pitch + part.x * scale * 4;
    if (scale == 1) {
      for (int y = 0; y < part.h; ++y)
        std::memcpy(part_to + y * out->pitch, part_from + y * screen->pitch, static_cast<size_t>(part.w) * 4);
    } else {
      ScaleByWholePixels(part_from, screen->pitch, part.w, part.h, part_to, out->pitch, scale);
    }
    shown.rects[static_cast<size_t>(count++)] =
        Sdl2Rect{part.x * scale, part.y * scale, part.w * scale, part.h * scale};
  }
  // A frame where nothing changed presents nothing.
  if (count > 0 && sdl2.update_window_surface_rects(window, shown.rects.data(), count) != 0) return -1;
  return area;
}

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
  // Nothing drawn shows in a hidden window: it is not sent there either, and
  // the window gets the whole picture when it is shown again.
  if (screen_ && !Hidden()) {
    Present();
  } else {
    changed_.clear();
    PresentWhole();
  }
}

void SdlPlatform::Present() {
  const bool whole = present_whole_;
  present_whole_ = false;
  presented_area_ = PresentChanged(*presentation_, screen_, changed_, whole);
  changed_.clear();
  if (presented_area_ >= 0) return;
  SDL_Flip(screen_);
  presented_area_ = kScreenWidth * kScreenHeight;
  // What SDL showed is not what the program last presented: its next own
  // presentation starts from the whole picture.
  presentation_->pixels = nullptr;
}

}  // namespace vq
