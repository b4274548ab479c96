// Plays the interactive game from the fuzzer's bytes through the game's own
// frame loop on the test platform, and checks the playfield after every
// frame. The first four bytes seed the random numbers; then each pair of
// bytes is one stretch of play: the first byte holds the keys (bits 0 to 5:
// Up, Down, Left, Right, Space, a Ctrl or Alt key) and the event the
// stretch's first frame polls (bits 6 and 7: none, key down, key up, other),
// the second how many frames (1 to 32) the keys stay held. A game that ends
// starts again with the next seed. Besides the playfield's soundness, the
// Score must be exactly the points of the cells each finished pass removed.
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "frame_checks.h"
#include "game/game_session.h"
#include "game/play_game.h"

namespace {

// Frames one input may play at most, so that every input runs in a moment.
constexpr int kFramesPerInput = 600;

const vq::Key kRearmKeys[4] = {vq::Key::LeftCtrl, vq::Key::RightCtrl, vq::Key::LeftAlt, vq::Key::RightAlt};

// The game's platform and state for one input.
struct Session {
  vq::FakePlatform fake;
  vq::GameState state;
  vq::test::GameLedger ledger;

  Session() { fake.poll_budget = LONG_MAX; }
  void Start(unsigned seed) {
    std::srand(seed);
    vq::StartGame(fake, state, 0);
    ledger = vq::test::GameLedger{};
  }
  void End() {
    fake.keys = {};
    fake.events.clear();
    fake.Press(vq::Key::Return);
    vq::EndGame(fake, state, false);
    fake.keys = {};
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  Session s;
  unsigned seed = static_cast<unsigned>(data[0]) | static_cast<unsigned>(data[1]) << 8 |
                  static_cast<unsigned>(data[2]) << 16 | static_cast<unsigned>(data[3]) << 24;
  s.Start(seed);
  int played = 0;
  for (size_t i = 4; i + 1 < size && played < kFramesPerInput; i += 2) {
    const uint8_t bits = data[i];
    const int frames = 1 + data[i + 1] % 32;
    const vq::Key keys[6] = {vq::Key::Up,    vq::Key::Down,  vq::Key::Left,
                             vq::Key::Right, vq::Key::Space, kRearmKeys[seed % 4]};
    s.fake.keys = {};
    for (int k = 0; k < 6; ++k) {
      if (bits & (1 << k)) s.fake.Press(keys[k]);
    }
    const vq::EventType events[4] = {vq::EventType::None, vq::EventType::KeyDown, vq::EventType::KeyUp,
                                     vq::EventType::Other};
    if (bits >> 6) s.fake.events.push_back(events[bits >> 6]);
    for (int f = 0; f < frames; ++f, ++played) {
      const vq::Playfield before = s.state.field;
      s.fake.blits.clear();
      const bool over = vq::PlayFrame(s.fake, s.state);
      s.ledger.Book(before, s.state.field, vq::test::RemovedBySparks(s.fake));
      const std::string fault = vq::test::CheckPlayfield(s.state.field, s.ledger);
      if (!fault.empty()) {
        std::fprintf(stderr, "%s (frame %d, score %d)\n", fault.c_str(), s.state.field.frame_counter,
                     s.state.field.score);
        std::abort();
      }
      if (over) {
        s.End();
        s.Start(++seed);
        break;
      }
    }
  }
  s.End();
  return 0;
}
