// velquadro-verify: checks replay files with the game's own code and nothing
// else (no window, no sound, no SDL), with the lines and exit statuses of
// velquadro --verify: what a program that takes games from others runs.
#include <fcntl.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "saves/replay_files.h"

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(
        "Usage: velquadro-verify FILE...\n"
        "Plays each recorded game of Velquadro again without a window, as fast as\n"
        "possible, and checks that it reaches its recorded result; as velquadro --verify.\n"
        "\n"
        "Exit status: 0 when every file plays to its recorded result; 1 when one does\n"
        "not; 2 for a wrong command line or a file that is not a usable replay.\n",
        stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("velquadro-verify %s\n", VQ_VERSION);
    return 0;
  }
  std::vector<const char*> files(argv + 1, argv + argc);
  // After "--" every argument is a file, even one that starts with a dash.
  const bool plain = !files.empty() && std::strcmp(files[0], "--") == 0;
  if (plain) files.erase(files.begin());
  if (files.empty() || (!plain && files[0][0] == '-' && files[0][1] != '\0')) {
    std::fprintf(stderr, "velquadro-verify: %s\nTry 'velquadro-verify --help' for more information.\n",
                 files.empty() ? "no replay file given" : "unrecognized option");
    return 2;
  }
  return vq::VerifyReplays(AT_FDCWD, files);
}
