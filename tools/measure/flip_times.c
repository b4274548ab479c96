/* Preloaded into the program (build_flip_shim in tests/e2e/lib.sh): notes the
 * monotonic time at which each presentation returns, on standard error, and
 * changes nothing else. A presentation is an SDL_Flip, or the program's own
 * presentation of what changed (SDL 2's SDL_UpdateWindowSurfaceRects, which
 * the program looks for among every library first for this). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <time.h>

typedef struct SDL_Surface SDL_Surface;
typedef struct SDL_Rect SDL_Rect;

static void note(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  fprintf(stderr, "flip %lld.%09ld\n", (long long)now.tv_sec, now.tv_nsec);
}

int SDL_Flip(SDL_Surface* screen) {
  static int (*real_flip)(SDL_Surface*);
  if (!real_flip) real_flip = (int (*)(SDL_Surface*))dlsym(RTLD_NEXT, "SDL_Flip");
  int result = real_flip(screen);
  note();
  return result;
}

int SDL_UpdateWindowSurfaceRects(void* window, const SDL_Rect* rects, int count) {
  static int (*real_update)(void*, const SDL_Rect*, int);
  if (!real_update) {
    void* sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
    if (!sdl2) return -1;
    real_update = (int (*)(void*, const SDL_Rect*, int))dlsym(sdl2, "SDL_UpdateWindowSurfaceRects");
    if (!real_update) return -1;
  }
  int result = real_update(window, rects, count);
  note();
  return result;
}
