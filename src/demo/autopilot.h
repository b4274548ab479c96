// The Autopilot of the demo: it decides where each piece goes, keeps its target
// on the first free cell of the goal column, and moves the piece sideways and
// down. Plain functions on the Playfield; no platform, nothing allocated.
#pragma once

#include <cstdint>

#include "rules/playfield.h"

namespace vq {

struct Autopilot {
  int32_t target;            // AutopilotTarget: the Board cell the piece is steered toward
  int32_t decision_pending;  // DecisionPending: 1 while a decision is due at the next frame
  int32_t turns;             // clockwise quarter turns still to give the piece's colours
  bool search;               // try the colour-matching search before the random column
};

// Start values: target 0, a decision due, no turns.
void StartAutopilot(Autopilot& autopilot, bool search);

// A place where the search would put the piece: its left column, the clockwise
// quarter turns its colours get first, what the place is worth, and the rank
// the search orders the places by.
struct Placement {
  int32_t left_column;  // 0 to 14
  int32_t turns;        // 0 to 3
  int32_t score;        // PlacementScore::total
  int32_t rank;         // score less the costs of getting there
};

// What a placement is worth, part by part. Hanging cells settle in this game,
// so an empty hole does not last; the holes that do are cells sealed under the
// other colour, which can no longer be squared from above.
struct PlacementScore {
  int32_t squares;  // same-colour 2x2 windows that hold at least one cell of the piece
  int32_t touches;  // sides the piece's cells share with Board cells of the same colour
  int32_t height;   // rows from the bottom of the Board up to the piece's highest cell
  int32_t holes;    // unmarked Board cells the piece covers with the other colour
  int32_t total;
};

// Weights of the score's parts (chosen with velquadro-bench autopilot).
constexpr int32_t kSquareWeight = 40;
constexpr int32_t kTouchWeight = 8;
constexpr int32_t kHeightWeight = 3;
constexpr int32_t kHoleWeight = 9;
// Costs that rank the places worth taking: each gravity step the piece needs
// before it locks, and each row of height it reaches in the spawn columns 8
// and 9, where every new piece enters and one-colour pieces come straight down.
constexpr int32_t kLockStepCost = 10;
constexpr int32_t kSpawnColumnCost = 2;

// Where the piece comes to rest in columns left_column and left_column + 1 when
// it comes straight down from its present bottom row: each column falls until
// the cell below it is occupied or it reaches the bottom row (the split
// landing). Returns false when the piece would rest with a cell above the
// Board, which ends the game. rest[] gets the four resting positions in the
// order top-left, top-right, bottom-left, bottom-right.
bool RestingPlace(const int32_t board[kCells], int32_t bottom_row, int32_t left_column, int32_t rest[4]);

// Scores the piece with the given colours resting at rest[] on the board.
PlacementScore ScorePlacement(const int32_t board[kCells], const int32_t rest[4], const int32_t colours[4]);

// Frames from now until the gravity step that locks the piece when the
// Autopilot steers it from where it is to left_column: its sideways trip, the
// push-down on even frames (none while the target is at index 80 or above)
// and a row at every 10th frame. Plays the moves on a copy; cells swept away
// meanwhile are not foreseen.
int32_t FramesToLock(const Playfield& field, int32_t left_column);

// Tries every left column the piece can reach sideways from where it is, with
// each of the four turns (at most 60 placements). Of those that score above
// nothing, stores the one of highest rank in *best (of equal ranks the nearer
// column, then the fewer turns) and returns true; returns false when none
// scores above nothing. Draws no random numbers.
bool SearchPlacement(const Playfield& field, Placement* best);

// Decision (only while decision_pending is 1): the one-colour rule; otherwise
// the search when it is on and finds a placement; otherwise a random column
// with one draw of the playfield's generator.
void AutopilotDecision(Playfield& field, Autopilot& autopilot);

// Raises the target while its cell is occupied, never above the top row.
void TargetRise(const Playfield& field, Autopilot& autopilot);

// Gives the piece the turns the search chose, once.
void GiveTurns(Playfield& field, Autopilot& autopilot);

// Moves the piece one step toward its target: sideways, or down on even
// frames; a split piece falls until both its columns rest.
void AutopilotMove(Playfield& field, const Autopilot& autopilot);

}  // namespace vq
