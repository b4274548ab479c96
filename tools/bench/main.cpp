// velquadro-bench MODE [arguments]: one measurement per mode.
#include <cstdio>
#include <cstring>

#include "autopilot_bench.h"
#include "frame_bench.h"
#include "game_maker.h"
#include "place.h"

namespace {

struct Mode {
  const char* name;
  int (*run)(int argc, char** argv);
  const char* usage;
};

const Mode kModes[] = {
    {"autopilot", vq::AutopilotBench,
     "autopilot [games] [frame cap]  demo games with and without the colour-matching search"},
    {"frame", vq::FrameBench,
     "frame [frames]                 one demo frame on SDL's software surface, images converted and as loaded"},
    {"games", vq::GamesMode,
     "games DIR COUNT LAST [MODE] [SEED]  whole games of a seeded player, Escape at frame LAST, for the server"},
    {"place", vq::PlaceMode,
     "place < board                  the autopilot's placement of a piece: 160 cell codes, 4 colours "
     "[, left column, top row]"},
};

int Usage() {
  std::fprintf(stderr, "usage: velquadro-bench MODE [arguments]\n");
  for (const Mode& mode : kModes) std::fprintf(stderr, "  %s\n", mode.usage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  for (const Mode& mode : kModes) {
    if (std::strcmp(argv[1], mode.name) == 0) return mode.run(argc - 2, argv + 2);
  }
  return Usage();
}
