#include "app/command_line.h"

#include <cstring>

namespace vq {

CommandLine ParseCommandLine(int argc, char** argv) {
  CommandLine command;
  if (argc <= 1) return command;
  const char* option = argv[1];
  const int arguments = argc - 2;
  auto wrong = [&command](const std::string& why) {
    command.mode = CommandLine::kWrong;
    command.wrong = why;
    command.files.clear();
    return command;
  };
  if (std::strcmp(option, "--help") == 0 || std::strcmp(option, "--version") == 0) {
    if (arguments > 0) return wrong(std::string("too many arguments for ") + option);
    command.mode = option[2] == 'h' ? CommandLine::kHelp : CommandLine::kVersion;
    return command;
  }
  if (std::strcmp(option, "--replay") == 0) {
    if (arguments != 1) return wrong("--replay takes one replay file");
    command.mode = CommandLine::kReplay;
  } else if (std::strcmp(option, "--verify") == 0) {
    if (arguments < 1) return wrong("--verify takes one or more replay files");
    command.mode = CommandLine::kVerify;
  } else if (option[0] == '-') {
    return wrong(std::string("unrecognized option '") + option + "'");
  } else {
    return wrong(std::string("unexpected argument '") + option + "'");
  }
  command.files.assign(argv + 2, argv + argc);
  return command;
}

void PrintHelp(std::FILE* out) {
  std::fputs(
      "Usage: velquadro [--replay FILE | --verify FILE... | --help | --version]\n"
      "Velquadro, a falling-block puzzle game. Without options it opens its window\n"
      "at the title menu.\n"
      "\n"
      "  --replay FILE     watch the game recorded in FILE, at the pace it was played\n"
      "  --verify FILE...  play the recorded games without a window, as fast as\n"
      "                    possible, and check each reaches its recorded result\n"
      "  --help            print this help and exit\n"
      "  --version         print the version and exit\n"
      "\n"
      "Every game of Play and Time attack is kept as last.vqreplay, the best untimed\n"
      "game as best.vqreplay, beside hiscore.dat; R and B on the title menu watch them.\n"
      "The ten best results of each mode are kept in records.txt beside them; F1 on\n"
      "the title menu shows them with the keys.\n"
      "\n"
      "Exit status: 0 when all went well; 1 when the display cannot be used or a\n"
      "replay does not play to its recorded result; 2 for a wrong command line or a\n"
      "file that is not a usable replay.\n",
      out);
}

}  // namespace vq
