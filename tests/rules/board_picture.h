// Boards drawn as text for the tests: one string per row, '.' for an empty
// cell and the digits 1 to 4 for the codes. The rows given are the bottom
// rows of the board; missing cells on the right are empty.
#pragma once

#include <string>
#include <vector>

#include "rules/playfield.h"

namespace vq {

using Rows = std::vector<std::string>;

inline void DrawBoard(int32_t board[kCells], const Rows& bottom_rows) {
  for (int32_t i = 0; i < kCells; ++i) board[i] = kEmpty;
  int32_t row = kRows - static_cast<int32_t>(bottom_rows.size());
  for (const std::string& text : bottom_rows) {
    for (int32_t column = 0; column < kColumns && column < static_cast<int32_t>(text.size()); ++column) {
      if (text[column] != '.') board[row * kColumns + column] = text[column] - '0';
    }
    ++row;
  }
}

// The whole board as ten rows of sixteen characters, for comparisons that
// show where two boards differ.
inline std::string BoardText(const int32_t board[kCells]) {
  std::string text;
  for (int32_t i = 0; i < kCells; ++i) {
    text += board[i] == kEmpty ? '.' : static_cast<char>('0' + board[i]);
    if (i % kColumns == kColumns - 1) text += '\n';
  }
  return text;
}

// A board whose only occupied row is row 0.
inline Rows TopRow(const char* row0) {
  Rows rows(kRows, ".");
  rows[0] = row0;
  return rows;
}

inline std::string Picture(const Rows& bottom_rows) {
  int32_t board[kCells];
  DrawBoard(board, bottom_rows);
  return BoardText(board);
}

// A piece with its left column's top at top_left and its right column's top
// at top_right; each bottom lies one row below its top.
inline void PlacePiece(Piece& piece, int32_t top_left, int32_t top_right) {
  piece.pos[kTopLeft] = top_left;
  piece.pos[kTopRight] = top_right;
  piece.pos[kBottomLeft] = top_left + kColumns;
  piece.pos[kBottomRight] = top_right + kColumns;
}

}  // namespace vq
