#include "rules/scoring.h"

#include <gtest/gtest.h>

namespace vq {
namespace {

TEST(Scoring, PassBonusSamples) {
  const int32_t samples[][2] = {{0, 0},   {4, 4},   {5, 7},   {7, 9},   {8, 12},  {9, 13},   {10, 18},
                                {14, 22}, {15, 27}, {19, 31}, {20, 40}, {32, 64}, {150, 300}};
  for (const auto& s : samples) EXPECT_EQ(PassBonus(s[0]), s[1]) << s[0];
}

TEST(Scoring, ReducedScoreCyclesEvery600Points) {
  const int32_t samples[][2] = {{0, 0}, {99, 99}, {600, 600}, {601, 1}, {1200, 600}, {1201, 1}, {999999999, 399}};
  for (const auto& s : samples) EXPECT_EQ(ReducedScore(s[0]), s[1]) << s[0];
  // A score of points and one 600 more stand at the same place of the cycle,
  // which never reaches 0 once a point was scored.
  for (int32_t v = 1; v <= 3000; ++v) {
    ASSERT_EQ(ReducedScore(v + 600), ReducedScore(v)) << v;
    ASSERT_GE(ReducedScore(v), 1) << v;
    ASSERT_LE(ReducedScore(v), 600) << v;
  }
}

TEST(Scoring, EndPassSkinsAndLevels) {
  struct Case {
    const char* what;
    int32_t previous, swept_points_to;  // Score before the pass and after its points
    int32_t skin_before, level_before;
    int32_t shown, skin_after, level_after;
  };
  const Case cases[] = {
      {"nothing removed below 100", 40, 40, 1, 1, 0, 1, 1},
      {"90 to 100", 90, 100, 1, 1, 2, 2, 2},
      {"staying in 100 to 199 reloads skin 2", 100, 150, 2, 2, 2, 2, 2},
      {"nothing removed at 150 still reloads", 150, 150, 2, 2, 2, 2, 2},
      {"50 to 250 jumps to skin 3, one level", 50, 250, 1, 1, 3, 3, 2},
      {"499 to 500: skin 1 again", 499, 500, 5, 5, 1, 1, 6},
      {"600 is in the last band", 550, 600, 1, 6, 1, 1, 6},
      {"480 to 610 keeps skin 5", 480, 610, 5, 5, 0, 5, 5},
      {"590 to 700 shows skin 2 at the same level", 590, 700, 1, 6, 2, 2, 6},
      {"610 to 710 raises the level", 610, 710, 1, 6, 2, 2, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Points 0 to 64 by sweep sizes 0 to 32; the rest is already in the score.
    for (int32_t swept : {0, 20}) {
      const int32_t points = PassBonus(swept);
      if (c.swept_points_to - c.previous < points) continue;
      Playfield p{};
      p.previous_score = c.previous;
      p.score = c.swept_points_to - points;
      p.sweep_score = swept;
      p.skin = c.skin_before;
      p.level = c.level_before;
      EXPECT_EQ(EndPass(p), c.shown);
      EXPECT_EQ(p.score, c.swept_points_to);
      EXPECT_EQ(p.sweep_score, 0);
      EXPECT_EQ(p.skin, c.skin_after);
      EXPECT_EQ(p.level, c.level_after);
    }
  }
}

TEST(Scoring, WinThreshold) {
  const int32_t samples[][2] = {{0, 0}, {999999998, 0}, {999999999, 1}, {1000000050, 1}};
  for (const auto& s : samples) {
    Playfield p{};
    p.score = s[0];
    EXPECT_EQ(WinCheck(p), s[1] == 1) << s[0];
    EXPECT_EQ(p.game_over, s[1]) << s[0];
  }
}

}  // namespace
}  // namespace vq
