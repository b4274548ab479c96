#include "saves/leftovers.h"

#include <dirent.h>
#include <errno.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "saves/data_folder.h"
#include "saves/hiscore_file.h"
#include "saves/records.h"
#include "saves/replay_files.h"
#include "saves/save_lock.h"

namespace vq {

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

void RemoveLeftoverSaves() {
  RemoveLeftoverTemporaryFiles({kHiscorePath, kRecordsName, kLastReplayName, kBestReplayName});
}

}  // namespace vq
