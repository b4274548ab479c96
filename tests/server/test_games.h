// Games for the server's tests and measurements, made by playing the game's
// own frame steps on scripted keys and recording them as the game does, and
// forged copies of replays that must be refused.
#pragma once

#include <cstdint>
#include <string>

namespace vq::test {

// A whole game of mode (0: Play, else a Time attack limit) from seed: keys
// drawn from the seed, Escape on frame last (when the game lasts that long).
// Each seed gives other bytes.
std::string MakeGame(uint32_t seed, int32_t last, int32_t mode = 0);

// What a forger edits in a replay that plays to its result.
enum class Forgery { kScore, kSeconds, kSeed, kFrame, kDigest, kPause };
constexpr Forgery kForgeries[] = {Forgery::kScore, Forgery::kSeconds, Forgery::kSeed,
                                  Forgery::kFrame, Forgery::kDigest,  Forgery::kPause};
const char* ForgeryName(Forgery forgery);
// The replay with one thing edited, the rest as it was.
std::string Forge(const std::string& replay, Forgery forgery);

}  // namespace vq::test
