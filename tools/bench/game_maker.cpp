#include "game_maker.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/frame_steps.h"
#include "core/play_frame.h"
#include "core/replay.h"

namespace vq {

std::string MakeGame(uint32_t seed, int32_t last, int32_t mode) {
  const GameStart start{mode, seed, 1000, 0, 0};
  GameState state{};
  StartGameState(state, start);
  Replay replay;
  StartRecording(replay, start);
  uint32_t draw = seed * 2654435761u + 1;
  FrameInput input{};
  input.ticks = start.ticks;
  input.wall_time = 1700000000 + seed;
  for (int32_t frame = 1; !state.field.game_over; ++frame) {
    input.ticks += kFrameMs;
    if (ReseedsOn(frame)) input.wall_time += 1;
    draw = draw * 1103515245u + 12345u;
    // A key now and then, as a player taps: mostly moves and turns.
    const uint16_t keys[] = {0, 0, 0, 0, kFrameLeft, kFrameRight, kFrameUp, kFrameDown, kFrameSpace, 0};
    input.keys = keys[(draw >> 16) % 10];
    if (frame >= last) input.keys |= kFrameEscape;
    RecordFrame(replay, input);
    UpdatePlayFrame(state, input);
  }
  FinishRecording(replay, state);
  const std::vector<uint8_t> out = EncodeReplay(replay);
  return std::string(out.begin(), out.end());
}

int GamesMode(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: velquadro-bench games DIR COUNT LAST [MODE] [FIRST_SEED]\n");
    return 2;
  }
  const std::string dir = argv[0];
  const int count = std::atoi(argv[1]), last = std::atoi(argv[2]);
  const int mode = argc > 3 ? std::atoi(argv[3]) : 0;
  const unsigned first = argc > 4 ? static_cast<unsigned>(std::atol(argv[4])) : 1;
  for (int n = 0; n < count; ++n) {
    const std::string game = MakeGame(first + n, last, mode);
    const std::string path = dir + "/game-" + std::to_string(n) + ".vqreplay";
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out || std::fwrite(game.data(), 1, game.size(), out) != game.size() || std::fclose(out) != 0) {
      std::perror(path.c_str());
      return 1;
    }
  }
  return 0;
}

}  // namespace vq
