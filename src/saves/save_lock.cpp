#include "saves/save_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "saves/data_folder.h"
#include "saves/save_hooks.h"

namespace vq {

namespace {

// How long a save waits for another copy of the game to finish its own, and
// how often it looks. A save takes milliseconds; a copy stopped while it held
// the lock must not keep this one from saving at all.
constexpr int kLockWaitMs = 3000;
constexpr int kLockLookMs = 10;

}  // namespace

SaveLock::SaveLock() {
  TakeLock();
  // What another copy stored elsewhere is read in once no copy can store
  // more meanwhile.
  if (CurrentSaveHooks().read_anew) CurrentSaveHooks().read_anew();
}

void SaveLock::TakeLock() {
  const std::string path = DataFilePath(kSaveLockName);
  // Without a folder nothing is saved, and the saves tell it.
  if (path.empty() || !MakeParentDirectories(path)) return;
  // Never through a link; read-only where the folder's lock file is another
  // player's, since a lock needs no writing.
  const int flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  fd_ = open(path.c_str(), O_RDWR | O_CREAT | flags, 0666);
  if (fd_ < 0 && errno == EACCES) fd_ = open(path.c_str(), O_RDONLY | flags);
  struct stat info;
  if (fd_ >= 0 && (fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode))) {
    close(fd_);
    fd_ = -1;
  }
  if (fd_ < 0) return;
  for (int waited = 0; flock(fd_, LOCK_EX | LOCK_NB) != 0; waited += kLockLookMs) {
    if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= kLockWaitMs) {
      if (waited >= kLockWaitMs) {
        std::fprintf(stderr, "velquadro: %s: another copy of the game held it for %d s; saving without it\n",
                     path.c_str(), kLockWaitMs / 1000);
      }
      close(fd_);
      fd_ = -1;
      return;
    }
    usleep(kLockLookMs * 1000);
  }
}

SaveLock::~SaveLock() {
  // Closing the file lets the lock go.
  if (fd_ >= 0) close(fd_);
  if (CurrentSaveHooks().let_go) CurrentSaveHooks().let_go();
}

}  // namespace vq
