#include "frame_bench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/program_directory.h"
#include "bench_args.h"
#include "demo/demo_game.h"
#include "game/end_screen.h"
#include "platform/sdl_platform.h"

namespace vq {

namespace {

constexpr int kDefaultFrames = 3000;
constexpr int kWarmUpFrames = 200;
constexpr int kHashedFrames = 1000;
constexpr std::time_t kWallStart = 1700000000;
constexpr size_t kScreenBytes = 800 * 600 * 4;
constexpr int kCopies = 300;

using Clock = std::chrono::steady_clock;

double Micros(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

// A hash of every pixel on the screen: two runs that draw the same pictures
// get the same sums. 0 without a window.
uint64_t ScreenChecksum(SdlPlatform& platform) {
  uint64_t sum = 14695981039346656037u;
  const bool read = platform.VisitScreenRows([&sum](const uint8_t* row, int row_bytes) {
    int i = 0;
    for (uint64_t word; i + 8 <= row_bytes; i += 8) {
      std::memcpy(&word, row + i, sizeof word);
      sum = (sum ^ word) * 1099511628211u;
    }
    for (; i < row_bytes; ++i) sum = (sum ^ row[i]) * 1099511628211u;
  });
  return read ? sum : 0;
}

// The SDL platform without the frame pacing's sleep (not the frame's work),
// on virtual clocks so that both variants play the same games and show the
// same times, and with Return held only when the benchmark ends a game. It
// times its flips, and can sum up the screens it shows.
class BenchSdlPlatform : public SdlPlatform {
 public:
  using SdlPlatform::SdlPlatform;
  bool end_game = false;
  int64_t frames = 0;
  std::vector<double> flip_times;
  int64_t presented = 0;  // picture pixels presented by the timed frames' flips
  bool hash_screens = false;
  uint64_t screens_hash = 0;

  uint32_t Ticks() override { return static_cast<uint32_t>(frames * 60); }
  void Delay(uint32_t) override {}
  std::time_t Time() override { return kWallStart + frames / 16; }
  bool KeyHeld(Key key) override { return end_game && key == Key::Return; }
  void Flip() override {
    if (hash_screens) screens_hash = (screens_hash ^ ScreenChecksum(*this)) * 1099511628211u;
    const Clock::time_point start = Clock::now();
    SdlPlatform::Flip();
    flip_times.push_back(Micros(Clock::now() - start));
    presented += PresentedArea();
  }
};

struct Timing {
  double median;
  double p99;
  double flip_median;
  double presented;  // the share of the picture a flip presented, on average
};

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const size_t at = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(at, values.size() - 1)];
}

// The physical floor of a frame: copying the 800x600 screen of 4-byte pixels
// once, from one buffer to another. Timed kCopies times after as many
// untimed; the times are added to *times.
void TimeScreenCopies(std::vector<double>* times) {
  static std::vector<unsigned char> from(kScreenBytes, 1), to(kScreenBytes, 2);
  for (int n = 0; n < 2 * kCopies; ++n) {
    from[static_cast<size_t>(n) % kScreenBytes] = static_cast<unsigned char>(n);
    const Clock::time_point start = Clock::now();
    std::memcpy(to.data(), from.data(), kScreenBytes);
    const Clock::time_point end = Clock::now();
    // Read back, so that the copy is not optimised away.
    if (to[static_cast<size_t>(n) % kScreenBytes] != static_cast<unsigned char>(n)) std::abort();
    if (n >= kCopies) times->push_back(Micros(end - start));
  }
}

// Plays demo frames on the given platform: warm-up frames first, then the
// timed ones; a game that ends is followed by the next. The first game's
// random numbers are seeded with 1, the next games' with their number.
Timing Measure(BenchSdlPlatform& platform, int frames) {
  uint32_t seed = 1;
  platform.frames = 0;
  std::vector<double> times;
  times.reserve(static_cast<size_t>(frames));
  platform.flip_times.reserve(static_cast<size_t>(kWarmUpFrames + frames));
  DemoState* state = new DemoState;
  GameResources resources = TakeGameResources(platform);
  StartDemo(platform, *state, true, seed);
  for (int n = 0; n < kWarmUpFrames + frames; ++n) {
    if (n == kWarmUpFrames) {
      platform.flip_times.clear();
      platform.presented = 0;
    }
    const Clock::time_point start = Clock::now();
    const bool over = DemoFrame(platform, resources, *state);
    const Clock::time_point end = Clock::now();
    ++platform.frames;
    if (n >= kWarmUpFrames) times.push_back(Micros(end - start));
    if (over) {
      platform.end_game = true;
      ShowEndScreen(platform, resources.images, state->game);
      GiveBackGameResources(platform, resources, state->game);
      platform.end_game = false;
      resources = TakeGameResources(platform);
      StartDemo(platform, *state, true, ++seed);
    }
  }
  platform.end_game = true;
  ShowEndScreen(platform, resources.images, state->game);
  GiveBackGameResources(platform, resources, state->game);
  delete state;
  const double flips = static_cast<double>(platform.flip_times.size());
  return Timing{Percentile(times, 0.5), Percentile(times, 0.99), Percentile(platform.flip_times, 0.5),
                static_cast<double>(platform.presented) / flips / (kScreenBytes / 4)};
}

}  // namespace

int FrameBench(int argc, char** argv) {
  int frames = kDefaultFrames;
  if (argc > 1 || (argc == 1 && !ParseCount(argv[0], 10, 1000000, &frames))) {
    std::fprintf(stderr, "usage: velquadro-bench frame [frames, 10 to 1000000]\n");
    return 2;
  }
  // The software surface of SDL's dummy video driver unless another driver
  // is asked for; no sound device is needed.
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  // The artwork lies beside the program.
  ProgramDirectory directory;

  BenchSdlPlatform converted(true);
  if (!converted.StartVideo() || !converted.OpenWindow()) {
    std::fprintf(stderr, "Error: %s\n", converted.LastError());
    return 1;
  }
  std::atexit(ShutdownSdl);
  BenchSdlPlatform as_loaded(false);
  if (!as_loaded.OpenWindow()) {
    std::fprintf(stderr, "Error: %s\n", as_loaded.LastError());
    return 1;
  }

  // The copies are timed before and after the frames, under the same load.
  std::vector<double> copy_times;
  TimeScreenCopies(&copy_times);
  const Timing c = Measure(converted, frames);
  const Timing a = Measure(as_loaded, frames);
  TimeScreenCopies(&copy_times);
  const double copy = Percentile(copy_times, 0.5);
  // The same games again, untimed, with every screen summed up: a change that
  // is meant to leave the pictures alone must leave these sums alone.
  converted.hash_screens = as_loaded.hash_screens = true;
  Measure(converted, kHashedFrames);
  Measure(as_loaded, kHashedFrames);
  std::printf("converted: %d frames, median %.1f us, 99th percentile %.1f us (flip median %.1f us)\n", frames, c.median,
              c.p99, c.flip_median);
  std::printf("as-loaded: %d frames, median %.1f us, 99th percentile %.1f us (flip median %.1f us)\n", frames, a.median,
              a.p99, a.flip_median);
  std::printf("screens: converted %016llx, as-loaded %016llx over %d frames\n",
              static_cast<unsigned long long>(converted.screens_hash),
              static_cast<unsigned long long>(as_loaded.screens_hash), kWarmUpFrames + kHashedFrames);
  std::printf(
      "frame: %.0f us median per frame, %.0f us of it the flip (what changed drawn and presented), %.0f us for one "
      "800x600x4 memory copy, "
      "W/M = %.1f; %.1f %% of the picture presented per frame\n",
      c.median, c.flip_median, copy, c.median / copy, 100 * c.presented);
  return 0;
}

}  // namespace vq
