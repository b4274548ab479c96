#include "rules/timeline.h"

#include "rules/scoring.h"

namespace vq {

namespace {

constexpr double kTimelineStep = 0.1;  // columns per frame
constexpr double kTimelineEnd = 15.0;  // a pass ends once the position reaches this

// Same colour, marked or not: the codes are equal or differ by exactly 2.
bool SameColour(int32_t a, int32_t b) { return a == b || a - b == 2 || b - a == 2; }

int32_t MarkedCode(int32_t code) { return (code == kColourOne || code == kMarkedOne) ? kMarkedOne : kMarkedTwo; }

bool Marked(int32_t code) { return code == kMarkedOne || code == kMarkedTwo; }

}  // namespace

int32_t TimelineColumn(double position) { return static_cast<int32_t>(position); }

bool AdvanceTimeline(Playfield& p) {
  if (p.timeline < kTimelineEnd) {
    p.timeline += kTimelineStep;
    return false;
  }
  p.timeline = 0.0;
  EndPass(p);
  return true;
}

void MarkSquares(int32_t board[kCells]) {
  for (int32_t t = 0; t <= kCells - kColumns - 2; ++t) {
    if (t % kColumns == kColumns - 1) continue;
    const int32_t code = board[t];
    if (code == kEmpty) continue;
    const int32_t others[3] = {board[t + 1], board[t + kColumns], board[t + kColumns + 1]};
    bool square = true;
    for (int32_t other : others) square = square && other != kEmpty && SameColour(code, other);
    if (!square) continue;
    const int32_t marked = MarkedCode(code);
    board[t] = board[t + 1] = board[t + kColumns] = board[t + kColumns + 1] = marked;
  }
}

// Removing a cell lets everything above it in the column drop one row at
// once, so a cell that drops into the row just examined is examined no more;
// every cell marked when the sweep began goes in this one frame.
SweepResult SweepColumn(Playfield& p) {
  SweepResult result{};
  const int32_t c = TimelineColumn(p.timeline);
  if (c < 0 || c >= kColumns) return result;
  for (int32_t row = 0; row < kRows; ++row) {
    const int32_t i = c + kColumns * row;
    if (!Marked(p.board[i])) continue;
    for (int32_t j = row; j >= 1; --j) p.board[c + kColumns * j] = p.board[c + kColumns * (j - 1)];
    p.board[c] = kEmpty;
    ++p.sweep_score;
    result.index[result.count++] = i;
  }
  return result;
}

// Rows are visited from the bottom up, so a cell that has just fallen is not
// looked at again: hanging cells fall one row per frame, a stack as a unit.
void SettleCells(int32_t board[kCells]) {
  for (int32_t lower = kCells - 1; lower >= kColumns; --lower) {
    const int32_t upper = lower - kColumns;
    if (board[lower] == kEmpty && board[upper] != kEmpty) {
      board[lower] = board[upper];
      board[upper] = kEmpty;
    }
  }
}

}  // namespace vq
