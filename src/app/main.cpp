// Velquadro: opens the window and runs the title menu, or plays recorded
// games as the command line asks.
#include <cstdio>
#include <cstdlib>

#include "app/command_line.h"
#include "app/program_directory.h"
#include "app/title_menu.h"
#include "game/watch_replay.h"
#include "platform/sdl_platform.h"
#include "saves/leftovers.h"
#include "saves/replay_files.h"
#include "saves/save_hooks.h"

namespace {

// Made before main runs: from here on, every relative path (gfx/, bgm.ogg,
// hiscore.dat) is found beside the program. Restored at exit.
vq::ProgramDirectory program_directory;

}  // namespace

int main(int argc, char** argv) {
  const vq::CommandLine command = vq::ParseCommandLine(argc, argv);
  vq::Replay replay;
  switch (command.mode) {
    case vq::CommandLine::kHelp: vq::PrintHelp(stdout); return 0;
    case vq::CommandLine::kVersion: std::printf("velquadro %s\n", VQ_VERSION); return 0;
    case vq::CommandLine::kWrong:
      std::fprintf(stderr, "velquadro: %s\nTry 'velquadro --help' for more information.\n", command.wrong.c_str());
      return 2;
    case vq::CommandLine::kVerify: return vq::VerifyReplays(program_directory.start_folder(), command.files);
    case vq::CommandLine::kReplay: {
      vq::ReplayCheck check;
      const int status = vq::LoadReplay(program_directory.start_folder(), command.files[0], &replay, &check);
      if (status != vq::kReplayPlays) return status;
      break;
    }
    case vq::CommandLine::kPlay: break;
  }

  // Where the target keeps the player's files besides (the browser's page
  // storage), each save reaches them too. A save stopped halfway (the
  // program killed, the machine off) left its temporary file behind.
  vq::SetSaveHooks({vq::ReadStoredFilesAnew, vq::StoredFilesChanged, vq::LetGoOfStoredFiles});
  vq::RemoveLeftoverSaves();
  vq::SdlPlatform platform;
  if (!platform.StartVideo()) {
    std::printf("Error: %s\n", platform.LastError());
    return 1;
  }
  std::atexit(vq::ShutdownSdl);
  if (!platform.OpenWindow()) {
    std::printf("Error: %s\n", platform.LastError());
    return 1;
  }
  if (command.mode == vq::CommandLine::kReplay) {
    vq::WatchReplay(platform, replay);
    return 0;
  }
  return vq::TitleMenu(platform);
}
