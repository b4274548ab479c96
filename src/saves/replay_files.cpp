#include "saves/replay_files.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "saves/save_file.h"

namespace vq {

bool ReadReplayFile(int folder, const char* path, Replay* replay, std::string* problem) {
  const int fd = openat(folder, path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *problem = std::string("cannot be read: ") + std::strerror(errno);
    return false;
  }
  struct stat info;
  std::vector<uint8_t> bytes;
  bool read_all = false;
  if (fstat(fd, &info) != 0) {
    *problem = std::string("cannot be read: ") + std::strerror(errno);
  } else if (S_ISDIR(info.st_mode)) {
    *problem = "is a folder, not a replay file";
  } else if (!S_ISREG(info.st_mode)) {
    *problem = "is not a plain file";
  } else if (static_cast<uint64_t>(info.st_size) > kMostReplayBytes) {
    *problem = "is too long to be a replay";
  } else {
    // Read to the end, whatever the size said: the file may have changed.
    int error = 0;
    uint8_t chunk[65536];
    for (ssize_t n; bytes.size() <= kMostReplayBytes && (n = read(fd, chunk, sizeof chunk)) != 0;) {
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        error = errno;
        break;
      }
      bytes.insert(bytes.end(), chunk, chunk + n);
    }
    read_all = error == 0 && bytes.size() <= kMostReplayBytes;
    if (error != 0) *problem = std::string("cannot be read: ") + std::strerror(error);
    if (bytes.size() > kMostReplayBytes) *problem = "is too long to be a replay";
  }
  close(fd);
  return read_all && DecodeReplay(bytes.data(), bytes.size(), replay, problem);
}

bool StoreReplay(const char* name, const Replay& replay) {
  const std::vector<uint8_t> bytes = EncodeReplay(replay);
  return SaveDataFile(name, bytes.data(), bytes.size());
}

ReplayStatus LoadReplay(int folder, const char* path, Replay* replay, ReplayCheck* check) {
  std::string problem;
  if (!ReadReplayFile(folder, path, replay, &problem)) {
    std::fprintf(stderr, "velquadro: %s %s\n", path, problem.c_str());
    return kReplayUnusable;
  }
  *check = CheckReplay(*replay);
  if (check->matches) return kReplayPlays;
  std::fprintf(stderr, "velquadro: %s does not play to its recorded result: %s\n", path, check->differs.c_str());
  return kReplayDiffers;
}

int VerifyReplays(int folder, const std::vector<const char*>& files) {
  int status = kReplayPlays;
  for (const char* path : files) {
    Replay replay;
    ReplayCheck check;
    const ReplayStatus verdict = LoadReplay(folder, path, &replay, &check);
    if (verdict == kReplayPlays) {
      std::printf("%s: %d points in %d s over %d frames, as recorded\n", path, check.reached.score,
                  check.reached.seconds, check.reached.frames);
      std::fflush(stdout);
    }
    status = std::max(status, static_cast<int>(verdict));
  }
  return status;
}

}  // namespace vq
