/* The floor of presenting whole frames at the game's pace, which any SDL 1.2
 * program pays: an 800x600 software surface rewritten whole and flipped every
 * 60 ms, with the two light settings the game chooses for itself (software
 * renderer, plain window framebuffer). tools/measure/floor.sh sets the game's
 * CPU against it on the same display in the same run.
 * Usage: floor [full]   (full: toggled to full screen, as F does in the game)
 * Runs until killed or its window is closed. */
#include <SDL.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
  setenv("SDL_RENDER_DRIVER", "software", 0);
  setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_WM_SetCaption("Velquadro floor", NULL);
  SDL_Surface* screen = SDL_SetVideoMode(800, 600, 0, SDL_DOUBLEBUF);
  if (!screen) return 1;
  if (argc > 1 && strcmp(argv[1], "full") == 0) {
    SDL_WM_ToggleFullScreen(screen);
    screen = SDL_GetVideoSurface();
  }
  for (uint32_t frame = 0;; ++frame) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      if (event.type == SDL_QUIT) return 0;
    }
    /* Every pixel anew, as a frame drawn whole would leave it. */
    if (SDL_LockSurface(screen) != 0) return 1;
    for (int y = 0; y < screen->h; ++y) {
      uint32_t* row = (uint32_t*)((uint8_t*)screen->pixels + y * screen->pitch);
      for (int x = 0; x < screen->w; ++x) row[x] = (uint32_t)(x + y + frame) * 0x010101u;
    }
    SDL_UnlockSurface(screen);
    SDL_Flip(screen);
    SDL_Delay(60);
  }
}
