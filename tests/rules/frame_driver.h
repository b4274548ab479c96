// Runs the playfield rules frame by frame in the game loop's order, without a
// screen, and keeps the counts that the invariants below need. Shared by the
// property test, and meant for the fuzzer and the soak test as well.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "rules/input.h"
#include "rules/piece_control.h"
#include "rules/playfield.h"
#include "rules/scoring.h"
#include "rules/timeline.h"

namespace vq {

// What one frame's input step sees: the held piece keys, and the type of the
// event the poll took (None when the queue was empty: the kept record stays).
struct FrameInput {
  PieceInput keys;
  EventType event = EventType::None;
};

struct FrameDriver {
  Playfield field;
  EventType record = EventType::None;  // the kept event record
  unsigned reseed = 0;                 // srand(reseed + frame) every 20th frame
  int64_t cells_locked = 0;            // cells written into the Board by locks
  int64_t cells_swept = 0;             // cells removed by sweeps
  int64_t locks = 0;
  int64_t passes = 0;
};

// Starts a game whose random numbers follow from seed.
inline void StartDriver(FrameDriver& d, unsigned seed) {
  std::srand(seed);
  StartPlayfield(d.field);
  d.record = EventType::None;
  d.reseed = seed;
  d.cells_locked = d.cells_swept = d.locks = d.passes = 0;
}

// One frame of the game loop, rule steps only, in their order.
inline void RunFrame(FrameDriver& d, const FrameInput& in) {
  Playfield& p = d.field;
  ++p.frame_counter;
  LiftPiece(p);
  if (AdvanceTimeline(p)) ++d.passes;
  WinCheck(p);
  p.previous_score = p.score;
  if (p.frame_counter % 20 == 0) std::srand(d.reseed + static_cast<unsigned>(p.frame_counter));
  if (in.event != EventType::None) d.record = in.event;
  const bool armed = RearmMoveLatch(p, in.keys);
  PieceKeysMove(p, in.keys, armed);
  PieceKeysDrop(p, in.keys);
  UpdateMoveLatch(p, d.record);
  if (p.frame_counter % 10 == 0 && GravityStep(p)) {
    ++d.locks;
    d.cells_locked += 4;
  }
  MarkSquares(p.board);
  d.cells_swept += SweepColumn(p).count;
  SettleCells(p.board);
}

// Empty when the playfield is sound after a frame; otherwise what is wrong.
inline std::string CheckInvariants(const FrameDriver& d) {
  const Playfield& p = d.field;
  const Piece& piece = p.piece;
  for (int k = 0; k < 4; ++k) {
    if (piece.pos[k] < -32 || piece.pos[k] > 159) return "piece position out of range: " + std::to_string(piece.pos[k]);
    if (piece.colour[k] != kColourOne && piece.colour[k] != kColourTwo)
      return "piece colour " + std::to_string(piece.colour[k]);
  }
  if (piece.pos[kBottomLeft] != piece.pos[kTopLeft] + 16 || piece.pos[kBottomRight] != piece.pos[kTopRight] + 16)
    return "a piece column is torn apart";
  if (IndexColumn(piece.pos[kTopRight]) != IndexColumn(piece.pos[kTopLeft]) + 1)
    return "the right column is not beside the left one";
  int64_t occupied = 0;
  for (int32_t i = 0; i < kCells; ++i) {
    if (p.board[i] < kEmpty || p.board[i] > kMarkedTwo) return "board code " + std::to_string(p.board[i]);
    if (p.board[i] != kEmpty) ++occupied;
  }
  for (int32_t position : piece.pos) {
    if (position >= 0 && p.board[position] != kEmpty)
      return "an occupied cell lies under the piece at " + std::to_string(position);
  }
  // A cell above the piece would fall into it, and the next frame's LiftPiece
  // would erase it.
  for (int top : {kTopLeft, kTopRight}) {
    for (int32_t above = piece.pos[top] - kColumns; above >= 0; above -= kColumns) {
      if (p.board[above] != kEmpty) return "a cell hangs over the piece at " + std::to_string(above);
    }
  }
  if (occupied != d.cells_locked - d.cells_swept)
    return "cells not conserved: " + std::to_string(occupied) + " on the board, " + std::to_string(d.cells_locked) +
           " locked, " + std::to_string(d.cells_swept) + " swept";
  return {};
}

}  // namespace vq
