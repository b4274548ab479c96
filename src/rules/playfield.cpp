#include "rules/playfield.h"

#include <cstdlib>

namespace vq {

namespace {

// The first piece of every game, independent of any random number.
constexpr int32_t kFirstColours[4] = {kColourOne, kColourOne, kColourOne, kColourTwo};

void SetSpawnPositions(Piece& piece) {
  for (int k = 0; k < 4; ++k) piece.pos[k] = kSpawnPositions[k];
}

void DrawEntry(int32_t entry[4]) {
  for (int k = 0; k < 4; ++k) entry[k] = DrawColour();
}

}  // namespace

int32_t DrawColour() { return std::rand() % 2 + 1; }

void StartPlayfield(Playfield& p) {
  for (int32_t i = 0; i < kCells; ++i) p.board[i] = kEmpty;
  SetSpawnPositions(p.piece);
  for (int k = 0; k < 4; ++k) p.piece.colour[k] = kFirstColours[k];
  // The queue takes the game's first twelve draws: entry by entry, each in
  // the order top-left, top-right, bottom-left, bottom-right.
  for (auto& entry : p.queue.entry) DrawEntry(entry);
  p.move_latch = 1;
  p.timeline = 0.0;
  p.sweep_score = 0;
  p.score = 0;
  p.previous_score = 0;
  p.level = 1;
  p.skin = 1;
  p.frame_counter = 0;
  p.game_over = 0;
}

namespace {

// Pixel arithmetic is done in 64 bits so that no input, however far from the
// board, overflows; the result is then taken modulo 2^32 like any int32_t.
int32_t Pixel(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

}  // namespace

// Subtracting 16 while the value is above 15 leaves the remainder; below -32
// the value stays negative (-33 is column -1).
int32_t IndexColumn(int32_t index) {
  int32_t v = index >= 0 ? index : index + 32;
  if (v > 15) v %= 16;
  return v;
}

// Above the board these values lie right of the board, mirrored; the piece is
// drawn with PieceCellPosition instead, and sparks with SparksAround.
int32_t IndexX(int32_t index) {
  if (index >= 0) return Pixel(156 + 30 * int64_t{IndexColumn(index)});
  if (index >= -16) return Pixel(636 - 30 * int64_t{index});
  return Pixel(636 - 30 * (int64_t{index} + 16));
}

int32_t IndexY(int32_t index) {
  if (index >= 0) return Pixel(156 + 30 * int64_t{index / 16});
  if (index >= -16) return 66;
  return 96;
}

Point PieceCellPosition(int32_t position) {
  if (position >= 0) return Point{IndexX(position), IndexY(position)};
  return Point{IndexX(position + 32), IndexY(position + 32) - 60};
}

void AdvanceQueue(Playfield& p) {
  for (int k = 0; k < 4; ++k) p.piece.colour[k] = p.queue.entry[0][k];
  for (int e = 0; e < 2; ++e) {
    for (int k = 0; k < 4; ++k) p.queue.entry[e][k] = p.queue.entry[e + 1][k];
  }
  SetSpawnPositions(p.piece);
  DrawEntry(p.queue.entry[2]);
}

}  // namespace vq
