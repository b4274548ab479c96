#include "rules/playfield.h"

namespace vq {

namespace {

// The first piece of every game, independent of any random number.
constexpr int32_t kFirstColours[4] = {kColourOne, kColourOne, kColourOne, kColourTwo};

void SetSpawnPositions(Piece& piece) {
  for (int k = 0; k < 4; ++k) piece.pos[k] = kSpawnPositions[k];
}

void DrawEntry(Random& random, int32_t entry[4]) {
  for (int k = 0; k < 4; ++k) entry[k] = DrawColour(random);
}

}  // namespace

int32_t DrawColour(Random& random) { return NextRandom(random) % 2 + 1; }

void StartPlayfield(Playfield& p, uint32_t seed) {
  SeedRandom(p.random, seed);
  for (int32_t i = 0; i < kCells; ++i) p.board[i] = kEmpty;
  SetSpawnPositions(p.piece);
  for (int k = 0; k < 4; ++k) p.piece.colour[k] = kFirstColours[k];
  // The queue takes the game's first twelve draws: entry by entry, each in
  // the order top-left, top-right, bottom-left, bottom-right.
  for (auto& entry : p.queue.entry) DrawEntry(p.random, entry);
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

// Subtracting 16 while the value is above 15 leaves the remainder; below -32
// the value stays negative (-33 is column -1).
int32_t IndexColumn(int32_t index) {
  int32_t v = index >= 0 ? index : index + 32;
  if (v > 15) v %= 16;
  return v;
}

void AdvanceQueue(Playfield& p) {
  for (int k = 0; k < 4; ++k) p.piece.colour[k] = p.queue.entry[0][k];
  for (int e = 0; e < 2; ++e) {
    for (int k = 0; k < 4; ++k) p.queue.entry[e][k] = p.queue.entry[e + 1][k];
  }
  SetSpawnPositions(p.piece);
  DrawEntry(p.random, p.queue.entry[2]);
}

}  // namespace vq
