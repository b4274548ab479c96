// One scratch file per fuzzing process, in memory where there is such a file
// system (the writers sync every file), removed at exit.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace vq::fuzz {

struct ScratchFile {
  std::string directory;
  std::string file;
  explicit ScratchFile(const char* name) {
    char folder[] = "/dev/shm/vq_fuzz_XXXXXX";
    if (access("/dev/shm", W_OK) != 0) std::strcpy(folder, "/tmp/vq_fuzz_XXXXXX");
    if (!mkdtemp(folder)) std::abort();
    directory = folder;
    file = directory + "/" + name;
  }
  ~ScratchFile() {
    std::remove(file.c_str());
    rmdir(directory.c_str());
  }
};

}  // namespace vq::fuzz
