// The program finds its artwork, music and hiscore file beside itself: while
// a ProgramDirectory lives, the directory that holds the program file is the
// current directory, wherever the program was started from (also through a
// symbolic link). The previous current directory comes back when it ends.
#pragma once

#include <fcntl.h>

#include <string>

namespace vq {

// The directory part of a path to a file: everything before its last '/',
// "/" for a file in the root, "" when the path names no directory.
std::string DirectoryOf(const std::string& file_path);

class ProgramDirectory {
 public:
  // program_link is a path whose link target is the program file; the
  // default is the running program itself.
  explicit ProgramDirectory(const char* program_link = "/proc/self/exe");
  ~ProgramDirectory();
  ProgramDirectory(const ProgramDirectory&) = delete;
  ProgramDirectory& operator=(const ProgramDirectory&) = delete;

  // True when the current directory was changed (and will be restored).
  bool entered() const { return previous_ >= 0; }

  // The directory the program was started in, for openat and the like: the
  // paths a player gives on the command line are relative to it.
  int start_folder() const { return previous_ >= 0 ? previous_ : AT_FDCWD; }

 private:
  int previous_ = -1;  // descriptor of the previous current directory
};

}  // namespace vq
