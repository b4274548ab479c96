#include "game/data_files.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace vq {

namespace {

// The path that path's chain of symbolic links ends at, which need not exist
// yet; "" for a loop or a link that cannot be read.
std::string FinalTarget(const char* path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info;
    if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    char target[PATH_MAX];
    ssize_t length = readlink(current.c_str(), target, sizeof target);
    if (length <= 0 || length >= static_cast<ssize_t>(sizeof target)) return "";
    std::string next(target, static_cast<size_t>(length));
    // A relative target is relative to the folder of the link.
    const std::string::size_type slash = current.rfind('/');
    if (next[0] != '/' && slash != std::string::npos) next = current.substr(0, slash + 1) + next;
    current = next;
  }
  return "";
}

std::string InFolder(const std::string& folder, const std::string& name) {
  return folder + (folder.back() == '/' ? "" : "/") + name;
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

bool WriteFileAtomically(const char* path, const void* data, size_t size) {
  const std::string target = FinalTarget(path);
  if (target.empty()) return false;
  bool keep_mode = false;
  struct stat info;
  if (stat(target.c_str(), &info) == 0) {
    if (S_ISREG(info.st_mode)) {
      // Only a file that could be written in place is replaced.
      int probe = open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
      if (probe < 0) return false;
      close(probe);
      keep_mode = true;
    } else if (target != path) {
      return false;  // a device, pipe or folder reached through a link
    }
  }
  const std::string temporary = target + "." + std::to_string(static_cast<long>(getpid())) + ".tmp";
  // A leftover of a crashed writer with our process id is of no use.
  unlink(temporary.c_str());
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool written = !keep_mode || fchmod(fd, info.st_mode & 0777) == 0;
  written = WriteAll(fd, data, size) && written;
  written = (fsync(fd) == 0) && written;
  written = (close(fd) == 0) && written;
  if (!written || std::rename(temporary.c_str(), target.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool StoreDataFile(const char* name, const void* data, size_t size) {
  const std::string path = DataFilePath(name);
  return !path.empty() && MakeParentDirectories(path) && WriteFileAtomically(path.c_str(), data, size);
}

}  // namespace vq
