// What the desktop's own platform files (SDL 1.2 through sdl12-compat on
// SDL 2, under X11 or Wayland) reach in each other.
#pragma once

#include <cstdint>

namespace vq {

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

// Found once, after SDL started; a call SDL 2 does not have is null.
const Sdl2Calls& Sdl2();

// presentation.cpp: SDL's presentation as the program wants it, chosen before
// SDL starts, and whether the program's own enlarging can be used.
void ChooseLightPresentation();
bool PlainFramebuffer();

// display_loss.cpp: the program ends in one line, without waiting for the
// dead display, when the connection to it breaks; DisplayLost() tells that it
// did, for the exit handler.
void HandleDisplayLoss();
bool DisplayLost();

// signals.cpp: SIGTERM, SIGINT and SIGHUP end the program as closing the
// window does. Caught before SDL starts; QuitSignalCame() is true once one
// came.
void CatchQuitSignals();
bool QuitSignalCame();

}  // namespace vq
