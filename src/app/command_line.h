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

}  // namespace vq
