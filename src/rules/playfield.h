// The playfield of one game: the Board, the falling Piece, the PreviewQueue
// and the counters the rules keep, with the index functions that place a
// board index on the screen. Plain data and small functions; no SDL.
#pragma once

#include <cstdint>

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

struct Point {
  int32_t x;
  int32_t y;
};

struct Playfield {
  int32_t board[kCells];
  Piece piece;
  PreviewQueue queue;
  int32_t move_latch;   // 1 armed, 0 disarmed
  double timeline;      // Timeline position in columns, binary64
  int32_t sweep_score;  // cells removed in the current pass
  int32_t score;
  int32_t previous_score;
  int32_t level;
  int32_t skin;  // skin on show, 1 to 5
  int32_t frame_counter;
  int32_t game_over;  // GameOverFlag
};

// Start values of a game: empty Board, the first piece (1, 1, 1, 2) at the
// spawn positions, the queue filled by twelve rand() draws, latch armed,
// Timeline 0.0, Score 0, Level 1, skin 1, counters 0.
void StartPlayfield(Playfield& p);

// A new colour: rand() % 2 + 1.
int32_t DrawColour();

int32_t IndexColumn(int32_t index);
int32_t IndexX(int32_t index);
int32_t IndexY(int32_t index);
Point PieceCellPosition(int32_t position);

// The piece takes entry 0's colours and the spawn positions; the queue moves
// up and its last entry is drawn anew (four rand() draws).
void AdvanceQueue(Playfield& p);

}  // namespace vq
