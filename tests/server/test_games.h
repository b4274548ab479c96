// Forged copies of replays that play, which the board must refuse; the
// games themselves come from velquadro-bench's maker (tools/bench/game_maker.h).
#pragma once

#include <cstdint>
#include <string>

#include "game_maker.h"

namespace vq::test {

// What a forger edits in a replay that plays to its result.
enum class Forgery { kScore, kSeconds, kSeed, kFrame, kDigest, kPause };
constexpr Forgery kForgeries[] = {Forgery::kScore, Forgery::kSeconds, Forgery::kSeed,
                                  Forgery::kFrame, Forgery::kDigest,  Forgery::kPause};
const char* ForgeryName(Forgery forgery);
// The replay with one thing edited, the rest as it was.
std::string Forge(const std::string& replay, Forgery forgery);

}  // namespace vq::test
