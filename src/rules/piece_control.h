// Moving the falling piece: lifting it out of the Board, the MoveLatch, the
// rotations and side moves, the drop, gravity, landing and locking.
#pragma once

#include "rules/input.h"
#include "rules/playfield.h"

namespace vq {

// True when position p is in the bottom row or the cell below it is occupied.
bool BlockedBelow(const Playfield& p, int32_t position);

// True when both columns of the piece are at the same height.
bool PieceIntact(const Piece& piece);

// Empties every Board cell under the piece (positions 0 or more).
void LiftPiece(Playfield& p);

// Re-arms the MoveLatch when Ctrl or Alt is held; returns the armed state
// (MoveLatch == 1) that the rotations, side moves and UpdateMoveLatch use.
bool RearmMoveLatch(Playfield& p, const PieceInput& keys);

// Rotations (Down anticlockwise, then Up clockwise) and side moves, only for an
// intact piece and only when armed.
void PieceKeysMove(Playfield& p, const PieceInput& keys, bool armed);

// The drop with Space: each column falls up to three rows on its own.
void PieceKeysDrop(Playfield& p, const PieceInput& keys);

// A kept key-down disarms the latch, a kept key-up arms it.
void UpdateMoveLatch(Playfield& p, EventType record);

// Writes the piece's colours into the Board and brings the next piece.
void LockPiece(Playfield& p);

// One gravity step (the caller runs it every 10th frame). Returns true when
// the piece was locked in this step; sets game_over when a piece cannot enter.
bool GravityStep(Playfield& p);

// The colours of a piece turned one quarter clockwise / anticlockwise.
void RotateClockwise(Piece& piece);
void RotateAnticlockwise(Piece& piece);

}  // namespace vq
