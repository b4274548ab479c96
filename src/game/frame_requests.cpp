#include "game/frame_requests.h"

#include <cstdio>

namespace vq {

void CarryOutRequests(Platform& platform, const GameResources& resources, const GameState& state) {
  const FrameRequests& asked = state.requests;
  if (asked.announce_win) {
    std::printf("You win! Now get a job ;)\n");
    std::fflush(stdout);
  }
  if (asked.music_toggled && resources.music_available) {
    if (state.music_on) {
      platform.PlayMusicLooped(resources.music);
    } else {
      platform.HaltMusic();
    }
  }
  if (asked.toggle_full_screen) platform.ToggleFullScreen();
}

}  // namespace vq
