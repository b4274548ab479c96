// The desktop's presentation: how SDL 2 shows the finished picture, chosen
// before SDL starts, and the picture enlarged by the program itself into a
// window of a larger scale.
#include <dlfcn.h>
#include <strings.h>

#include <cstdlib>

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
// framebuffer, into which the program may write the enlarged picture itself.
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
    found.update_window_surface = reinterpret_cast<int (*)(void*)>(dlsym(sdl2, "SDL_UpdateWindowSurface"));
    found.window_flags = reinterpret_cast<uint32_t (*)(void*)>(dlsym(sdl2, "SDL_GetWindowFlags"));
    found.usable_bounds = reinterpret_cast<int (*)(int, Sdl2Rect*)>(dlsym(sdl2, "SDL_GetDisplayUsableBounds"));
    dlclose(sdl2);  // still loaded: the compatibility layer holds it
    return found;
  }();
  return calls;
}

namespace {

// A window of a larger scale shows the picture enlarged by the program in one
// pass into the window's own framebuffer: the compatibility layer's scaling
// clears the whole window and stretches it pixel by pixel, which costs
// several times as much (docs/performance.md). Full screen, another scale or
// another presentation are left to SDL: false then.
bool PresentScaled(SDL_Surface* screen) {
  const Sdl2Calls& sdl2 = Sdl2();
  if (!screen || !PlainFramebuffer() || !sdl2.window || !sdl2.window_surface || !sdl2.update_window_surface ||
      !sdl2.window_flags) {
    return false;
  }
  void* window = sdl2.window();
  if (!window || (sdl2.window_flags(window) & kSdl2WindowFullScreen)) return false;
  Sdl2Surface* out = sdl2.window_surface(window);
  const SDL_PixelFormat* in = screen->format;
  if (!out || !out->format || !out->pixels || out->format->bytes_per_pixel != 4 || in->BytesPerPixel != 4 ||
      out->format->rmask != in->Rmask || out->format->gmask != in->Gmask || out->format->bmask != in->Bmask) {
    return false;
  }
  const int scale = out->w / kScreenWidth;
  if (scale < 2 || out->w != scale * kScreenWidth || out->h != scale * kScreenHeight) return false;
  ScaleByWholePixels(static_cast<const uint8_t*>(screen->pixels), screen->pitch, kScreenWidth, kScreenHeight,
                     static_cast<uint8_t*>(out->pixels), out->pitch, scale);
  return sdl2.update_window_surface(window) == 0;
}

}  // namespace

void SdlPlatform::Flip() {
  // Nothing drawn shows in a hidden window: it is not sent there either.
  if (screen_ && !Hidden()) Present();
}

void SdlPlatform::Present() {
  if (!PresentScaled(screen_)) SDL_Flip(screen_);
}

}  // namespace vq
