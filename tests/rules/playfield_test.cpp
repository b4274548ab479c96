#include "rules/playfield.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vq {
namespace {

TEST(Playfield, StartsEmptyWithTheFixedFirstPieceAndTwelveDraws) {
  std::srand(77);  // the game draws the C library's numbers of the same seed
  int32_t expected[3][4];
  for (auto& entry : expected)
    for (int32_t& colour : entry) colour = std::rand() % 2 + 1;
  Playfield p;
  StartPlayfield(p, 77);
  for (int32_t cell : p.board) ASSERT_EQ(cell, kEmpty);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(p.piece.pos[k], kSpawnPositions[k]);
  EXPECT_EQ(p.piece.colour[kTopLeft], 1);
  EXPECT_EQ(p.piece.colour[kTopRight], 1);
  EXPECT_EQ(p.piece.colour[kBottomLeft], 1);
  EXPECT_EQ(p.piece.colour[kBottomRight], 2);
  for (int e = 0; e < 3; ++e)
    for (int k = 0; k < 4; ++k) EXPECT_EQ(p.queue.entry[e][k], expected[e][k]) << e << "," << k;
  EXPECT_EQ(p.move_latch, 1);
  EXPECT_EQ(p.timeline, 0.0);
  EXPECT_EQ(p.level, 1);
  EXPECT_EQ(p.skin, 1);
  const int32_t counters[] = {p.score, p.previous_score, p.sweep_score, p.frame_counter, p.game_over};
  for (int32_t counter : counters) EXPECT_EQ(counter, 0);
}

}  // namespace
}  // namespace vq
