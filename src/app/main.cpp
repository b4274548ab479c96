// Velquadro: opens the window and runs the title menu.
#include <cstdio>
#include <cstdlib>

#include "app/program_directory.h"
#include "app/title_menu.h"
#include "platform/sdl_platform.h"

namespace {

// Made before main runs: from here on, every relative path (gfx/, bgm.ogg,
// hiscore.dat) is found beside the program. Restored at exit.
vq::ProgramDirectory program_directory;

}  // namespace

int main() {
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
  return vq::TitleMenu(platform);
}
