/* Preloaded into the program (build_flip_shim in tests/e2e/lib.sh): notes the
 * monotonic time at which each SDL_Flip returns, on standard error, and
 * changes nothing else. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <time.h>

typedef struct SDL_Surface SDL_Surface;

int SDL_Flip(SDL_Surface* screen) {
  static int (*real_flip)(SDL_Surface*);
  if (!real_flip) real_flip = (int (*)(SDL_Surface*))dlsym(RTLD_NEXT, "SDL_Flip");
  int result = real_flip(screen);
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  fprintf(stderr, "flip %lld.%09ld\n", (long long)now.tv_sec, now.tv_nsec);
  return result;
}
