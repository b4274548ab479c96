#include "rules/playfield.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace vq {
namespace {

// Every game starts the same way, also on a playfield a game has used: an
// empty Board, the fixed first piece at the spawn positions, the queue of the
// seed's first twelve numbers, the latch armed and the counters at their start.
TEST(Playfield, EveryGameStartsTheSameWayEvenOverAUsedOne) {
  std::srand(77);  // the game draws the C library's numbers of the same seed
  int32_t expected[3][4];
  for (auto& entry : expected)
    for (int32_t& colour : entry) colour = std::rand() % 2 + 1;
  Playfield used{};
  StartPlayfield(used, 1);
  for (int32_t& cell : used.board) cell = kMarkedTwo;
  used.piece = Piece{{100, 101, 116, 117}, {2, 2, 2, 2}};
  used.timeline = 14.9;
  used.sweep_score = used.score = used.previous_score = 321;
  used.level = used.skin = 4;
  used.frame_counter = 999;
  used.game_over = 1;
  used.move_latch = 0;
  for (Playfield p : {Playfield{}, used}) {
    StartPlayfield(p, 77);
    for (int32_t cell : p.board) ASSERT_EQ(cell, kEmpty);
    EXPECT_TRUE(std::equal(p.piece.pos, p.piece.pos + 4, kSpawnPositions));
    EXPECT_EQ(std::vector<int32_t>(p.piece.colour, p.piece.colour + 4), (std::vector<int32_t>{1, 1, 1, 2}));
    for (int e = 0; e < 3; ++e) EXPECT_TRUE(std::equal(p.queue.entry[e], p.queue.entry[e] + 4, expected[e])) << e;
    const std::vector<double> counters = {double(p.move_latch),     p.timeline,
                                          double(p.level),          double(p.skin),
                                          double(p.score),          double(p.sweep_score),
                                          double(p.previous_score), double(p.frame_counter),
                                          double(p.game_over)};
    EXPECT_EQ(counters, (std::vector<double>{1, 0, 1, 1, 0, 0, 0, 0, 0}));
  }
}

}  // namespace
}  // namespace vq
