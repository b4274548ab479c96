// Where the game's screen puts the board and what stands on it: the one
// place that turns board indices, the Timeline and the visualiser into
// pixels. The rules know columns and rows only.
#pragma once

#include <cstdint>

namespace vq {

struct Point {
  int32_t x;
  int32_t y;
};

constexpr int32_t kCellSize = 30;    // cells are 30x30 pixels
constexpr int32_t kBoardLeft = 156;  // left edge of column 0
constexpr int32_t kBoardTop = 156;   // top edge of row 0

// Left and top pixel of a board index 0 or more. Above the board these
// values lie right of the board, mirrored, as the index arithmetic gives
// them; the piece is drawn with PieceCellPosition instead, and sparks with
// SparksAround.
int32_t IndexX(int32_t index);
int32_t IndexY(int32_t index);

// Top-left corner of a piece cell, also in the two rows above the board
// (y 96 and 126, in the x of its column).
Point PieceCellPosition(int32_t position);

// The four spark positions of a removed cell: above, below, left, right;
// 30 pixels from the cell, also beyond the board's edges.
struct SparkPositions {
  Point at[4];
};
SparkPositions SparksAround(int32_t removed_index);

// Left edge of the marker image: position * 30 + 136 with one rounding,
// truncated toward zero.
int32_t MarkerX(double position);
constexpr int32_t kMarkerY = 135;

// Visualiser bar i stands over board column i: its blocks are stacked upward
// every 10 pixels from y 441.
constexpr int32_t kBarBottomY = 441;
constexpr int32_t kBarBlockStep = 10;

}  // namespace vq
