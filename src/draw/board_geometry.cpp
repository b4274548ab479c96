#include "draw/board_geometry.h"

#include <cmath>

#include "rules/playfield.h"

namespace vq {

namespace {

// Pixel arithmetic is done in 64 bits so that no input, however far from the
// board, overflows; the result is then taken modulo 2^32 like any int32_t.
int32_t Pixel(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

}  // namespace

int32_t IndexX(int32_t index) {
  if (index >= 0) return Pixel(kBoardLeft + kCellSize * int64_t{IndexColumn(index)});
  if (index >= -16) return Pixel(636 - kCellSize * int64_t{index});
  return Pixel(636 - kCellSize * (int64_t{index} + 16));
}

int32_t IndexY(int32_t index) {
  if (index >= 0) return Pixel(kBoardTop + kCellSize * int64_t{index / kColumns});
  if (index >= -16) return 66;
  return 96;
}

Point PieceCellPosition(int32_t position) {
  if (position >= 0) return Point{IndexX(position), IndexY(position)};
  return Point{IndexX(position + 32), IndexY(position + 32) - 2 * kCellSize};
}

SparkPositions SparksAround(int32_t removed_index) {
  const int32_t x = kBoardLeft + kCellSize * (removed_index % kColumns);
  const int32_t y = kBoardTop + kCellSize * (removed_index / kColumns);
  return SparkPositions{{{x, y - kCellSize}, {x, y + kCellSize}, {x - kCellSize, y}, {x + kCellSize, y}}};
}

// The accumulated position falls just short of n / 10, so the product and the
// sum must be rounded once together: 279, not 280, at the 48th frame of a pass.
int32_t MarkerX(double position) { return static_cast<int32_t>(std::fma(position, 30.0, 136.0)); }

}  // namespace vq
