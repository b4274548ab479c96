#include "rules/timeline.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "board_picture.h"

namespace vq {
namespace {

TEST(MarkSquares, SameColourSquaresMarkedOrNot) {
  struct Case {
    const char* what;
    Rows before, after;
  };
  const Case cases[] = {
      {"one already marked", {"13", "11"}, {"33", "33"}},
      {"colour two", {"22", "24"}, {"44", "44"}},
      {"colours one and two", {"12", "11"}, {"12", "11"}},
      {"marked one and marked two", {"34", "43"}, {"34", "43"}},
      {"one with marked two", {"14", "11"}, {"14", "11"}},
      {"two with marked one", {"23", "22"}, {"23", "22"}},
      {"a 3x2 block by two windows", {"222", "222"}, {"444", "444"}},
      {"a 3x3 block", {"111", "111", "111"}, {"333", "333", "333"}},
      {"an L of three cells", {"1.", "11"}, {"1.", "11"}},
      {"diagonal neighbours", {".1.1", "1.1."}, {".1.1", "1.1."}},
      {"across the right edge and the next row",
       {"...............1", "1..............1"},
       {"...............1", "1..............1"}},
      {"in the top rows",
       {"11", "11", ".", ".", ".", ".", ".", ".", ".", "."},
       {"33", "33", ".", ".", ".", ".", ".", ".", ".", "."}},
      {"in the right columns", {"..............22", "..............22"}, {"..............44", "..............44"}},
  };
  for (const Case& c : cases) {
    int32_t board[kCells];
    DrawBoard(board, c.before);
    MarkSquares(board);
    EXPECT_EQ(BoardText(board), Picture(c.after)) << c.what;
  }
}

TEST(SweepColumn, RemovesTheMarkedCellsOfTheTimelineColumn) {
  struct Case {
    const char* what;
    double timeline;
    Rows before, after;
    std::vector<int32_t> removed;
  };
  const Case cases[] = {
      {"two stacked marked cells under three plain ones",
       2.5,
       {"..1", "..1", "..1", "..3", "..3", "..2", "..2", "..2", "..2", "..2"},
       {"...", "...", "..1", "..1", "..1", "..2", "..2", "..2", "..2", "..2"},
       {50, 66}},
      {"a marked cell in row 0",
       5.0,
       {".....4", ".....1", ".....1", ".....2", ".....2", ".....2", ".....2", ".....1", ".....1", ".....2"},
       {"......", ".....1", ".....1", ".....2", ".....2", ".....2", ".....2", ".....1", ".....1", ".....2"},
       {5}},
      {"marked cells apart, and empty cells ride along",
       0.0,
       {"1", ".", "4", "2", "3"},
       {".", ".", "1", ".", "2"},
       {112, 144}},
      {"only the timeline column", 1.99, {"3333"}, {"3.33"}, {145}},
      {"the last column", 15.099999999999962, {"3333333333333333"}, {"333333333333333."}, {159}},
      {"nothing marked", 7.0, {"1111111111111111"}, {"1111111111111111"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Playfield p{};
    DrawBoard(p.board, c.before);
    p.timeline = c.timeline;
    p.sweep_score = 10;
    const SweepResult result = SweepColumn(p);
    EXPECT_EQ(BoardText(p.board), Picture(c.after));
    EXPECT_EQ(std::vector<int32_t>(result.index, result.index + result.count), c.removed);
    EXPECT_EQ(p.sweep_score, 10 + static_cast<int32_t>(c.removed.size()));
  }
}

TEST(SweepColumn, SquareAcrossTwoColumnsGoesOneColumnAtATime) {
  Playfield p{};
  DrawBoard(p.board, {"11", "11"});
  MarkSquares(p.board);
  p.timeline = 0.5;
  EXPECT_EQ(SweepColumn(p).count, 2);
  SettleCells(p.board);
  MarkSquares(p.board);
  EXPECT_EQ(BoardText(p.board), Picture({".3", ".3"}));
  p.timeline = 1.0;
  EXPECT_EQ(SweepColumn(p).count, 2);
  EXPECT_EQ(BoardText(p.board), Picture({}));
}

TEST(SettleCells, OneRowPerFrameAndStacksAsAUnit) {
  struct Case {
    const char* what;
    Rows before;
    std::vector<Rows> frames;  // the board after each call
  };
  const Case cases[] = {
      {"two empty cells below", {"1", ".", "."}, {{".", "1", "."}, {".", ".", "1"}, {".", ".", "1"}}},
      {"a hanging stack of three", {"2", "3", "1", ".", "2"}, {{".", "2", "3", "1", "2"}}},
      {"codes move unchanged, columns on their own", {"4.3", "..2", "1.."}, {{"...", "4.3", "1.2"}}},
      {"supported cells stay", {"12", "21"}, {{"12", "21"}}},
  };
  for (const Case& c : cases) {
    int32_t board[kCells];
    DrawBoard(board, c.before);
    for (size_t f = 0; f < c.frames.size(); ++f) {
      SettleCells(board);
      EXPECT_EQ(BoardText(board), Picture(c.frames[f])) << c.what << ", frame " << f + 1;
    }
  }
}

TEST(Timeline, FramesPerColumnAndPassEnds) {
  Playfield p;
  StartPlayfield(p, 1);
  // A game's first pass (frames 1 to 151), then a full pass (152 to 303).
  std::vector<int32_t> frames_in_column[2] = {std::vector<int32_t>(16), std::vector<int32_t>(16)};
  std::vector<int32_t> pass_ends;
  for (int32_t frame = 1; frame <= 304; ++frame) {
    if (frame == 300) p.sweep_score = 5;
    if (AdvanceTimeline(p)) pass_ends.push_back(frame);
    if (frame == 304) break;
    ++frames_in_column[frame < 152 ? 0 : 1][TimelineColumn(p.timeline)];
  }
  const std::vector<int32_t> first = {10, 9, 10, 10, 11, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 1};
  std::vector<int32_t> full = first;
  full[0] = 11;
  EXPECT_EQ(frames_in_column[0], first);
  EXPECT_EQ(frames_in_column[1], full);
  EXPECT_EQ(pass_ends, (std::vector<int32_t>{152, 304}));
  EXPECT_EQ(p.score, 7);  // the second pass end turned 5 removed cells into points
  EXPECT_EQ(p.sweep_score, 0);
}

}  // namespace
}  // namespace vq
