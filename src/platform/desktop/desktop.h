// What the desktop's own platform files (SDL 1.2 through sdl12-compat on
// SDL 2, under X11 or Wayland) reach in each other.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/drawn_tiles.h"
#include "platform/window_scale.h"

namespace vq {

// SDL 2, which the compatibility layer runs on, as far as the program reaches
// it by name: the usable part of the screen, and the window's own surface,
// into which the program writes what changed of the picture (enlarged where
// the window is larger) and has the window system show those rectangles
// alone. Its structures as far as they are read here.
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
  // Looked for among every library first, so that a library preloaded to
  // watch the presentations (tools/measure/flip_times.c) sees them.
  int (*update_window_surface_rects)(void*, const Sdl2Rect*, int);
  uint32_t (*window_flags)(void*);
  int (*usable_bounds)(int, Sdl2Rect*);
};

// Found once, after SDL started; a call SDL 2 does not have is null.
const Sdl2Calls& Sdl2();

// What the window shows, as the program last presented into it.
struct Presentation {
  LinearScale smooth;  // full screen's enlarging
  // The framebuffer presented into: another one (the first, a new size,
  // full screen toggled) has none of the picture yet and gets all of it.
  const void* pixels = nullptr;
  int width = 0, height = 0;
  bool full_screen = false;
  PixelRect place{};  // the picture's place in full screen
  std::vector<Sdl2Rect> rects = std::vector<Sdl2Rect>(static_cast<size_t>(
      (kScreenWidth / kTileSize) * (kScreenHeight / kTileSize) + 1));  // room for every tile, and the bars
};

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
