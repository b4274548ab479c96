#include "game/hiscore_file.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace vq {

namespace {

// Reads one integer a character at a time, as fscanf("%i") reads it, so that
// the file can be read without knowing its length.
class NumberReader {
 public:
  // Takes the next character; returns false once the number is complete and
  // the character cannot continue it.
  bool Take(unsigned char c) {
    switch (stage_) {
      case Stage::kSpace:
        if (IsSpace(c)) return true;
        stage_ = Stage::kSign;
        [[fallthrough]];
      case Stage::kSign:
        if (c == '+' || c == '-') {
          negative_ = (c == '-');
          stage_ = Stage::kFirstDigit;
          return true;
        }
        [[fallthrough]];
      case Stage::kFirstDigit:
        if (c == '0') {
          any_digit_ = true;
          stage_ = Stage::kAfterZero;
          return true;
        }
        base_ = 10;
        stage_ = Stage::kDigits;
        return Digit(c);
      case Stage::kAfterZero:
        if (c == 'x' || c == 'X') {
          // "0x" with no hexadecimal digit after it reads as nothing: 0.
          base_ = 16;
          any_digit_ = false;
          stage_ = Stage::kDigits;
          return true;
        }
        base_ = 8;
        stage_ = Stage::kDigits;
        return Digit(c);
      case Stage::kDigits: return Digit(c);
      case Stage::kDone: return false;
    }
    return false;
  }

  int32_t Value() const {
    if (!any_digit_) return 0;
    return static_cast<int32_t>(negative_ ? -magnitude_ : magnitude_);
  }

 private:
  enum class Stage { kSpace, kSign, kFirstDigit, kAfterZero, kDigits, kDone };

  static bool IsSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
  }

  static int DigitValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
  }

  bool Digit(unsigned char c) {
    int d = DigitValue(c);
    if (d >= base_) {
      stage_ = Stage::kDone;
      return false;
    }
    any_digit_ = true;
    // The magnitude stops growing at the first value beyond the range, which
    // clamps long numbers without overflowing.
    const int64_t limit = negative_ ? 2147483648LL : 2147483647LL;
    magnitude_ = magnitude_ * base_ + d;
    if (magnitude_ > limit) magnitude_ = limit;
    return true;
  }

  Stage stage_ = Stage::kSpace;
  bool negative_ = false;
  bool any_digit_ = false;
  int base_ = 10;
  int64_t magnitude_ = 0;
};

}  // namespace

int32_t ParseHiscore(const char* data, size_t size) {
  NumberReader reader;
  for (size_t i = 0; i < size; ++i) {
    if (!reader.Take(static_cast<unsigned char>(data[i]))) break;
  }
  return reader.Value();
}

int32_t ReadHiscore(const char* path) {
  // Opened without waiting and read only when it is a plain file: a directory,
  // a pipe or a device of that name reads as nothing and cannot hold up the
  // start of a game.
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return 0;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return 0;
  }
  std::FILE* file = fdopen(fd, "r");
  if (!file) {
    close(fd);
    return 0;
  }
  NumberReader reader;
  for (int c = std::getc(file); c != EOF; c = std::getc(file)) {
    if (!reader.Take(static_cast<unsigned char>(c))) break;
  }
  std::fclose(file);
  return reader.Value();
}

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

std::string InFolder(const std::string& folder, const char* name) {
  return folder + (folder.back() == '/' ? "" : "/") + name;
}

}  // namespace

std::string PlayerHiscorePath(const char* xdg_data_home, const char* home) {
  if (xdg_data_home && xdg_data_home[0] == '/') {
    return InFolder(xdg_data_home, "velquadro/hiscore.dat");
  }
  if (home && home[0] == '/') return InFolder(home, ".local/share/velquadro/hiscore.dat");
  return "";
}

std::string HiscorePath() {
  if (access(kInstalledMarker, F_OK) != 0) return kHiscorePath;
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/') {
    const struct passwd* entry = getpwuid(getuid());
    home = entry ? entry->pw_dir : nullptr;
  }
  return PlayerHiscorePath(std::getenv("XDG_DATA_HOME"), home);
}

bool MakeParentDirectories(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    if (mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

bool WriteHiscore(const char* path, int32_t score) {
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
  std::FILE* file = fdopen(fd, "w");
  if (!file) {
    close(fd);
    unlink(temporary.c_str());
    return false;
  }
  bool written = !keep_mode || fchmod(fd, info.st_mode & 0777) == 0;
  written = std::fprintf(file, "%i\n", static_cast<int>(score)) > 0 && written;
  written = (std::fflush(file) == 0) && written;
  written = (fsync(fd) == 0) && written;
  written = (std::fclose(file) == 0) && written;
  if (!written || std::rename(temporary.c_str(), target.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace vq
