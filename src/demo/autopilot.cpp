#include "demo/autopilot.h"

#include <initializer_list>

#include "rules/piece_control.h"

namespace vq {

namespace {

constexpr int32_t kBottomRowStart = 144;  // index of the bottom row's first cell
constexpr int32_t kPushDownGate = 80;     // targets at or above this index get no push-down
constexpr int32_t kSpawnColumn = 8;       // left column of a new piece
constexpr int32_t kLockLookAhead = 200;   // frames FramesToLock plays at most

// Row of a position, also for the two rows above the Board (-2 and -1).
int32_t RowOf(int32_t position) { return (position + 32) / kColumns - 2; }

int32_t ColourOf(int32_t code) { return code == kColourOne || code == kMarkedOne ? 1 : 2; }

bool OneColour(const Piece& piece) {
  return piece.colour[kTopRight] == piece.colour[kTopLeft] && piece.colour[kBottomLeft] == piece.colour[kTopLeft] &&
         piece.colour[kBottomRight] == piece.colour[kTopLeft];
}

void Shift(Piece& piece, int32_t by) {
  for (int32_t& position : piece.pos) position += by;
}

void LowerColumn(Piece& piece, int top, int bottom) {
  piece.pos[top] += kColumns;
  piece.pos[bottom] += kColumns;
}

// Whether an intact piece may take one column step to the side (-1 left, +1
// right). The caller has already kept the piece inside columns 0 to 15. A piece
// wholly above the Board moves freely; an entering piece, whose top row has no
// cells to test, tests the row-0 cell beside its bottom row; a piece on the
// Board tests both cells beside its leading column.
bool SideStepFree(const int32_t board[kCells], const Piece& piece, int32_t side) {
  const int32_t bottom = side < 0 ? piece.pos[kBottomLeft] : piece.pos[kBottomRight];
  const int32_t top = side < 0 ? piece.pos[kTopLeft] : piece.pos[kTopRight];
  if (bottom < 0) return true;
  if (board[bottom + side] != kEmpty) return false;
  return top < 0 || board[top + side] == kEmpty;
}

bool IsRestCell(const int32_t rest[4], int32_t index) {
  return index == rest[0] || index == rest[1] || index == rest[2] || index == rest[3];
}

// Rows from the bottom up to the highest cell the piece puts into the spawn
// columns; 0 when it rests elsewhere.
int32_t SpawnColumnsHeight(const int32_t rest[4]) {
  int32_t height = 0;
  for (int corner = 0; corner < 4; ++corner) {
    const int32_t column = rest[corner] % kColumns;
    const int32_t cell_height = kRows - rest[corner] / kColumns;
    if ((column == kSpawnColumn || column == kSpawnColumn + 1) && cell_height > height) {
      height = cell_height;
    }
  }
  return height;
}

}  // namespace

void StartAutopilot(Autopilot& autopilot, bool search) {
  autopilot.target = 0;
  autopilot.decision_pending = 1;
  autopilot.turns = 0;
  autopilot.search = search;
}

bool RestingPlace(const int32_t board[kCells], int32_t bottom_row, int32_t left_column, int32_t rest[4]) {
  for (int32_t side = 0; side < 2; ++side) {
    const int32_t column = left_column + side;
    int32_t row = bottom_row;
    while (row < kRows - 1 && board[(row + 1) * kColumns + column] == kEmpty) ++row;
    if (row < 1) return false;  // its top cell would stay above the Board
    rest[kTopLeft + side] = (row - 1) * kColumns + column;
    rest[kBottomLeft + side] = row * kColumns + column;
  }
  return true;
}

PlacementScore ScorePlacement(const int32_t board[kCells], const int32_t rest[4], const int32_t colours[4]) {
  PlacementScore score{};
  int32_t after[kCells];
  for (int32_t i = 0; i < kCells; ++i) after[i] = board[i];
  for (int corner = 0; corner < 4; ++corner) after[rest[corner]] = colours[corner];

  // Squares completed or extended: every same-colour window with a piece cell.
  for (int32_t t = 0; t < kCells - kColumns - 1; ++t) {
    if (t % kColumns == kColumns - 1) continue;
    const int32_t window[4] = {t, t + 1, t + kColumns, t + kColumns + 1};
    bool holds_piece = false;
    bool square = true;
    for (int32_t cell : window) {
      holds_piece = holds_piece || IsRestCell(rest, cell);
      square = square && after[cell] != kEmpty && ColourOf(after[cell]) == ColourOf(after[t]);
    }
    if (holds_piece && square) ++score.squares;
  }

  for (int corner = 0; corner < 4; ++corner) {
    const int32_t cell = rest[corner];
    const int32_t column = cell % kColumns;
    const int32_t left = column > 0 ? cell - 1 : -1;
    const int32_t right = column < kColumns - 1 ? cell + 1 : -1;
    const int32_t above = cell >= kColumns ? cell - kColumns : -1;
    const int32_t below = cell + kColumns < kCells ? cell + kColumns : -1;
    for (int32_t next : {left, right, above, below}) {
      if (next < 0 || IsRestCell(rest, next) || board[next] == kEmpty) continue;
      if (ColourOf(board[next]) == colours[corner]) {
        ++score.touches;
      } else if (next == below && (board[next] == kColourOne || board[next] == kColourTwo)) {
        ++score.holes;
      }
    }
  }

  const int32_t top = rest[kTopLeft] < rest[kTopRight] ? rest[kTopLeft] : rest[kTopRight];
  score.height = kRows - top / kColumns;
  score.total = kSquareWeight * score.squares + kTouchWeight * score.touches - kHeightWeight * score.height -
                kHoleWeight * score.holes;
  return score;
}

int32_t FramesToLock(const Playfield& field, int32_t left_column) {
  Playfield trip = field;
  Autopilot pilot;
  StartAutopilot(pilot, false);
  pilot.target = kBottomRowStart + left_column;
  pilot.decision_pending = 0;
  int32_t* pos = trip.piece.pos;
  for (int32_t frames = 0; frames < kLockLookAhead; ++frames, ++trip.frame_counter) {
    TargetRise(trip, pilot);
    AutopilotMove(trip, pilot);
    if (trip.frame_counter % 10 != 0) continue;
    // The gravity step locks a piece with either column resting, and
    // otherwise lowers it one row.
    if (BlockedBelow(trip, pos[kBottomLeft]) || BlockedBelow(trip, pos[kBottomRight])) return frames;
    Shift(trip.piece, kColumns);
  }
  return kLockLookAhead;
}

bool SearchPlacement(const Playfield& field, Placement* best) {
  const Piece& piece = field.piece;
  if (!PieceIntact(piece)) return false;
  const int32_t start = IndexColumn(piece.pos[kTopLeft]);
  const int32_t bottom_row = RowOf(piece.pos[kBottomLeft]);

  // The columns the piece can reach sideways from where it is now.
  int32_t lowest = start;
  for (Piece probe = piece; lowest > 0 && SideStepFree(field.board, probe, -1); Shift(probe, -1)) {
    --lowest;
  }
  int32_t highest = start;
  for (Piece probe = piece; highest < kColumns - 2 && SideStepFree(field.board, probe, +1); Shift(probe, +1)) {
    ++highest;
  }

  bool found = false;
  // Nearest columns first, so that of two equal ranks the shorter trip wins.
  for (int32_t distance = 0; distance < kColumns; ++distance) {
    for (int32_t side = -1; side <= 1; side += 2) {
      if (distance == 0 && side > 0) continue;
      const int32_t column = start + side * distance;
      if (column < lowest || column > highest) continue;
      int32_t rest[4];
      if (!RestingPlace(field.board, bottom_row, column, rest)) continue;
      const int32_t cost =
          kLockStepCost * (FramesToLock(field, column) / 10) + kSpawnColumnCost * SpawnColumnsHeight(rest);
      Piece turned = piece;
      for (int32_t turns = 0; turns < 4; ++turns, RotateClockwise(turned)) {
        const int32_t score = ScorePlacement(field.board, rest, turned.colour).total;
        if (score <= 0) continue;
        const int32_t rank = score - cost;
        if (!found || rank > best->rank) *best = Placement{column, turns, score, rank};
        found = true;
      }
    }
  }
  return found;
}

void AutopilotDecision(Playfield& field, Autopilot& autopilot) {
  const Piece& piece = field.piece;
  const bool left_blocked = BlockedBelow(field, piece.pos[kBottomLeft]);
  const bool right_blocked = BlockedBelow(field, piece.pos[kBottomRight]);
  if (OneColour(piece) && left_blocked == right_blocked) {
    // Straight down its own column; decided again next frame.
    autopilot.target = kBottomRowStart + IndexColumn(piece.pos[kBottomLeft]);
    return;
  }
  Placement best;
  if (autopilot.search && SearchPlacement(field, &best)) {
    autopilot.target = kBottomRowStart + best.left_column;
    autopilot.turns = best.turns;
  } else {
    autopilot.target = kBottomRowStart + NextRandom(field.random) % kColumns;
  }
  autopilot.decision_pending = 0;
}

void TargetRise(const Playfield& field, Autopilot& autopilot) {
  if (autopilot.target < 0 || autopilot.target >= kCells) return;
  while (autopilot.target >= kColumns && field.board[autopilot.target] != kEmpty) {
    autopilot.target -= kColumns;
  }
}

void GiveTurns(Playfield& field, Autopilot& autopilot) {
  for (; autopilot.turns > 0; --autopilot.turns) RotateClockwise(field.piece);
}

void AutopilotMove(Playfield& field, const Autopilot& autopilot) {
  Piece& piece = field.piece;
  const int32_t* pos = piece.pos;

  if (!PieceIntact(piece)) {
    // A split piece: both columns come to rest in this frame.
    while (!BlockedBelow(field, pos[kBottomLeft])) LowerColumn(piece, kTopLeft, kBottomLeft);
    while (!BlockedBelow(field, pos[kBottomRight])) LowerColumn(piece, kTopRight, kBottomRight);
    return;
  }

  const int32_t left = IndexColumn(pos[kTopLeft]);
  const int32_t right = IndexColumn(pos[kTopRight]);
  const int32_t goal = IndexColumn(autopilot.target);

  if (pos[kBottomLeft] >= kBottomRowStart) return;  // resting on the bottom row
  if (goal < left && left > 0 && SideStepFree(field.board, piece, -1)) {
    Shift(piece, -1);
    return;
  }
  if (goal > left && right < kColumns - 1 && SideStepFree(field.board, piece, +1)) {
    Shift(piece, +1);
    return;
  }
  const bool placed = goal == left || left == 0 || right == kColumns - 1;
  if (field.frame_counter % 2 == 0 && autopilot.target > kPushDownGate && placed) {
    if (!BlockedBelow(field, pos[kBottomLeft])) LowerColumn(piece, kTopLeft, kBottomLeft);
    if (!BlockedBelow(field, pos[kBottomRight])) LowerColumn(piece, kTopRight, kBottomRight);
  }
}

}  // namespace vq
