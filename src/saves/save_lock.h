// The lock between copies of the game that save into one folder: each save
// reads the file anew and applies its rule while no other copy can write.
#pragma once

namespace vq {

// The lock file beside the player's files: copies of the game that save into
// one folder take turns on it.
constexpr const char* kSaveLockName = "saves.lock";

// While it lives, this copy of the game holds the lock of its data folder,
// so that another copy saving into it waits until this one has read and
// written what it saves, and then reads what it finds anew. The folder is
// made first. Once the lock is held, the target's read_anew hook takes its own
// lock and brings in what another copy stored elsewhere; let_go gives that
// lock back at the end. Another copy holding the lock is waited
// for at most 3 s, and a folder where no lock can be taken is saved into
// without one.
class SaveLock {
 public:
  SaveLock();
  ~SaveLock();
  SaveLock(const SaveLock&) = delete;
  SaveLock& operator=(const SaveLock&) = delete;

 private:
  void TakeLock();

  int fd_ = -1;
};

}  // namespace vq
