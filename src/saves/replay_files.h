// Replay files: the kept last and best games beside the hiscore, any replay
// file read safely, and the check of replay files with its lines and exit
// statuses (velquadro --verify and velquadro-verify).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "core/replay.h"
#include "core/replay_check.h"

namespace vq {

// The last game, and the best untimed game, beside the hiscore file.
constexpr const char* kLastReplayName = "last.vqreplay";
constexpr const char* kBestReplayName = "best.vqreplay";

// Reads and decodes the replay file at path, relative to the folder open as
// folder (AT_FDCWD: the current one); never waits on a pipe or a device, and
// never reads more than a replay can hold. False with the reason, in a few
// words that follow the file's name.
bool ReadReplayFile(int folder, const char* path, Replay* replay, std::string* problem);

// Stores the replay under name in the game's data folder, the careful way
// the hiscore is stored; false when nothing was stored (which is told).
bool StoreReplay(const char* name, const Replay& replay);

// Reads the replay at path (relative to the folder open as folder) and checks
// it: kReplayPlays when it plays to its recorded result; otherwise one line
// on standard error says why.
ReplayStatus LoadReplay(int folder, const char* path, Replay* replay, ReplayCheck* check);

// Plays each replay, relative to the folder open as folder, without a window
// and as fast as it can; prints a line on standard output for each that plays
// to its recorded result, and one on standard error for each that does not or
// cannot be used. Returns 0 when all played to their results, 2 when one
// could not be used, 1 otherwise.
int VerifyReplays(int folder, const std::vector<const char*>& files);

}  // namespace vq
