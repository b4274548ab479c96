// What a save does around its files: the target's hooks in their order, and
// the temporary files that a save stopped halfway leaves for the next start.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "saves/leftovers.h"
#include "saves/save_file.h"
#include "saves/save_hooks.h"
#include "saves/save_lock.h"
#include "temp_dir.h"

namespace vq::test {
namespace {

using SaveStepsTest = InTempDir;

std::vector<std::string> g_seen;

// Whether another copy of the game could take the folder's lock now.
bool LockFree() {
  const int fd = open(kSaveLockName, O_RDONLY | O_CLOEXEC);
  const bool free = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0;
  if (fd >= 0) close(fd);
  return free;
}

// The browser's hooks read in what another tab stored only once no other
// copy can store more, write a file through only once it is in place whole,
// and let the page's lock go with the folder's.
TEST_F(SaveStepsTest, HooksReadAnewUnderTheLockAndWriteThroughAfterTheRename) {
  g_seen.clear();
  SetSaveHooks({[] { g_seen.push_back(LockFree() ? "read anew without the lock" : "read anew under the lock"); },
                [](const char* path) {
                  const bool whole = InTempDir::ReadFile(path) == "42\n";
                  const bool no_temporary =
                      !InTempDir::Exists(std::string(path) + "." + std::to_string(getpid()) + ".tmp");
                  g_seen.push_back(whole && no_temporary ? "stored after the rename" : "stored before the rename");
                },
                [] { g_seen.push_back(LockFree() ? "let go after the lock" : "let go while locked"); }});
  {
    const SaveLock lock;
    EXPECT_TRUE(SaveDataFile("hiscore.dat", "42\n", 3));
  }
  SetSaveHooks({});
  EXPECT_EQ(g_seen,
            (std::vector<std::string>{"read anew under the lock", "stored after the rename", "let go after the lock"}));
  EXPECT_TRUE(LockFree());
}

// A temporary file is removed when the process that wrote it is gone, or is
// of this process's own number (an earlier process of that number left it:
// in the browser every run has the same one); one of a process that still
// runs, and files of other names, stay.
TEST_F(SaveStepsTest, LeftoversOfGoneProcessesAreRemoved) {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_GT(child, 0);
  waitpid(child, nullptr, 0);
  const std::string gone = std::to_string(child), own = std::to_string(getpid());
  struct Case {
    std::string name;
    bool stays;
  };
  const Case cases[] = {
      {"records.txt." + gone + ".tmp", false},
      {"hiscore.dat." + own + ".tmp", false},
      {"best.vqreplay." + gone + ".tmp", false},
      {"last.vqreplay.1.tmp", true},  // pid 1 runs
      {"notes.txt." + gone + ".tmp", true},
      {"hiscore.dat.12ab.tmp", true},
      {"hiscore.dat." + gone, true},
      {"hiscore.dat", true},
  };
  for (const Case& c : cases) WriteFile(c.name, "x");
  RemoveLeftoverSaves();
  for (const Case& c : cases) EXPECT_EQ(Exists(c.name), c.stays) << c.name;
}

}  // namespace
}  // namespace vq::test
