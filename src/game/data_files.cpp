#include "game/data_files.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vq {

namespace {

// How long a save waits for another copy of the game to finish its own, and
// how often it looks. A save takes milliseconds; a copy stopped while it held
// the lock must not keep this one from saving at all.
constexpr int kLockWaitMs = 3000;
constexpr int kLockLookMs = 10;

SaveHooks g_hooks{};

// The path that path's chain of symbolic links ends at, which need not exist
// yet; "" for a loop, a link that cannot be read or another user's link, with
// the reason in *why.
std::string FinalTarget(const char* path, std::string* why) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info;
    if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    // A link another user made could lead the player's save onto any file
    // the player may write.
    if (info.st_uid != geteuid()) {
      *why = "it is a link that another user made (" + current + "), left alone";
      return "";
    }
    char target[PATH_MAX];
    ssize_t length = readlink(current.c_str(), target, sizeof target);
    if (length <= 0 || length >= static_cast<ssize_t>(sizeof target)) {
      *why = "its link cannot be read";
      return "";
    }
    std::string next(target, static_cast<size_t>(length));
    // A relative target is relative to the folder of the link.
    const std::string::size_type slash = current.rfind('/');
    if (next[0] != '/' && slash != std::string::npos) next = current.substr(0, slash + 1) + next;
    current = next;
  }
  *why = "its links lead round in a circle";
  return "";
}

std::string InFolder(const std::string& folder, const std::string& name) {
  return folder + (folder.back() == '/' ? "" : "/") + name;
}

std::string FolderOf(const std::string& path) {
  const std::string::size_type slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const void* data, size_t size) {
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = write(fd, at, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    at += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

// The rename is only kept through a crash once the folder is written too.
void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

std::string PlayerDataPath(const char* xdg_data_home, const char* home, const char* name) {
  const std::string file = std::string("velquadro/") + name;
  if (xdg_data_home && xdg_data_home[0] == '/') return InFolder(xdg_data_home, file);
  if (home && home[0] == '/') return InFolder(home, ".local/share/" + file);
  return "";
}

std::string DataFilePath(const char* name) {
  if (access(kInstalledMarker, F_OK) != 0) return name;
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/') {
    const struct passwd* entry = getpwuid(getuid());
    home = entry ? entry->pw_dir : nullptr;
  }
  return PlayerDataPath(std::getenv("XDG_DATA_HOME"), home, name);
}

bool MakeParentDirectories(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    if (mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

bool WriteFileAtomically(const char* path, const void* data, size_t size, std::string* why) {
  const std::string target = FinalTarget(path, why);
  if (target.empty()) return false;
  bool keep_mode = false;
  struct stat info;
  if (stat(target.c_str(), &info) == 0) {
    if (S_ISREG(info.st_mode)) {
      // Only a file that could be written in place is replaced.
      int probe = open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
      if (probe < 0) {
        *why = std::strerror(errno);
        return false;
      }
      close(probe);
      keep_mode = true;
    } else if (target != path) {
      *why = "its link leads to something other than a file, left alone";
      return false;
    }
  }
  const std::string temporary = target + "." + std::to_string(static_cast<long>(getpid())) + ".tmp";
  // A leftover of a crashed writer with our process id is of no use.
  unlink(temporary.c_str());
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    *why = std::strerror(errno);
    return false;
  }
  // The first failure's errno says why.
  int failure = 0;
  if (keep_mode && fchmod(fd, info.st_mode & 0777) != 0) failure = errno;
  if (!failure && !WriteAll(fd, data, size)) failure = errno ? errno : EIO;
  if (!failure && fsync(fd) != 0) failure = errno;
  if (close(fd) != 0 && !failure) failure = errno;
  if (!failure && std::rename(temporary.c_str(), target.c_str()) != 0) failure = errno;
  if (failure) {
    unlink(temporary.c_str());
    *why = std::strerror(failure);
    return false;
  }
  SyncFolder(FolderOf(target));
  if (g_hooks.stored) g_hooks.stored(target.c_str());
  return true;
}

void TellNotSaved(const std::string& path, const std::string& why) {
  std::fprintf(stderr, "velquadro: cannot save %s: %s\n", path.c_str(), why.c_str());
  std::fflush(stderr);
}

bool SaveFile(const std::string& path, const void* data, size_t size) {
  std::string why;
  if (path.empty()) {
    why = "there is no home folder to keep it in";
  } else if (!MakeParentDirectories(path)) {
    why = std::string("its folder cannot be made: ") + std::strerror(errno);
  } else if (WriteFileAtomically(path.c_str(), data, size, &why)) {
    return true;
  }
  TellNotSaved(path.empty() ? "the player's files" : path, why);
  return false;
}

bool SaveDataFile(const char* name, const void* data, size_t size) { return SaveFile(DataFilePath(name), data, size); }

void SetSaveHooks(const SaveHooks& hooks) { g_hooks = hooks; }

SaveLock::SaveLock() {
  TakeLock();
  // What another copy stored elsewhere is read in once no copy can store
  // more meanwhile.
  if (g_hooks.read_anew) g_hooks.read_anew();
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
  if (g_hooks.let_go) g_hooks.let_go();
}

void RemoveLeftoverTemporaryFiles(std::initializer_list<const char*> names) {
  const std::string lock = DataFilePath(kSaveLockName);
  if (lock.empty()) return;
  DIR* folder = opendir(FolderOf(lock).c_str());
  if (!folder) return;
  while (const dirent* entry = readdir(folder)) {
    // <name>.<process id>.tmp, as WriteFileAtomically names them.
    const std::string file = entry->d_name;
    for (const char* name : names) {
      const size_t length = std::strlen(name);
      if (file.size() < length + 6 || file.compare(0, length, name) != 0 || file[length] != '.' ||
          file.compare(file.size() - 4, 4, ".tmp") != 0) {
        continue;
      }
      const std::string digits = file.substr(length + 1, file.size() - length - 5);
      if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
      // Another process that still runs (the player's or another user's) may
      // be writing it; one of this process's number is an earlier one's.
      const pid_t writer = static_cast<pid_t>(std::stol(digits));
      const bool gone = writer == getpid() || (writer > 0 && kill(writer, 0) != 0 && errno == ESRCH);
      if (gone) unlinkat(dirfd(folder), file.c_str(), 0);
    }
  }
  closedir(folder);
}

}  // namespace vq
