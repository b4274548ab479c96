// Writes games for the server's kill test and its measurements:
//   vq_make_games DIR COUNT LAST [MODE] [FIRST_SEED]
// DIR/game-N.vqreplay, each a whole game from its own seed that ends with
// Escape on frame LAST (or earlier, when the board fills).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "test_games.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: vq_make_games DIR COUNT LAST [MODE] [FIRST_SEED]\n");
    return 2;
  }
  const std::string dir = argv[1];
  const int count = std::atoi(argv[2]), last = std::atoi(argv[3]);
  const int mode = argc > 4 ? std::atoi(argv[4]) : 0;
  const unsigned first = argc > 5 ? static_cast<unsigned>(std::atol(argv[5])) : 1;
  for (int n = 0; n < count; ++n) {
    const std::string game = vq::test::MakeGame(first + n, last, mode);
    const std::string path = dir + "/game-" + std::to_string(n) + ".vqreplay";
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out || std::fwrite(game.data(), 1, game.size(), out) != game.size() || std::fclose(out) != 0) {
      std::perror(path.c_str());
      return 1;
    }
  }
  return 0;
}
