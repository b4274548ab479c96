/* Preloaded into the program (tools/measure/two_copies.sh): every fsync
 * takes 30 ms more, as on a slow disk, which widens the moment in which two
 * copies of the game save at once. Changes nothing else. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <time.h>

int fsync(int fd) {
  static int (*real_fsync)(int);
  if (!real_fsync) real_fsync = (int (*)(int))dlsym(RTLD_NEXT, "fsync");
  const struct timespec slow = {0, 30 * 1000 * 1000};
  nanosleep(&slow, 0);
  return real_fsync(fd);
}
