// Square marking, the Timeline sweep and the settling of hanging cells.
#pragma once

#include <cstdint>

#include "rules/playfield.h"

namespace vq {

// Cells removed by one sweep, in the order of removal. Each entry is the
// board index the removed cell stood on when it was removed.
struct SweepResult {
  int32_t count;
  int32_t index[kRows];
};

int32_t TimelineColumn(double position);

// Adds 0.1 to the Timeline, or at the end of a pass resets it to 0.0 and runs
// EndPass. Returns true when a pass ended in this call.
bool AdvanceTimeline(Playfield& p);

// Marks every same-colour 2x2 square of the Board.
void MarkSquares(int32_t board[kCells]);

// Removes the marked cells of the Timeline's column, raising sweep_score.
SweepResult SweepColumn(Playfield& p);

// Every cell with an empty cell below it falls one row.
void SettleCells(int32_t board[kCells]);

}  // namespace vq
