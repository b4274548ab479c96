// The program's options: without any it opens the title menu.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vq {

struct CommandLine {
  enum Mode { kPlay, kReplay, kVerify, kHelp, kVersion, kWrong } mode = kPlay;
  std::vector<const char*> files;  // the replay files of --replay and --verify
  std::string wrong;               // what is wrong with a kWrong command line
};

CommandLine ParseCommandLine(int argc, char** argv);

// The help of --help.
void PrintHelp(std::FILE* out);

// --verify: plays each replay, relative to the folder open as folder, without
// a window and as fast as it can; prints a line on standard output for each
// that plays to its recorded result, and one on standard error for each that
// does not or cannot be used. Returns 0 when all played to their results, 2
// when one could not be used, 1 otherwise.
int VerifyReplays(int folder, const std::vector<const char*>& files);

}  // namespace vq
