#include "saves/atomic_file.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "saves/data_folder.h"
#include "saves/save_hooks.h"

namespace vq {

namespace {

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
  if (CurrentSaveHooks().stored) CurrentSaveHooks().stored(target.c_str());
  return true;
}

}  // namespace vq
