#include "rules/piece_control.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "board_picture.h"

namespace vq {
namespace {

Playfield Field(const Rows& bottom_rows, int32_t top_left, int32_t top_right) {
  Playfield p;
  StartPlayfield(p, 5);
  DrawBoard(p.board, bottom_rows);
  PlacePiece(p.piece, top_left, top_right);
  return p;
}

int32_t Occupied(const Playfield& p) {
  int32_t n = 0;
  for (int32_t cell : p.board) n += cell != kEmpty;
  return n;
}

TEST(GravityStep, RulesInTheirOrder) {
  struct Case {
    const char* what;
    Rows rows;
    int32_t top_left, top_right;
    bool game_over, locked;
    int32_t end_left, end_right;  // tops of the columns afterwards (where the colours went when locked)
  };
  const char* full = "1111111111111111";
  const Case cases[] = {
      {"spawned over an occupied row-0 cell, left", TopRow("........1"), -24, -23, true, false, -24, -23},
      {"spawned over an occupied row-0 cell, right", TopRow(".........1"), -24, -23, true, false, -24, -23},
      {"entering on row 1", {"........1", ".", ".", ".", ".", ".", ".", ".", "."}, -8, -7, true, false, -8, -7},
      {"entering, right blocked", {".........1", ".", ".", ".", ".", ".", ".", ".", "."}, 24, -7, true, false, 24, -7},
      {"spawned over free columns falls", {full}, -24, -23, false, false, -8, -7},
      {"on the board over free cells falls", {full}, 32, 33, false, false, 48, 49},
      {"bottom row reached", {}, 128, 129, false, true, 128, 129},
      {"bottom row reached by the left column of a split piece", {}, 128, 33, false, true, 128, 33},
      {"resting on both columns", {full}, 112, 113, false, true, 112, 113},
      {"left column free falls to rest", {"..1", "..1", "..1", "..1", "..1", "..1"}, 33, 34, false, true, 129, 34},
      {"right column free falls to rest", {"1", "1", "1"}, 80, 81, false, true, 80, 129},
      {"split: right in the bottom row, left still free", {}, 32, 129, false, true, 128, 129},
      {"split: left column in the bottom row, right still entering", {}, 128, -15, false, true, 128, 129},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Playfield p = Field(c.rows, c.top_left, c.top_right);
    p.piece.colour[kTopLeft] = 2;  // distinct colours show where each one went
    p.piece.colour[kBottomRight] = 2;
    p.piece.colour[kTopRight] = p.piece.colour[kBottomLeft] = 1;
    const Piece before = p.piece;
    const PreviewQueue queue = p.queue;
    const int32_t cells = Occupied(p);
    EXPECT_EQ(GravityStep(p), c.locked);
    EXPECT_EQ(p.game_over, c.game_over ? 1 : 0);
    if (c.locked) {
      EXPECT_EQ(Occupied(p), cells + 4);
      EXPECT_EQ(p.board[c.end_left], before.colour[kTopLeft]);
      EXPECT_EQ(p.board[c.end_left + 16], before.colour[kBottomLeft]);
      EXPECT_EQ(p.board[c.end_right], before.colour[kTopRight]);
      EXPECT_EQ(p.board[c.end_right + 16], before.colour[kBottomRight]);
      for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(p.piece.pos[k], kSpawnPositions[k]);
        EXPECT_EQ(p.piece.colour[k], queue.entry[0][k]);
      }
    } else {
      EXPECT_EQ(Occupied(p), cells);
      EXPECT_EQ(p.piece.pos[kTopLeft], c.end_left);
      EXPECT_EQ(p.piece.pos[kTopRight], c.end_right);
    }
  }
}

TEST(Piece, LockWritesTheColoursAndTheQueueMovesUp) {
  Playfield p = Field({}, 128, 129);
  SeedRandom(p.random, 99);
  std::srand(99);  // the game draws the C library's numbers of the same seed
  int32_t drawn[4];
  for (int32_t& colour : drawn) colour = std::rand() % 2 + 1;
  const Piece before = p.piece;
  const PreviewQueue queue = p.queue;
  LockPiece(p);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(p.board[before.pos[k]], before.colour[k]);
    EXPECT_EQ(p.piece.pos[k], kSpawnPositions[k]);
    EXPECT_EQ(p.piece.colour[k], queue.entry[0][k]);
    EXPECT_EQ(p.queue.entry[0][k], queue.entry[1][k]);
    EXPECT_EQ(p.queue.entry[1][k], queue.entry[2][k]);
    EXPECT_EQ(p.queue.entry[2][k], drawn[k]);
  }
  EXPECT_EQ(Occupied(p), 4);
}

TEST(PieceKeys, SideMovesAndTheirEdges) {
  struct Case {
    const char* what;
    Rows rows;
    int32_t top_left, top_right;
    bool left, right, armed;
    int32_t end_left;  // the top-left afterwards
  };
  const Case cases[] = {
      {"spawned, onto the left edge", {}, -31, -30, true, false, true, -32},
      {"spawned, left edge", {}, -32, -31, true, false, true, -32},
      {"spawned, onto the right edge", {}, -19, -18, false, true, true, -18},
      {"spawned, right edge", {}, -18, -17, false, true, true, -18},
      {"spawned, both keys cancel", {}, -24, -23, true, true, true, -24},
      {"spawned at the left edge, both keys: right only", {}, -32, -31, true, true, true, -31},
      {"spawned, occupied cells are not looked at", TopRow("1111111111111111"), -24, -23, true, false, true, -25},
      {"not armed", {}, -24, -23, true, false, false, -24},
      {"split pieces stay", {}, 40, -7, true, false, true, 40},
      {"entering, onto the left edge", {}, -15, -14, true, false, true, -16},
      {"entering, left edge", {}, -16, -15, true, false, true, -16},
      {"entering, onto the right edge", {}, -3, -2, false, true, true, -2},
      {"entering, right edge", {}, -2, -1, false, true, true, -2},
      {"entering, free row 0", TopRow("1111111..1111111"), -9, -8, true, false, true, -9},
      {"entering onto an occupied row-0 cell on the left", TopRow(".......1"), -8, -7, true, false, true, -8},
      {"entering onto an occupied row-0 cell on the right", TopRow("..........1"), -8, -7, false, true, true, -8},
      {"entering, both keys cancel", TopRow("1111111..1111111"), -9, -8, true, true, true, -9},
      {"on the board, onto the left edge", {}, 33, 34, true, false, true, 32},
      {"on the board, left edge", {}, 32, 33, true, false, true, 32},
      {"on the board, onto the right edge", {}, 45, 46, false, true, true, 46},
      {"on the board, right edge", {}, 46, 47, false, true, true, 46},
      {"on the board, marked cell beside the top", {"4", "", "", "", "", "", "", ""}, 33, 34, true, false, true, 33},
      {"on the board, cell beside the bottom", {"1", "", "", "", "", "", ""}, 33, 34, true, false, true, 33},
      {"on the board, both keys: left wins", {}, 36, 37, true, true, true, 35},
      {"on the board, both keys: right when left is stopped", {}, 32, 33, true, true, true, 33},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Playfield p = Field(c.rows, c.top_left, c.top_right);
    const int32_t cells = Occupied(p);
    PieceInput keys;
    keys.left = c.left;
    keys.right = c.right;
    PieceKeysMove(p, keys, c.armed);
    EXPECT_EQ(p.piece.pos[kTopLeft], c.end_left);
    EXPECT_EQ(p.piece.pos[kTopRight] - p.piece.pos[kTopLeft], c.top_right - c.top_left);
    LiftPiece(p);  // the next frame must find nothing under the piece
    EXPECT_EQ(Occupied(p), cells);
  }
}

TEST(PieceKeys, RotationsTurnTheColoursOnly) {
  struct Case {
    bool down, up, armed;
    int32_t colours[4];
  };
  // Start colours 1, 1, 2, 1 (top-left, top-right, bottom-left, bottom-right).
  const Case cases[] = {
      {true, false, true, {1, 1, 1, 2}},   // anticlockwise
      {false, true, true, {2, 1, 1, 1}},   // clockwise
      {true, true, true, {1, 1, 2, 1}},    // both: back as it was
      {true, false, false, {1, 1, 2, 1}},  // disarmed
  };
  for (const Case& c : cases) {
    Playfield p = Field({}, -24, -23);
    const int32_t start[4] = {1, 1, 2, 1};
    for (int k = 0; k < 4; ++k) p.piece.colour[k] = start[k];
    PieceInput keys;
    keys.down = c.down;
    keys.up = c.up;
    PieceKeysMove(p, keys, c.armed);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(p.piece.colour[k], c.colours[k]) << c.down << c.up << c.armed << k;
    for (int k = 0; k < 4; ++k) EXPECT_EQ(p.piece.pos[k], kSpawnPositions[k]);
  }
}

TEST(PieceKeys, DropSplitsOverUnevenGround) {
  struct Case {
    const char* what;
    Rows rows;
    int32_t top_left, top_right;
    int frames;
    int32_t end_left, end_right;
  };
  const Case cases[] = {
      {"spawned pieces do not drop", {}, -24, -23, 1, -24, -23},
      {"three rows per frame over free ground", {}, -8, -7, 1, 40, 41},
      {"stops in the bottom row", {}, -8, -7, 4, 136, 137},
      {"right column stopped by a tall stack", Rows(8, ".........1"), -8, -7, 2, 88, 9},
      {"a split piece drops too", {}, 40, 9, 1, 88, 57},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Playfield p = Field(c.rows, c.top_left, c.top_right);
    PieceInput keys;
    keys.space = true;
    for (int f = 0; f < c.frames; ++f) PieceKeysDrop(p, keys);
    EXPECT_EQ(p.piece.pos[kTopLeft], c.end_left);
    EXPECT_EQ(p.piece.pos[kTopRight], c.end_right);
    EXPECT_EQ(p.piece.pos[kBottomLeft], c.end_left + 16);
    EXPECT_EQ(p.piece.pos[kBottomRight], c.end_right + 16);
  }
}

}  // namespace
}  // namespace vq
