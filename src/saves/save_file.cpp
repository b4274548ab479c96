#include "saves/save_file.h"

#include <errno.h>

#include <cstdio>
#include <cstring>

#include "saves/atomic_file.h"
#include "saves/data_folder.h"

namespace vq {

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

}  // namespace vq
