#include "autopilot_bench.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench_args.h"
#include "demo/demo_game.h"
#include "platform/fake_platform.h"

namespace vq {

namespace {

constexpr int kDefaultGames = 100;
constexpr int kDefaultFrameCap = 12000;
constexpr std::time_t kFirstWallTime = 1700000000;

// The test platform without the record of blits, which a long game does not
// need; it notes when the end-screen overlay has been drawn.
class BenchPlatform : public FakePlatform {
 public:
  bool end_screen = false;
  void Blit(Image* image, int, int) override {
    if (image->path == "gfx/dead.png") end_screen = true;
  }
  void BlitRegion(Image*, int, int, int, int, int, int) override {}
};

struct Totals {
  double rate_sum = 0;    // points per 1000 frames, summed over the games
  double length_sum = 0;  // frames, summed over the games
  int capped = 0;         // games stopped at the frame cap
};

// One demo game from a fixed seed, stopped with Escape at the frame cap; the
// clock and the wall time are virtual, so every run plays the same game.
DemoOutcome PlayOne(unsigned seed, bool search, int frame_cap) {
  BenchPlatform platform;
  const std::time_t start = kFirstWallTime + static_cast<std::time_t>(seed) * 100000;
  platform.wall_time = start;
  platform.on_poll = [&platform, start, frame_cap](FakePlatform&) {
    platform.wall_time = start + platform.now / 1000;
    if (platform.flips >= frame_cap - 1) platform.Press(Key::Escape);
    if (platform.end_screen) platform.Press(Key::Return);
  };
  DemoOutcome outcome{};
  RunDemoGame(platform, search, seed, &outcome);
  return outcome;
}

Totals PlayAll(int games, bool search, int frame_cap) {
  Totals totals;
  for (int game = 0; game < games; ++game) {
    const DemoOutcome outcome = PlayOne(static_cast<unsigned>(game + 1), search, frame_cap);
    totals.rate_sum += 1000.0 * outcome.score / outcome.frames;
    totals.length_sum += outcome.frames;
    if (outcome.frames >= frame_cap) ++totals.capped;
  }
  return totals;
}

}  // namespace

int AutopilotBench(int argc, char** argv) {
  int games = kDefaultGames;
  int frame_cap = kDefaultFrameCap;
  if (argc > 2 || (argc >= 1 && !ParseCount(argv[0], 1, 1000000, &games)) ||
      (argc == 2 && !ParseCount(argv[1], 2, 1000000, &frame_cap))) {
    std::fprintf(stderr, "usage: velquadro-bench autopilot [games] [frame cap]\n");
    return 2;
  }

  const Totals search = PlayAll(games, true, frame_cap);
  const Totals random = PlayAll(games, false, frame_cap);
  const double search_rate = search.rate_sum / games;
  const double random_rate = random.rate_sum / games;
  for (const auto& [name, totals] : {std::pair<const char*, const Totals&>{"search", search},
                                     std::pair<const char*, const Totals&>{"random", random}}) {
    std::printf(
        "%s: %d games, mean %.1f points per 1000 frames, mean length %.0f frames, "
        "%d stopped at the cap of %d frames\n",
        name, games, totals.rate_sum / games, totals.length_sum / games, totals.capped, frame_cap);
  }
  std::printf("autopilot: search %.1f, random %.1f points per 1000 frames, ratio %.2f\n", search_rate, random_rate,
              random_rate > 0 ? search_rate / random_rate : 0.0);
  return 0;
}

}  // namespace vq
