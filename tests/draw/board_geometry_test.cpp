// The board's pixels: cells, the piece above the board, sparks and the marker.
#include "draw/board_geometry.h"

#include <gtest/gtest.h>

#include <vector>

#include "rules/playfield.h"
#include "rules/timeline.h"

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

// The marker over a full pass, from the Timeline's own sums: 3 pixels a
// frame, one short from the 48th frame on, where the sum falls just below n / 10.
TEST(MarkerX, FollowsTheTimelineOverAPass) {
  Playfield p;
  StartPlayfield(p, 1);
  std::vector<int32_t> marker_x;
  for (int32_t frame = 1; frame < 304; ++frame) {
    AdvanceTimeline(p);
    if (frame >= 152) marker_x.push_back(MarkerX(p.timeline));
  }
  ASSERT_EQ(marker_x.size(), 152u);
  for (int32_t n = 0; n < 152; ++n) EXPECT_EQ(marker_x[n], n < 48 ? 136 + 3 * n : 135 + 3 * n) << "pass frame " << n;
  EXPECT_EQ(marker_x[48], 279);
  EXPECT_EQ(marker_x[151], 588);
}

TEST(SparksAround, TrueNeighboursAlsoBeyondTheEdges) {
  struct Case {
    int32_t index;
    Point above, below, left, right;
  };
  const Case cases[] = {
      {37, {306, 186}, {306, 246}, {276, 216}, {336, 216}},  // row 2, column 5
      {0, {156, 126}, {156, 186}, {126, 156}, {186, 156}},   {15, {606, 126}, {606, 186}, {576, 156}, {636, 156}},
      {144, {156, 396}, {156, 456}, {126, 426}, {186, 426}}, {159, {606, 396}, {606, 456}, {576, 426}, {636, 426}},
  };
  for (const Case& c : cases) {
    const SparkPositions s = SparksAround(c.index);
    const Point expected[4] = {c.above, c.below, c.left, c.right};
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(s.at[k].x, expected[k].x) << c.index << " spark " << k;
      EXPECT_EQ(s.at[k].y, expected[k].y) << c.index << " spark " << k;
    }
  }
}

}  // namespace
}  // namespace vq
