// The SDL platform's screen: the presentation chosen before SDL starts, the
// window and its size, the images, the program's own blitter, and the end of
// the program when the display goes away.
#include <SDL.h>
#include <SDL_image.h>
#include <dlfcn.h>
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/alpha_blend.h"
#include "platform/sdl_platform.h"
#include "platform/visible_parts.h"
#include "platform/window_scale.h"

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

// Set once the connection to the display broke: SDL's video must then not be
// shut down, as SDL 2 would wait for ever for the window to be unmapped on
// the dead connection (Xlib stops reading once it knows the connection is
// broken, so the wait spins at a full core).
bool g_display_lost = false;

// Xlib's handler of a broken connection, of type int (*)(Display*). It must
// not return: it says so in one line and ends the program, whose exit
// handler then leaves SDL's video alone. The hiscore and the replays are
// only ever renamed into place whole, so nothing is left half-written.
int EndOnDisplayLost(void*) {
  g_display_lost = true;
  std::fflush(stdout);
  std::fputs("velquadro: the connection to the display was lost\n", stderr);
  std::exit(1);
}

// Replaces Xlib's own handler, which prints two lines and calls exit, whose
// SDL_Quit then spins, where SDL's video runs on Xlib. Reached by name, so
// that no X header is needed and nothing changes on other video drivers.
void HandleDisplayLoss() {
  void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  if (!xlib) return;
  using Handler = int (*)(void*);
  auto set_handler = reinterpret_cast<Handler (*)(Handler)>(dlsym(xlib, "XSetIOErrorHandler"));
  if (set_handler) set_handler(EndOnDisplayLost);
  dlclose(xlib);  // still loaded: SDL holds it
}

// SDL 2, which the compatibility layer runs on, as far as the program reaches
// it by name: the usable part of the screen, and the window's own surface,
// into which a picture enlarged by the program is shown in one pass. Its
// structures as far as they are read here.
struct Sdl2PixelFormat {
  uint32_t format;
  void* palette;
  uint8_t bits_per_pixel;
  uint8_t bytes_per_pixel;
  uint8_t padding[2];
  uint32_t rmask, gmask, bmask, amask;
};
struct Sdl2Surface {
  uint32_t flags;
  Sdl2PixelFormat* format;
  int w, h, pitch;
  void* pixels;
};
struct Sdl2Rect {
  int x, y, w, h;
};
constexpr uint32_t kSdl2WindowFullScreen = 0x1;  // SDL_WINDOW_FULLSCREEN, also part of _DESKTOP

struct Sdl2Calls {
  void* (*window)();  // the compatibility layer's SDL12COMPAT_GetWindow
  Sdl2Surface* (*window_surface)(void*);
  int (*update_window_surface)(void*);
  uint32_t (*window_flags)(void*);
  int (*usable_bounds)(int, Sdl2Rect*);
};

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

// Whether the program's own presentation is in use (see
// ChooseLightPresentation): the window's picture is then a plain
// framebuffer, into which the program may write the enlarged picture itself.
bool PlainFramebuffer() {
  const char* driver = std::getenv("SDL_RENDER_DRIVER");
  const char* acceleration = std::getenv("SDL_FRAMEBUFFER_ACCELERATION");
  return driver && strcasecmp(driver, "software") == 0 && acceleration &&
         (acceleration[0] == '0' || strcasecmp(acceleration, "false") == 0);
}

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

void ShutdownSdl() {
  if (g_display_lost) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return;
  }
  SDL_Quit();
}

SdlPlatform::SdlPlatform(bool convert_images) : convert_images_(convert_images) {}

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
  // Nothing drawn shows in a hidden window: it is not sent there either.
  if (screen_ && !Hidden()) Present();
}

void SdlPlatform::Present() {
  if (!PresentScaled()) SDL_Flip(screen_);
}

bool SdlPlatform::PresentScaled() {
  // A window of a larger scale shows the picture enlarged by the program in
  // one pass into the window's own framebuffer: the compatibility layer's
  // scaling clears the whole window and stretches it pixel by pixel, which
  // costs several times as much (docs/performance.md). Full screen, another
  // scale or another presentation are left to SDL.
  const Sdl2Calls& sdl2 = Sdl2();
  if (!screen_ || !PlainFramebuffer() || !sdl2.window || !sdl2.window_surface || !sdl2.update_window_surface ||
      !sdl2.window_flags) {
    return false;
  }
  void* window = sdl2.window();
  if (!window || (sdl2.window_flags(window) & kSdl2WindowFullScreen)) return false;
  Sdl2Surface* out = sdl2.window_surface(window);
  const SDL_PixelFormat* in = screen_->format;
  if (!out || !out->format || !out->pixels || out->format->bytes_per_pixel != 4 || in->BytesPerPixel != 4 ||
      out->format->rmask != in->Rmask || out->format->gmask != in->Gmask || out->format->bmask != in->Bmask) {
    return false;
  }
  const int scale = out->w / kScreenWidth;
  if (scale < 2 || out->w != scale * kScreenWidth || out->h != scale * kScreenHeight) return false;
  ScaleByWholePixels(static_cast<const uint8_t*>(screen_->pixels), screen_->pitch, kScreenWidth, kScreenHeight,
                     static_cast<uint8_t*>(out->pixels), out->pitch, scale);
  return sdl2.update_window_surface(window) == 0;
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
