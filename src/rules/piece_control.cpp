#include "rules/piece_control.h"

namespace vq {

namespace {

constexpr int32_t kRowStep = kColumns;                  // one row down
constexpr int32_t kBottomRowStart = kCells - kColumns;  // 144

bool Occupied(const Playfield& p, int32_t index) { return p.board[index] != kEmpty; }

void MoveColumn(Piece& piece, int top, int bottom, int32_t by) {
  piece.pos[top] += by;
  piece.pos[bottom] += by;
}

void MovePiece(Piece& piece, int32_t by) {
  for (int32_t& position : piece.pos) position += by;
}

bool LeftColumnBlocked(const Playfield& p) { return BlockedBelow(p, p.piece.pos[kBottomLeft]); }
bool RightColumnBlocked(const Playfield& p) { return BlockedBelow(p, p.piece.pos[kBottomRight]); }

// Side moves of a piece whose top row is above the board keep it inside the
// board's columns. An entering piece (bottom row in row 0) may not slide onto
// an occupied row-0 cell: the next frame's LiftPiece would erase that cell.
void SideMovesAboveBoard(Playfield& p, const PieceInput& keys) {
  Piece& piece = p.piece;
  const bool entering = piece.pos[kBottomLeft] >= 0;
  if (keys.left) {
    const bool room =
        entering ? piece.pos[kBottomLeft] > 0 && !Occupied(p, piece.pos[kBottomLeft] - 1) : piece.pos[kTopLeft] > -32;
    if (room) MovePiece(piece, -1);
  }
  if (keys.right) {
    const bool room = entering ? piece.pos[kBottomRight] <= 14 && !Occupied(p, piece.pos[kBottomRight] + 1)
                               : piece.pos[kBottomRight] < -1;
    if (room) MovePiece(piece, +1);
  }
}

// On the board a side move needs the two cells beside the leading column.
// Left wins when it can move; right is tried only otherwise.
void SideMovesOnBoard(Playfield& p, const PieceInput& keys) {
  Piece& piece = p.piece;
  if (keys.left && IndexColumn(piece.pos[kTopLeft]) >= 1 && !Occupied(p, piece.pos[kTopLeft] - 1) &&
      !Occupied(p, piece.pos[kBottomLeft] - 1)) {
    MovePiece(piece, -1);
    return;
  }
  if (keys.right && IndexColumn(piece.pos[kTopRight]) <= 14 && !Occupied(p, piece.pos[kTopRight] + 1) &&
      !Occupied(p, piece.pos[kBottomRight] + 1)) {
    MovePiece(piece, +1);
  }
}

}  // namespace

// A position two rows above the board has no Board cell below it.
bool BlockedBelow(const Playfield& p, int32_t position) {
  if (position >= kBottomRowStart) return true;
  return position >= -kRowStep && Occupied(p, position + kRowStep);
}

bool PieceIntact(const Piece& piece) { return piece.pos[kTopLeft] == piece.pos[kTopRight] - 1; }

void LiftPiece(Playfield& p) {
  for (int32_t position : p.piece.pos) {
    if (position >= 0) p.board[position] = kEmpty;
  }
}

bool RearmMoveLatch(Playfield& p, const PieceInput& keys) {
  if (keys.rearm) p.move_latch = 1;
  return p.move_latch == 1;
}

void RotateAnticlockwise(Piece& piece) {
  const int32_t* c = piece.colour;
  const int32_t turned[4] = {c[kTopRight], c[kBottomRight], c[kTopLeft], c[kBottomLeft]};
  for (int k = 0; k < 4; ++k) piece.colour[k] = turned[k];
}

void RotateClockwise(Piece& piece) {
  const int32_t* c = piece.colour;
  const int32_t turned[4] = {c[kBottomLeft], c[kTopLeft], c[kBottomRight], c[kTopRight]};
  for (int k = 0; k < 4; ++k) piece.colour[k] = turned[k];
}

void PieceKeysMove(Playfield& p, const PieceInput& keys, bool armed) {
  if (!PieceIntact(p.piece) || !armed) return;
  if (keys.down) RotateAnticlockwise(p.piece);
  if (keys.up) RotateClockwise(p.piece);
  if (p.piece.pos[kTopLeft] < 0) {
    SideMovesAboveBoard(p, keys);
  } else {
    SideMovesOnBoard(p, keys);
  }
}

void PieceKeysDrop(Playfield& p, const PieceInput& keys) {
  if (!keys.space || p.piece.pos[kBottomLeft] < 0) return;
  for (int row = 0; row < 3; ++row) {
    if (!LeftColumnBlocked(p)) MoveColumn(p.piece, kTopLeft, kBottomLeft, kRowStep);
    if (!RightColumnBlocked(p)) MoveColumn(p.piece, kTopRight, kBottomRight, kRowStep);
  }
}

void UpdateMoveLatch(Playfield& p, EventType record) {
  if (record == EventType::KeyDown) p.move_latch = 0;
  if (record == EventType::KeyUp) p.move_latch = 1;
}

// Gravity locks only pieces wholly on the board; a position above it has no
// cell and is never written.
void LockPiece(Playfield& p) {
  for (int k = 0; k < 4; ++k) {
    const int32_t position = p.piece.pos[k];
    if (position >= 0) p.board[position] = p.piece.colour[k];
  }
  AdvanceQueue(p);
}

bool GravityStep(Playfield& p) {
  Piece& piece = p.piece;
  const bool left_blocked = LeftColumnBlocked(p);
  const bool right_blocked = RightColumnBlocked(p);
  // A piece whose top is still above the board cannot land: the game is over.
  if ((piece.pos[kTopLeft] < 0 && left_blocked) || (piece.pos[kTopRight] < 0 && right_blocked)) {
    p.game_over = 1;
    return false;
  }
  // The left column has reached the bottom row: the piece locks where it is,
  // even a split one whose right column could still fall. A right column
  // whose top is still above the board (the drop left it entering and a sweep
  // has since freed it) has no Board cell to be written to, so it falls to
  // rest first, below.
  if (piece.pos[kBottomLeft] >= kBottomRowStart && piece.pos[kTopRight] >= 0) {
    LockPiece(p);
    return true;
  }
  if (left_blocked && right_blocked) {
    LockPiece(p);
    return true;
  }
  if (!left_blocked && !right_blocked) {
    MovePiece(piece, kRowStep);
    return false;
  }
  // Only one column is supported: the other falls to rest now and the piece
  // locks in this step.
  if (!left_blocked) {
    do MoveColumn(piece, kTopLeft, kBottomLeft, kRowStep);
    while (!LeftColumnBlocked(p));
  } else {
    do MoveColumn(piece, kTopRight, kBottomRight, kRowStep);
    while (!RightColumnBlocked(p));
  }
  LockPiece(p);
  return true;
}

}  // namespace vq
