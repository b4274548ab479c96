#include "demo/autopilot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "rules/piece_control.h"

namespace vq {
namespace {

// A playfield with an empty Board and the given piece; nothing drawn from rand().
Playfield Field(const Piece& piece, int32_t frame = 1) {
  Playfield field{};
  field.piece = piece;
  field.level = 1;
  field.skin = 1;
  field.move_latch = 1;
  field.frame_counter = frame;
  return field;
}

Piece At(int32_t top_left, int32_t top_right, std::vector<int32_t> colours = {1, 2, 1, 2}) {
  return Piece{{top_left, top_right, top_left + 16, top_right + 16}, {colours[0], colours[1], colours[2], colours[3]}};
}

Piece Spawned(std::vector<int32_t> colours) { return At(-24, -23, colours); }

// Fills column `column` from the bottom row up with `cells` cells of `code`.
void Stack(Playfield& field, int32_t column, int32_t cells, int32_t code = kColourOne) {
  for (int32_t row = kRows - 1; row >= kRows - cells; --row) field.board[row * 16 + column] = code;
}

Autopilot Pilot(int32_t target, bool search = false) {
  Autopilot autopilot;
  StartAutopilot(autopilot, search);
  autopilot.target = target;
  return autopilot;
}

// The game draws the C library's numbers of the same seed.
int32_t NextRandomColumn(unsigned seed) {
  std::srand(seed);
  return 144 + std::rand() % 16;
}

TEST(AutopilotDecision, PicksTheOneColourRuleOrARandomColumn) {
  struct Case {
    std::string name;
    Piece piece;
    std::vector<int32_t> occupied;  // Board cells holding colour one
    bool search;
    int32_t target;  // -1: the random column of seed 7
    int32_t pending;
  };
  const std::vector<Case> cases = {
      {"first piece 1,1,1,2 takes a random column", Spawned({1, 1, 1, 2}), {}, false, -1, 0},
      {"first piece, search finds nothing on an empty board", Spawned({1, 1, 1, 2}), {}, true, -1, 0},
      {"one colour over an empty board aims at its own column", Spawned({2, 2, 2, 2}), {}, true, 152, 1},
      {"one colour over two occupied row-0 cells", Spawned({1, 1, 1, 1}), {8, 9}, false, 152, 1},
      {"one colour over uneven ground", Spawned({1, 1, 1, 1}), {8}, false, -1, 0},
      {"one colour resting on the bottom row", At(130, 131, {2, 2, 2, 2}), {}, false, 146, 1},
      {"one colour in column 0 over a step", At(96, 97, {2, 2, 2, 2}), {129}, false, -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Playfield field = Field(c.piece);
    for (int32_t cell : c.occupied) field.board[cell] = kColourOne;
    Autopilot autopilot = Pilot(0, c.search);
    SeedRandom(field.random, 7);
    AutopilotDecision(field, autopilot);
    EXPECT_EQ(autopilot.target, c.target < 0 ? NextRandomColumn(7) : c.target);
    EXPECT_EQ(autopilot.decision_pending, c.pending);
    EXPECT_EQ(autopilot.turns, 0);
  }
}

TEST(AutopilotDecision, TheSearchDrawsNoRandomNumber) {
  // A colour-one pair waiting in the bottom row: the search takes it, and the
  // random sequence is left where it was.
  Playfield field = Field(Spawned({1, 2, 1, 2}));
  field.board[149] = field.board[150] = kColourOne;
  Autopilot autopilot = Pilot(0, true);
  SeedRandom(field.random, 11);
  Random untouched = field.random;
  AutopilotDecision(field, autopilot);
  EXPECT_EQ(NextRandom(field.random), NextRandom(untouched));
  EXPECT_EQ(autopilot.decision_pending, 0);
  EXPECT_EQ(autopilot.target, 144 + 5);
}

TEST(TargetRise, StopsOnTheFirstFreeCellAndNeverLeavesTheBoard) {
  struct Case {
    int32_t column;
    int32_t cells;  // occupied cells stacked from the bottom
    int32_t start;
    int32_t expected;
  };
  const std::vector<Case> cases = {
      {3, 0, 147, 147},                                      // empty column: stays on the bottom row
      {3, 1, 147, 131},  {3, 4, 147, 83},  {0, 10, 144, 0},  // full column: stops at the top row
      {15, 10, 159, 15}, {5, 2, 101, 101},                   // already above the run: stays
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    Playfield field = Field(Spawned({1, 2, 1, 2}));
    Stack(field, c.column, c.cells);
    Autopilot autopilot = Pilot(c.start);
    TargetRise(field, autopilot);
    EXPECT_EQ(autopilot.target, c.expected);
  }
}

TEST(TargetRise, NeverMovesDownAgain) {
  Playfield field = Field(Spawned({1, 2, 1, 2}));
  Stack(field, 6, 3);
  Autopilot autopilot = Pilot(150);
  TargetRise(field, autopilot);
  ASSERT_EQ(autopilot.target, 102);
  for (int32_t& cell : field.board) cell = kEmpty;
  TargetRise(field, autopilot);
  EXPECT_EQ(autopilot.target, 102);
}

TEST(AutopilotMove, OneStepOfTheIntactPiece) {
  struct Case {
    std::string name;
    Piece piece;
    int32_t target;
    int32_t frame;
    std::vector<int32_t> occupied;
    int32_t expected_top_left;
    int32_t expected_top_right;
  };
  const std::vector<Case> cases = {
      {"above the board, left is free", At(-24, -23), 144, 1, {}, -25, -24},
      {"above the board, right is free", At(-24, -23), 159, 2, {}, -23, -22},
      {"above the board, over occupied cells", At(-24, -23), 144, 1, {0, 1, 2, 3, 4, 5, 6, 7}, -25, -24},
      {"entering, row-0 cell on the left occupied", At(-8, -7), 144, 1, {7}, -8, -7},
      {"entering, row-0 cell on the left free", At(-8, -7), 144, 1, {10}, -9, -8},
      {"entering, row-0 cell on the right occupied", At(-8, -7), 159, 1, {10}, -8, -7},
      {"entering, row-0 cell on the right free", At(-8, -7), 159, 1, {7}, -7, -6},
      {"entering at the left wall", At(-16, -15), 144, 2, {}, 0, 1},
      {"on the board, upper cell beside blocked", At(40, 41), 144, 1, {39}, 40, 41},
      {"on the board, lower cell beside blocked", At(40, 41), 159, 1, {58}, 40, 41},
      {"on the board, both cells beside free", At(40, 41), 159, 1, {}, 41, 42},
      {"push-down over the goal on an even frame", At(-24, -23), 152, 2, {}, -8, -7},
      {"no push-down on an odd frame", At(-24, -23), 152, 1, {}, -24, -23},
      {"no push-down with a target of 80", At(0, 1), 80, 2, {}, 0, 1},
      {"push-down with a target of 81", At(1, 2), 81, 2, {}, 17, 18},
      {"blocked path, pushed down against the left wall", At(0, 1), 149, 2, {2}, 16, 17},
      {"goal 15 served against the right wall", At(14, 15), 159, 2, {}, 30, 31},
      {"blocked path, no push-down away from the walls", At(40, 41), 159, 2, {42}, 40, 41},
      {"resting on the bottom row", At(128, 129), 159, 2, {}, 128, 129},
      {"over uneven ground the push-down splits", At(51, 52), 144 + 3, 2, {83}, 51, 68},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Playfield field = Field(c.piece, c.frame);
    for (int32_t cell : c.occupied) field.board[cell] = kColourTwo;
    Autopilot autopilot = Pilot(c.target);
    AutopilotMove(field, autopilot);
    EXPECT_EQ(field.piece.pos[kTopLeft], c.expected_top_left);
    EXPECT_EQ(field.piece.pos[kTopRight], c.expected_top_right);
    EXPECT_EQ(field.piece.pos[kBottomLeft], field.piece.pos[kTopLeft] + 16);
    EXPECT_EQ(field.piece.pos[kBottomRight], field.piece.pos[kTopRight] + 16);
  }
}

TEST(AutopilotMove, SplitFallBringsBothColumnsToRestInOneFrame) {
  // Column 3 holds two cells, column 4 is empty: the push-down onto the step
  // splits the piece, and the next frame's split fall takes the free column
  // all the way down.
  Playfield field = Field(At(51, 52), 2);
  Stack(field, 3, 2);
  Autopilot autopilot = Pilot(144 + 3);
  TargetRise(field, autopilot);
  ASSERT_EQ(autopilot.target, 115);
  for (int32_t frame = 2; frame <= 8; ++frame) {
    field.frame_counter = frame;
    AutopilotMove(field, autopilot);
  }
  EXPECT_EQ(field.piece.pos[kBottomLeft], 115);   // row 7, on top of the stack
  EXPECT_EQ(field.piece.pos[kBottomRight], 132);  // pushed one row past it: split
  field.frame_counter = 9;
  AutopilotMove(field, autopilot);
  EXPECT_EQ(field.piece.pos[kBottomLeft], 115);
  EXPECT_EQ(field.piece.pos[kBottomRight], 148);  // row 9, the bottom row
  EXPECT_EQ(field.piece.pos[kTopRight], 132);
  EXPECT_FALSE(PieceIntact(field.piece));
}

TEST(AutopilotMove, GoalColumnsAtTheWallsFromTheSpawnColumns) {
  struct Case {
    int32_t goal;
    int32_t frames;  // frames of sideways travel
    int32_t left;    // left column at the end
  };
  for (const Case& c : {Case{0, 8, 0}, Case{15, 6, 14}, Case{14, 6, 14}, Case{8, 0, 8}}) {
    SCOPED_TRACE(c.goal);
    Playfield field = Field(Spawned({1, 2, 1, 2}));
    Autopilot autopilot = Pilot(144 + c.goal);
    // Odd frames only: no push-down, so every frame is a sideways step.
    for (int32_t frame = 1; frame <= 2 * c.frames; frame += 2) {
      field.frame_counter = frame;
      AutopilotMove(field, autopilot);
    }
    EXPECT_EQ(IndexColumn(field.piece.pos[kTopLeft]), c.left);
    const Piece before = field.piece;
    field.frame_counter = 2 * c.frames + 1;
    AutopilotMove(field, autopilot);  // already there: nothing more
    EXPECT_EQ(field.piece.pos[kTopLeft], before.pos[kTopLeft]);
  }
}

TEST(RestingPlace, EachColumnFallsToItsOwnStack) {
  struct Case {
    int32_t bottom_row;
    int32_t left_column;
    int32_t left_cells, right_cells;  // stacked in the two columns
    bool fits;
    int32_t bottom_left, bottom_right;
  };
  const std::vector<Case> cases = {
      {-1, 4, 0, 0, true, 148, 149}, {-1, 4, 3, 0, true, 100, 149},
      {-1, 0, 0, 5, true, 144, 65},  {-1, 14, 8, 0, true, 30, 159},  // top cell in row 0: still fits
      {-1, 14, 9, 0, false, 0, 0},                                   // top cell would stay above the Board
      {-1, 7, 0, 10, false, 0, 0},   {5, 2, 0, 0, true, 146, 147},   // from part way down
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "column " << c.left_column << " cells " << c.left_cells << "/" << c.right_cells);
    Playfield field = Field(Spawned({1, 2, 1, 2}));
    Stack(field, c.left_column, c.left_cells);
    Stack(field, c.left_column + 1, c.right_cells);
    int32_t rest[4] = {};
    ASSERT_EQ(RestingPlace(field.board, c.bottom_row, c.left_column, rest), c.fits);
    if (!c.fits) continue;
    EXPECT_EQ(rest[kBottomLeft], c.bottom_left);
    EXPECT_EQ(rest[kBottomRight], c.bottom_right);
    EXPECT_EQ(rest[kTopLeft], c.bottom_left - 16);
    EXPECT_EQ(rest[kTopRight], c.bottom_right - 16);
  }
}

TEST(ScorePlacement, CountsSquaresTouchesHeightAndHoles) {
  struct Case {
    std::string name;
    std::vector<std::pair<int32_t, int32_t>> board;  // cell, code
    int32_t left_column;
    std::vector<int32_t> colours;
    int32_t squares, touches, height, holes;
  };
  const std::vector<Case> cases = {
      {"empty board", {}, 4, {1, 2, 1, 2}, 0, 0, 2, 0},
      {"completes a square on a pair", {{148, 1}, {149, 1}}, 4, {2, 2, 1, 1}, 1, 2, 3, 0},
      {"covers the pair with the other colour", {{148, 1}, {149, 1}}, 4, {1, 1, 2, 2}, 0, 0, 3, 2},
      {"the other colour beside it is no hole", {{147, 1}}, 4, {2, 1, 2, 1}, 0, 0, 2, 0},
      {"covering marked cells leaves no hole: they go anyway", {{148, 3}, {149, 3}}, 4, {1, 1, 2, 2}, 0, 0, 3, 0},
      {"extends a marked square beside it", {{146, 4}, {147, 4}, {130, 4}, {131, 4}}, 4, {2, 1, 2, 1}, 1, 2, 2, 0},
      {"a one-colour piece is a square by itself", {}, 6, {1, 1, 1, 1}, 1, 0, 2, 0},
      {"squares and touches on both sides", {{147, 2}, {131, 2}, {150, 1}, {134, 1}}, 4, {2, 1, 2, 1}, 2, 4, 2, 0},
      {"into a well", {{144, 2}, {128, 2}, {146, 2}, {130, 2}, {147, 2}, {131, 2}}, 0, {1, 2, 1, 2}, 2, 4, 4, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Playfield field = Field(Spawned({1, 2, 1, 2}));
    for (auto [cell, code] : c.board) field.board[cell] = code;
    int32_t rest[4];
    ASSERT_TRUE(RestingPlace(field.board, -1, c.left_column, rest));
    const PlacementScore score = ScorePlacement(field.board, rest, c.colours.data());
    EXPECT_EQ(score.squares, c.squares);
    EXPECT_EQ(score.touches, c.touches);
    EXPECT_EQ(score.height, c.height);
    EXPECT_EQ(score.holes, c.holes);
  }
}

// What the weights must achieve: of two places for the same piece, the one
// that does more for the game scores higher.
TEST(ScorePlacement, WeightsOrderThePlaces) {
  struct Place {
    std::vector<std::pair<int32_t, int32_t>> board;  // cell, code
    int32_t left_column;
    std::vector<int32_t> colours;
  };
  struct Case {
    std::string why;
    Place better, worse;
  };
  const std::vector<Case> cases = {
      {"a square completed is worth the row it adds",
       {{{148, 1}, {149, 1}}, 4, {2, 2, 1, 1}},
       {{{148, 1}, {149, 1}}, 10, {2, 2, 1, 1}}},
      {"a side shared with its own colour beats lying alone",
       {{{147, 2}}, 4, {2, 1, 2, 1}},
       {{{147, 2}}, 10, {2, 1, 2, 1}}},
      {"lower beats higher", {{{154, 3}, {155, 4}}, 4, {2, 1, 2, 1}}, {{{154, 3}, {155, 4}}, 10, {2, 1, 2, 1}}},
      {"covering marked cells beats sealing cells under the other colour",
       {{{148, 3}, {149, 3}}, 4, {1, 1, 2, 2}},
       {{{148, 1}, {149, 1}}, 4, {1, 1, 2, 2}}},
  };
  auto total = [](const Place& place) {
    Playfield field = Field(Spawned({1, 2, 1, 2}));
    for (auto [cell, code] : place.board) field.board[cell] = code;
    int32_t rest[4];
    EXPECT_TRUE(RestingPlace(field.board, -1, place.left_column, rest));
    return ScorePlacement(field.board, rest, place.colours.data()).total;
  };
  for (const Case& c : cases) EXPECT_GT(total(c.better), total(c.worse)) << c.why;
}

TEST(FramesToLock, TripPushDownAndGravity) {
  // The decision is taken in frame 1 with the piece at the spawn positions.
  struct Case {
    std::string name;
    int32_t column;
    int32_t stacked;  // cells in that column and the next, from the bottom
    int32_t frames;
  };
  const std::vector<Case> cases = {
      {"straight down the spawn columns to the bottom: locks in frame 20", 8, 0, 19},
      {"eight frames of travel to column 0 cost a gravity step", 0, 0, 29},
      {"target above index 80: pushed down onto a stack of four", 3, 4, 19},
      {"target at index 67: gravity alone lowers the piece", 3, 5, 59},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Playfield field = Field(Spawned({1, 2, 1, 2}), 1);
    Stack(field, c.column, c.stacked);
    Stack(field, c.column + 1, c.stacked);
    const Playfield before = field;
    EXPECT_EQ(FramesToLock(field, c.column), c.frames);
    EXPECT_EQ(field.piece.pos[kTopLeft], before.piece.pos[kTopLeft]);  // plays on a copy
  }
}

TEST(SearchPlacement, FindsTheObviousSpotWithTheRightTurns) {
  struct Case {
    std::string name;
    Piece piece;
    std::vector<std::pair<int32_t, int32_t>> board;
    int32_t column;
    std::vector<int32_t> wanted;  // colours after the turns: top-left, top-right, bottom-left, bottom-right
  };
  const std::vector<Case> cases = {
      {"colour-one pair in the bottom row", Spawned({1, 2, 1, 2}), {{149, 1}, {150, 1}}, 5, {2, 2, 1, 1}},
      {"colour-two pair far left", Spawned({2, 2, 1, 1}), {{144, 2}, {145, 2}}, 0, {1, 1, 2, 2}},
      {"marked colour-two square at the right wall, extended from its side by a split landing",
       Spawned({2, 2, 1, 1}),
       {{158, 4}, {159, 4}, {142, 4}, {143, 4}},
       13,
       {2, 1, 2, 1}},
      {"the same square with its side taken: extended on top, at the wall",
       Spawned({2, 2, 1, 1}),
       {{158, 4}, {159, 4}, {142, 4}, {143, 4}, {156, 1}, {157, 2}, {140, 2}, {141, 1}},
       14,
       {1, 1, 2, 2}},
      {"no turn needed", Spawned({2, 1, 2, 1}), {{147, 2}, {131, 2}}, 4, {2, 1, 2, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Playfield field = Field(c.piece);
    for (auto [cell, code] : c.board) field.board[cell] = code;
    Placement best{};
    ASSERT_TRUE(SearchPlacement(field, &best));
    EXPECT_EQ(best.left_column, c.column);
    EXPECT_GT(best.score, 0);

    // The decision and its turns give the piece exactly the colours the
    // placement was scored with.
    Autopilot autopilot = Pilot(0, true);
    AutopilotDecision(field, autopilot);
    EXPECT_EQ(autopilot.target, 144 + c.column);
    EXPECT_EQ(autopilot.turns, best.turns);
    GiveTurns(field, autopilot);
    EXPECT_EQ(autopilot.turns, 0);
    EXPECT_EQ(std::vector<int32_t>(field.piece.colour, field.piece.colour + 4), c.wanted);
  }
}

TEST(SearchPlacement, DoesNotAimPastAColumnTheEnteringPieceCannotPass) {
  // A colour-one pair in columns 3 and 4 is worth a square; a full column 6
  // stands between it and a piece that has already entered row 0.
  for (bool wall : {false, true}) {
    SCOPED_TRACE(wall ? "with the wall" : "without the wall");
    Playfield field = Field(At(-8, -7, {1, 2, 1, 2}));
    field.board[147] = field.board[148] = kColourOne;
    if (wall) {
      for (int32_t row = 0; row < kRows; ++row) field.board[row * 16 + 6] = row % 2 ? kColourTwo : kColourOne;
    }
    Placement best{};
    ASSERT_TRUE(SearchPlacement(field, &best));
    // Behind the wall the best it can do is to lean on the wall's colours.
    EXPECT_EQ(best.left_column, wall ? 7 : 3);
  }
}

TEST(SearchPlacement, FindsNothingWhereEveryPlaceIsPoorOrFatal) {
  struct Case {
    std::string name;
    std::vector<int32_t> heights;  // per column, colour two
  };
  const std::vector<Case> cases = {
      {"empty board", std::vector<int32_t>(16, 0)},
      {"every column full but one", {10, 10, 10, 10, 10, 10, 10, 0, 10, 10, 10, 10, 10, 10, 10, 10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Playfield field = Field(Spawned({1, 1, 1, 2}));
    for (int32_t column = 0; column < 16; ++column) Stack(field, column, c.heights[column], kColourTwo);
    Placement best{};
    EXPECT_FALSE(SearchPlacement(field, &best));

    // The decision then takes the random column, as without the search.
    Autopilot autopilot = Pilot(0, true);
    SeedRandom(field.random, 3);
    AutopilotDecision(field, autopilot);
    EXPECT_EQ(autopilot.target, NextRandomColumn(3));
    EXPECT_EQ(autopilot.turns, 0);
    EXPECT_EQ(autopilot.decision_pending, 0);
  }
}

}  // namespace
}  // namespace vq
