// Plays the playfield rules from the fuzzer's bytes and checks the playfield
// after every frame. The first four bytes seed the random numbers; then each
// pair of bytes is one stretch of play: the first byte holds the piece keys
// (bits 0 to 5: up, down, left, right, space, Ctrl/Alt) and the event the
// stretch's first frame polls (bits 6 and 7: none, key down, key up, other),
// the second how many frames (1 to 32) the keys stay held. A game that ends
// starts again with the next seed. Besides the playfield's soundness, the
// Score must be exactly the points of the cells each finished pass removed.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "frame_driver.h"
#include "rules/scoring.h"

namespace {

[[noreturn]] void Fail(const std::string& what, const vq::FrameDriver& d) {
  std::fprintf(stderr, "%s (frame %d, score %d)\n", what.c_str(), d.field.frame_counter, d.field.score);
  std::abort();
}

// What the rules keep beyond the cells: the Timeline inside its pass, a skin
// that exists, a Level raised at most once per pass, a Score that only grows.
std::string CheckCounters(const vq::FrameDriver& d, int32_t score_before) {
  const vq::Playfield& p = d.field;
  if (!(p.timeline >= 0.0 && p.timeline < 15.1)) return "timeline at " + std::to_string(p.timeline);
  if (p.skin < 1 || p.skin > vq::kSkinCount) return "skin " + std::to_string(p.skin);
  if (p.level < 1 || p.level > 1 + d.passes) return "level " + std::to_string(p.level);
  if (p.score < score_before) return "score fell to " + std::to_string(p.score);
  if (p.sweep_score < 0 || p.sweep_score > d.cells_swept) return "sweep score " + std::to_string(p.sweep_score);
  if (p.move_latch != 0 && p.move_latch != 1) return "move latch " + std::to_string(p.move_latch);
  return {};
}

// The points a game must have: each pass end turns the cells removed since
// the previous one into points. A pass ends at the start of a frame, before
// that frame's sweep.
struct Ledger {
  int64_t swept_at_pass_start = 0;
  int64_t score = 0;

  std::string Book(const vq::FrameDriver& d, int64_t passes_before, int64_t swept_before) {
    if (d.passes != passes_before) {
      score += vq::PassBonus(static_cast<int32_t>(swept_before - swept_at_pass_start));
      swept_at_pass_start = swept_before;
    }
    if (d.field.score != score) return "score " + std::to_string(d.field.score) + ", earned " + std::to_string(score);
    if (d.field.sweep_score != d.cells_swept - swept_at_pass_start)
      return "sweep score " + std::to_string(d.field.sweep_score) + ", removed " +
             std::to_string(d.cells_swept - swept_at_pass_start);
    return {};
  }
};

const vq::EventType kEvents[4] = {vq::EventType::None, vq::EventType::KeyDown, vq::EventType::KeyUp,
                                  vq::EventType::Other};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  unsigned seed = static_cast<unsigned>(data[0]) | static_cast<unsigned>(data[1]) << 8 |
                  static_cast<unsigned>(data[2]) << 16 | static_cast<unsigned>(data[3]) << 24;
  vq::FrameDriver d;
  vq::StartDriver(d, seed);
  Ledger ledger;
  for (size_t i = 4; i + 1 < size; i += 2) {
    const uint8_t keys = data[i];
    const int frames = 1 + data[i + 1] % 32;
    vq::FrameInput in;
    in.keys.up = keys & 1;
    in.keys.down = keys & 2;
    in.keys.left = keys & 4;
    in.keys.right = keys & 8;
    in.keys.space = keys & 16;
    in.keys.rearm = keys & 32;
    in.event = kEvents[keys >> 6];
    for (int f = 0; f < frames; ++f) {
      const int32_t score_before = d.field.score;
      const int64_t passes_before = d.passes;
      const int64_t swept_before = d.cells_swept;
      vq::RunFrame(d, in);
      in.event = vq::EventType::None;
      std::string fault = vq::CheckInvariants(d);
      if (fault.empty()) fault = CheckCounters(d, score_before);
      if (fault.empty()) fault = ledger.Book(d, passes_before, swept_before);
      if (!fault.empty()) Fail(fault, d);
      if (d.field.game_over != 0) {
        vq::StartDriver(d, ++seed);
        ledger = Ledger{};
        break;
      }
    }
  }
  return 0;
}
