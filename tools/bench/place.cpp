#include "place.h"

#include <cctype>
#include <cstdlib>
#include <initializer_list>

#include "bench_args.h"

namespace vq {

namespace {

// Reads the next whitespace-separated word as a whole number from min to max;
// false at the end of the input, for a word too long to be such a number, or
// for anything else.
bool ReadNumber(std::FILE* in, long min, long max, int32_t* value) {
  char word[16];
  size_t length = 0;
  int c;
  while ((c = std::fgetc(in)) != EOF && std::isspace(c)) {}
  for (; c != EOF && !std::isspace(c); c = std::fgetc(in)) {
    if (length + 1 >= sizeof word) return false;
    word[length++] = static_cast<char>(c);
  }
  word[length] = '\0';
  int number;
  if (length == 0 || !ParseCount(word, min, max, &number)) return false;
  *value = number;
  return true;
}

// Whether only whitespace is left.
bool AtEnd(std::FILE* in) {
  int c;
  while ((c = std::fgetc(in)) != EOF && std::isspace(c)) {}
  if (c == EOF) return true;
  std::ungetc(c, in);
  return false;
}

// Whether the piece, top row at top_row, fits into column (both rows that are
// on the Board empty): the side moves' own test, column by column.
bool ColumnFree(const int32_t board[kCells], int32_t column, int32_t top_row) {
  for (int32_t row = top_row; row <= top_row + 1; ++row) {
    if (row >= 0 && board[row * kColumns + column] != kEmpty) return false;
  }
  return true;
}

PlaceAnswer Fallback(const PlaceQuestion& q) {
  int32_t lowest = q.left_column;
  while (lowest > 0 && ColumnFree(q.board, lowest - 1, q.top_row)) --lowest;
  int32_t highest = q.left_column;
  while (highest < kColumns - 2 && ColumnFree(q.board, highest + 2, q.top_row)) ++highest;
  PlaceAnswer best{q.left_column, 0, false};
  int32_t best_row = -1;
  for (int32_t distance = 0; distance < kColumns; ++distance) {
    for (int32_t column : {q.left_column - distance, q.left_column + distance}) {
      int32_t rest[4];
      if (column < lowest || column > highest || !RestingPlace(q.board, q.top_row + 1, column, rest)) continue;
      const int32_t top = rest[kTopLeft] < rest[kTopRight] ? rest[kTopLeft] : rest[kTopRight];
      if (top / kColumns > best_row) {
        best_row = top / kColumns;
        best.left_column = column;
      }
    }
  }
  return best;
}

}  // namespace

bool ReadPlaceQuestion(std::FILE* in, PlaceQuestion* question, const char** why) {
  PlaceQuestion q{};
  for (int32_t& cell : q.board) {
    if (!ReadNumber(in, kEmpty, kMarkedTwo, &cell)) return !(*why = "expected 160 cell codes from 0 to 4");
  }
  for (int32_t& colour : q.colours) {
    if (!ReadNumber(in, kColourOne, kColourTwo, &colour)) return !(*why = "expected 4 piece colours, 1 or 2");
  }
  q.left_column = 8;
  q.top_row = -2;
  if (!AtEnd(in) &&
      (!ReadNumber(in, 0, kColumns - 2, &q.left_column) || !ReadNumber(in, -2, kRows - 2, &q.top_row) || !AtEnd(in))) {
    return !(*why = "expected nothing more, or the piece's left column (0 to 14) and top row (-2 to 8)");
  }
  *question = q;
  return true;
}

PlaceAnswer AnswerPlace(const PlaceQuestion& q) {
  Playfield field{};
  for (int32_t i = 0; i < kCells; ++i) field.board[i] = q.board[i];
  for (int corner = 0; corner < 4; ++corner) {
    field.piece.pos[corner] = (q.top_row + corner / 2) * kColumns + q.left_column + corner % 2;
    field.piece.colour[corner] = q.colours[corner];
  }
  // A piece just spawned was brought by a gravity step: the next comes in
  // nine frames, as FramesToLock counts them.
  field.frame_counter = 1;
  Placement best;
  if (SearchPlacement(field, &best)) return PlaceAnswer{best.left_column, best.turns, true};
  return Fallback(q);
}

int PlaceMode(int argc, char**) {
  const char* why = nullptr;
  PlaceQuestion question;
  if (argc != 0 || !ReadPlaceQuestion(stdin, &question, &why)) {
    std::fprintf(stderr, "velquadro-bench place: %s\n", why ? why : "takes no arguments");
    std::fprintf(stderr, "usage: velquadro-bench place < 160 cell codes, 4 colours [, left column, top row]\n");
    return 2;
  }
  const PlaceAnswer answer = AnswerPlace(question);
  std::printf("%d %d %s\n", answer.left_column, answer.turns, answer.searched ? "search" : "fallback");
  return 0;
}

}  // namespace vq
