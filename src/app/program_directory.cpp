#include "app/program_directory.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

namespace vq {

std::string DirectoryOf(const std::string& file_path) {
  std::string::size_type slash = file_path.rfind('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return file_path.substr(0, slash);
}

ProgramDirectory::ProgramDirectory(const char* program_link) {
  char target[PATH_MAX];
  ssize_t length = readlink(program_link, target, sizeof target);
  // A failed or truncated read leaves the current directory alone.
  if (length <= 0 || length >= static_cast<ssize_t>(sizeof target)) return;
  std::string directory = DirectoryOf(std::string(target, static_cast<size_t>(length)));
  if (directory.empty()) return;
  // The previous directory is kept open rather than by name, so it can be
  // restored even when its path is too long or has been renamed.
  int previous = open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (previous < 0) return;
  if (chdir(directory.c_str()) != 0) {
    close(previous);
    return;
  }
  previous_ = previous;
}

ProgramDirectory::~ProgramDirectory() {
  if (previous_ < 0) return;
  // When the old directory is gone there is nothing left to do at exit.
  int restored = fchdir(previous_);
  static_cast<void>(restored);
  close(previous_);
}

}  // namespace vq
