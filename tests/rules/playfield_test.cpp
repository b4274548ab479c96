#include "rules/playfield.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vq {
namespace {

struct IndexSample {
  int32_t index;
  int32_t column;
  int32_t x;
  int32_t y;
  bool is_position;
  Point cell;
};

TEST(IndexFunctions, SampleTable) {
  const IndexSample samples[] = {
      {0, 0, 156, 156, true, {156, 156}},    {15, 15, 606, 156, true, {606, 156}}, {16, 0, 156, 186, true, {156, 186}},
      {159, 15, 606, 426, true, {606, 426}}, {160, 0, 156, 456, false, {}},        {175, 15, 606, 456, false, {}},
      {-1, 15, 666, 66, true, {606, 126}},   {-7, 9, 846, 66, true, {426, 126}},   {-8, 8, 876, 66, true, {396, 126}},
      {-16, 0, 1116, 66, true, {156, 126}},  {-17, 15, 666, 96, true, {606, 96}},  {-23, 9, 846, 96, true, {426, 96}},
      {-24, 8, 876, 96, true, {396, 96}},    {-32, 0, 1116, 96, true, {156, 96}},  {-33, -1, 1146, 96, false, {}},
  };
  for (const IndexSample& s : samples) {
    SCOPED_TRACE(s.index);
    EXPECT_EQ(IndexColumn(s.index), s.column);
    EXPECT_EQ(IndexX(s.index), s.x);
    EXPECT_EQ(IndexY(s.index), s.y);
    if (s.is_position) {
      const Point at = PieceCellPosition(s.index);
      EXPECT_EQ(at.x, s.cell.x);
      EXPECT_EQ(at.y, s.cell.y);
    }
  }
}

TEST(Playfield, StartsEmptyWithTheFixedFirstPieceAndTwelveDraws) {
  std::srand(77);
  int32_t expected[3][4];
  for (auto& entry : expected)
    for (int32_t& colour : entry) colour = std::rand() % 2 + 1;
  std::srand(77);
  Playfield p;
  StartPlayfield(p);
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
