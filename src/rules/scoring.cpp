#include "rules/scoring.h"

namespace vq {

namespace {

constexpr int32_t kScoreCycle = 600;
constexpr int32_t kWinThreshold = 999999998;  // a Score above this wins

// Lower bound of the skin band that a reduced score of 100 or more lies in.
// The last band, 500 to 600, is one value wider than the others.
int32_t BandLowerBound(int32_t reduced) {
  const int32_t band = reduced / 100;
  return (band >= 5 ? 5 : band) * 100;
}

}  // namespace

int32_t PassBonus(int32_t swept) {
  if (swept <= 4) return swept;
  if (swept <= 7) return swept + 2;
  if (swept <= 9) return swept + 4;
  if (swept <= 14) return swept + 8;
  if (swept <= 19) return swept + 12;
  return 2 * swept;
}

// Every positive multiple of 600 reduces to 600, not 0.
int32_t ReducedScore(int32_t score) {
  if (score <= kScoreCycle) return score;
  return (score - 1) % kScoreCycle + 1;
}

int32_t SkinForReducedScore(int32_t reduced) {
  if (reduced < 100) return 0;
  const int32_t band = BandLowerBound(reduced) / 100;  // 1 to 5
  return band == 5 ? 1 : band + 1;
}

int32_t EndPass(Playfield& p) {
  p.score += PassBonus(p.sweep_score);
  p.sweep_score = 0;
  const int32_t reduced = ReducedScore(p.score);
  const int32_t before = ReducedScore(p.previous_score);
  const int32_t skin = SkinForReducedScore(reduced);
  if (skin == 0) return 0;
  p.skin = skin;
  // Only climbing from below the band's lower bound raises the Level.
  if (before < BandLowerBound(reduced)) ++p.level;
  return skin;
}

bool WinCheck(Playfield& p) {
  if (p.score <= kWinThreshold) return false;
  p.game_over = 1;
  return true;
}

}  // namespace vq
