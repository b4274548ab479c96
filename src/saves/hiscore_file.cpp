#include "saves/hiscore_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "saves/save_file.h"

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

bool WriteHiscore(const char* path, int32_t score) {
  char text[16];
  const int length = std::snprintf(text, sizeof text, "%i\n", static_cast<int>(score));
  return SaveFile(path, text, static_cast<size_t>(length));
}

}  // namespace vq
