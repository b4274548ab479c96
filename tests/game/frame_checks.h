// What the long runs check after every frame of a real game (the frame's work
// on its input, or DemoFrame on the test platform): the playfield is sound,
// every cell on the Board came from a lock and went only by a sweep, and the
// Score is exactly what the finished passes earned. The ledger is kept from
// what the frames showed: the piece coming back to the spawn positions with
// the queue moved up, and the cells each sweep removed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "core/frame_steps.h"
#include "core/play_frame.h"
#include "game/play_game.h"
#include "platform/fake_platform.h"
#include "rules/playfield.h"
#include "rules/scoring.h"

namespace vq::test {

inline bool AtSpawn(const Piece& piece) { return std::equal(piece.pos, piece.pos + 4, kSpawnPositions); }

inline bool SameColours(const int32_t a[4], const int32_t b[4]) { return std::equal(a, a + 4, b); }

// Cells the frame's sweep removed, by the sparks drawn since the blits were
// last cleared.
inline int32_t RemovedBySparks(const FakePlatform& fake) {
  return static_cast<int32_t>(
             std::count_if(fake.blits.begin(), fake.blits.end(),
                           [](const FakePlatform::BlitRecord& b) { return b.image == "gfx/spark.png"; })) /
         4;
}

// What one game has done so far.
struct GameLedger {
  int64_t locks = 0;
  int64_t swept = 0;  // cells removed by sweeps
  int64_t swept_at_pass_start = 0;
  int64_t passes = 0;
  int64_t earned = 0;  // points the finished passes are worth

  // Books one frame from the playfield before and after it and the cells its
  // sweep removed. A pass ends at the start of a frame, before its sweep.
  void Book(const Playfield& before, const Playfield& after, int32_t removed) {
    if (after.timeline < before.timeline) {
      ++passes;
      earned += PassBonus(static_cast<int32_t>(swept - swept_at_pass_start));
      swept_at_pass_start = swept;
    }
    swept += removed;
    // A lock brings the next piece to the spawn positions with the colours the
    // queue held and moves the queue up. A piece at the spawn positions is
    // above the Board and cannot lock.
    const PreviewQueue& q = before.queue;
    if (after.frame_counter % 10 == 0 && AtSpawn(after.piece) && !AtSpawn(before.piece) &&
        SameColours(after.piece.colour, q.entry[0]) && SameColours(after.queue.entry[0], q.entry[1]) &&
        SameColours(after.queue.entry[1], q.entry[2])) {
      ++locks;
    }
  }
};

// Empty when the playfield is sound after a frame; otherwise what is wrong.
inline std::string CheckPlayfield(const Playfield& p, const GameLedger& ledger) {
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
  // A cell above the piece would fall into it, and the next frame would erase
  // it when it lifts the piece out of the Board.
  for (int top : {kTopLeft, kTopRight}) {
    for (int32_t above = piece.pos[top] - kColumns; above >= 0; above -= kColumns) {
      if (p.board[above] != kEmpty) return "a cell hangs over the piece at " + std::to_string(above);
    }
  }
  if (occupied != 4 * ledger.locks - ledger.swept)
    return "cells not conserved: " + std::to_string(occupied) + " on the board, " + std::to_string(ledger.locks) +
           " locks, " + std::to_string(ledger.swept) + " swept";
  if (p.score != ledger.earned)
    return "score " + std::to_string(p.score) + ", the passes earned " + std::to_string(ledger.earned);
  if (p.sweep_score != ledger.swept - ledger.swept_at_pass_start)
    return "sweep score " + std::to_string(p.sweep_score) + ", removed in this pass " +
           std::to_string(ledger.swept - ledger.swept_at_pass_start);
  if (!(p.timeline >= 0.0 && p.timeline < 15.1)) return "timeline at " + std::to_string(p.timeline);
  if (p.skin < 1 || p.skin > kSkinCount) return "skin " + std::to_string(p.skin);
  if (p.level < 1 || p.level > 1 + ledger.passes) return "level " + std::to_string(p.level);
  if (p.move_latch != 0 && p.move_latch != 1) return "move latch " + std::to_string(p.move_latch);
  return {};
}

// An untimed interactive game played on made-up input, 30 ms a frame, with
// the ledger kept and the playfield checked after every frame: the frantic
// player's and the rules fuzzer's harness.
struct CheckedGame {
  GameState state{};
  GameLedger ledger;

  void Start(uint32_t seed) {
    state = GameState{};
    StartGameState(state, GameStart{0, seed, 0, 0, 0});
    ledger = GameLedger{};
  }
  // One frame with these FrameKey bits and this event; the fault it shows,
  // or "".
  std::string Play(uint16_t keys, EventType event) {
    FrameInput input{};
    input.ticks = 30u * static_cast<uint32_t>(state.field.frame_counter + 1);
    input.wall_time = 1700000000 + input.ticks / 1000;
    input.event = event;
    input.keys = keys;
    const Playfield before = state.field;
    UpdatePlayFrame(state, input);
    ledger.Book(before, state.field, state.swept.count);
    return CheckPlayfield(state.field, ledger);
  }
};

}  // namespace vq::test
