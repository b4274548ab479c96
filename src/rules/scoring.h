// Points at the end of a pass, the Level and the skin bands, and the win.
#pragma once

#include <cstdint>

#include "rules/playfield.h"

namespace vq {

constexpr int32_t kSkinCount = 5;

int32_t PassBonus(int32_t swept);
int32_t ReducedScore(int32_t score);

// Skin of the band that a reduced score lies in, 0 below 100 (no change).
int32_t SkinForReducedScore(int32_t reduced);

// Turns sweep_score into points, picks the skin of the new band and raises the
// Level when the score climbed into that band. Returns the skin to show from
// now on, or 0 when the skin stays as it is.
int32_t EndPass(Playfield& p);

// Sets game_over and returns true when the score has reached the win
// threshold; the caller prints the win message.
bool WinCheck(Playfield& p);

}  // namespace vq
