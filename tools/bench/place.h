// The demo autopilot's placement search asked from outside: a bot that plays
// the real program from screenshots (tools/replay/record_golden.py) hands it
// the board it sees and takes the autopilot's choice, so that the placement
// rules live in one place.
#pragma once

#include <cstdint>
#include <cstdio>

#include "demo/autopilot.h"

namespace vq {

struct PlaceQuestion {
  int32_t board[kCells];  // cell codes 0 to 4, row by row from the top
  int32_t colours[4];     // 1 or 2: top-left, top-right, bottom-left, bottom-right
  int32_t left_column;    // 0 to 14; 8 for a piece just spawned
  int32_t top_row;        // -2 to 8; -2 for a piece just spawned
};

// Reads 160 cell codes, 4 colours and optionally the piece's left column and
// top row, as whitespace-separated numbers; false (with the reason in *why)
// when anything is missing, out of range or left over.
bool ReadPlaceQuestion(std::FILE* in, PlaceQuestion* question, const char** why);

struct PlaceAnswer {
  int32_t left_column;
  int32_t turns;  // clockwise quarter turns
  bool searched;  // false: the search found nothing and this is the fallback
};

// The autopilot's search; when it finds nothing, the reachable column where
// the piece comes to rest lowest, nearest first, unturned.
PlaceAnswer AnswerPlace(const PlaceQuestion& question);

// velquadro-bench place: question on standard input, "LEFT TURNS search" or
// "LEFT TURNS fallback" on standard output; exit status 2 for bad input.
int PlaceMode(int argc, char** argv);

}  // namespace vq
