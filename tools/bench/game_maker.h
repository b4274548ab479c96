// Whole games made by a seeded player of the game's own frame steps, recorded
// as the game records them: what the server's tests and its measurements
// (tools/measure/server.sh) send.
#pragma once

#include <cstdint>
#include <string>

namespace vq {

// A whole game of mode (0: Play, else a Time attack limit) from seed: keys
// drawn from the seed, Escape on frame last (when the game lasts that long).
// Each seed gives other bytes.
std::string MakeGame(uint32_t seed, int32_t last, int32_t mode = 0);

// velquadro-bench games DIR COUNT LAST [MODE] [FIRST_SEED]: DIR/game-N.vqreplay
// for N from 0, each from its own seed.
int GamesMode(int argc, char** argv);

}  // namespace vq
