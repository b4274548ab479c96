// The playfield of one game: the Board, the falling Piece, the PreviewQueue,
// the counters the rules keep and the random numbers they draw. Plain data
// and small functions; no SDL.
#pragma once

#include <cstdint>

#include "rules/random.h"

namespace vq {

constexpr int32_t kColumns = 16;
constexpr int32_t kRows = 10;
constexpr int32_t kCells = kColumns * kRows;  // 160, row-major: index = row * 16 + column

// CellCodes. A marked code is its colour's code plus 2.
enum : int32_t { kEmpty = 0, kColourOne = 1, kColourTwo = 2, kMarkedOne = 3, kMarkedTwo = 4 };

// Corners of a piece, in the fixed order used for positions and colours.
enum : int { kTopLeft = 0, kTopRight = 1, kBottomLeft = 2, kBottomRight = 3 };

// Spawn positions: columns 8 and 9, rows -2 and -1, wholly above the board.
constexpr int32_t kSpawnPositions[4] = {-24, -23, -8, -7};

struct Piece {
  int32_t pos[4];     // board indices, -32 to 159
  int32_t colour[4];  // 1 or 2
};

// Three queued pieces; entry 0 is the next to enter. Colours only.
struct PreviewQueue {
  int32_t entry[3][4];
};

struct Playfield {
  int32_t board[kCells];
  Piece piece;
  PreviewQueue queue;
  // The MoveLatch: 1 (armed) lets the piece keys move and turn the piece.
  // A key-down as the last event taken disarms it (0) after the frame's
  // move, so that a held key acts once; a key-up event arms it again, and a
  // held Ctrl or Alt arms it on every frame, so that moves repeat.
  int32_t move_latch;
  double timeline;  // Timeline position in columns, binary64
  // SweepScore: the cells the Timeline removed in its current pass; the pass
  // end turns them into points and starts it again from 0.
  int32_t sweep_score;
  int32_t score;
  int32_t previous_score;
  int32_t level;
  int32_t skin;  // skin on show, 1 to 5
  int32_t frame_counter;
  // The GameOverFlag: set (1) by Escape, a closed window, the time limit, the
  // win or a piece that cannot enter; the frame that sets it still runs to
  // its end and is shown, then the game ends.
  int32_t game_over;
  Random random;  // every colour, visualiser bar and random column of the game
};

// Start values of a game: the generator seeded with seed, empty Board, the
// first piece (1, 1, 1, 2) at the spawn positions, the queue filled by the
// game's first twelve draws, latch armed, Timeline 0.0, Score 0, Level 1,
// skin 1, counters 0.
void StartPlayfield(Playfield& p, uint32_t seed);

// A new colour: the next number % 2 + 1.
int32_t DrawColour(Random& random);

// Column 0 to 15 of a board index, also of the two rows above the Board.
int32_t IndexColumn(int32_t index);

// The piece takes entry 0's colours and the spawn positions; the queue moves
// up and its last entry is drawn anew (four draws).
void AdvanceQueue(Playfield& p);

}  // namespace vq
