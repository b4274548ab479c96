// Plays the interactive game's frames on input made from the fuzzer's bytes,
// and checks the playfield after every frame. The first four bytes seed the
// random numbers; then each pair of bytes is one stretch of play: the first
// byte holds the keys (bits 0 to 5: Up, Down, Left, Right, Space, a Ctrl or
// Alt key) and the event the stretch's first frame takes (bits 6 and 7: none,
// key down, key up, other), the second how many frames (1 to 32) the keys
// stay held. A game that ends starts again with the next seed. Besides the
// playfield's soundness, the Score must be exactly the points of the cells
// each finished pass removed.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "frame_checks.h"

namespace {

// Frames one input may play at most, so that every input runs in a moment.
constexpr int kFramesPerInput = 600;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  vq::test::CheckedGame game;
  unsigned seed = static_cast<unsigned>(data[0]) | static_cast<unsigned>(data[1]) << 8 |
                  static_cast<unsigned>(data[2]) << 16 | static_cast<unsigned>(data[3]) << 24;
  game.Start(seed);
  int played = 0;
  for (size_t i = 4; i + 1 < size && played < kFramesPerInput; i += 2) {
    const uint16_t keys = (data[i] & 0x1f) | ((data[i] & 0x20) ? vq::kFrameRearm : 0);
    const vq::EventType events[4] = {vq::EventType::None, vq::EventType::KeyDown, vq::EventType::KeyUp,
                                     vq::EventType::Other};
    const int frames = 1 + data[i + 1] % 32;
    for (int f = 0; f < frames; ++f, ++played) {
      const std::string fault = game.Play(keys, f == 0 ? events[data[i] >> 6] : vq::EventType::None);
      if (!fault.empty()) {
        std::fprintf(stderr, "%s (frame %d, score %d)\n", fault.c_str(), game.state.field.frame_counter,
                     game.state.field.score);
        std::abort();
      }
      if (game.state.field.game_over) {
        game.Start(++seed);
        break;
      }
    }
  }
  return 0;
}
