#include "draw/number_renderer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake_platform.h"

namespace vq {
namespace {

TEST(HighestDigitIndex, CountsDigitsMinusOne) {
  struct Case {
    int32_t value;
    int32_t expected;
  };
  const Case cases[] = {
      {-5, 0},  {0, 0},         {9, 0},          {10, 1},         {99, 1},
      {100, 2}, {999999999, 8}, {1000000000, 9}, {2147483647, 9}, {INT32_MIN, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(HighestDigitIndex(c.value), c.expected) << c.value;
}

TEST(DigitOf, TheDecimalDigitOfEachPower) {
  struct Case {
    int32_t value, k, expected;
  };
  const Case cases[] = {
      {1234, 0, 4}, {1234, 2, 2}, {1234, 3, 1}, {1234, 4, 0}, {2147483647, 9, 2}, {2147483647, 10, 0}, {0, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DigitOf(c.value, c.k), c.expected) << c.value << " k=" << c.k;
  }
}

struct Glyph {
  int digit;
  int x;
};

std::vector<Glyph> DrawnGlyphs(int32_t value, int left_x, int top_y) {
  FakePlatform fake;
  Image* strip = fake.LoadImage("gfx/numbers.png");
  DrawNumber(fake, strip, value, left_x, top_y);
  std::vector<Glyph> glyphs;
  for (const auto& b : fake.blits) {
    // Every glyph is a whole 20-pixel cell of the strip at the anchor's top.
    EXPECT_EQ(b.image, "gfx/numbers.png");
    EXPECT_EQ(b.sx % 20, 0);
    EXPECT_EQ(b.sy, 0);
    EXPECT_EQ(b.w, 20);
    EXPECT_EQ(b.h, 20);
    EXPECT_EQ(b.y, top_y);
    glyphs.push_back({b.sx / 20, b.x});
  }
  fake.FreeImage(strip);
  return glyphs;
}

// The glyphs in drawing order: the least significant digit first, each 15
// pixels left of the one before.
TEST(DrawNumber, DrawsDigitsRightToLeftWithFifteenPixelAdvance) {
  struct Case {
    int32_t value;
    std::vector<Glyph> glyphs;
  };
  const std::vector<Case> cases = {
      {0, {{0, 520}}},
      {9, {{9, 520}}},
      {10, {{0, 535}, {1, 520}}},
      {30, {{0, 535}, {3, 520}}},
      {1000, {{0, 565}, {0, 550}, {0, 535}, {1, 520}}},
      {2147483647,
       {{7, 655}, {4, 640}, {6, 625}, {3, 610}, {8, 595}, {4, 580}, {7, 565}, {4, 550}, {1, 535}, {2, 520}}},
      {1000000000,
       {{0, 655}, {0, 640}, {0, 625}, {0, 610}, {0, 595}, {0, 580}, {0, 565}, {0, 550}, {0, 535}, {1, 520}}},
      {-1, {}},
      {INT32_MIN, {}},
  };
  for (const Case& c : cases) {
    std::vector<Glyph> drawn = DrawnGlyphs(c.value, 520, 477);
    ASSERT_EQ(drawn.size(), c.glyphs.size()) << c.value;
    for (size_t i = 0; i < drawn.size(); ++i) {
      EXPECT_EQ(drawn[i].digit, c.glyphs[i].digit) << c.value << " glyph " << i;
      EXPECT_EQ(drawn[i].x, c.glyphs[i].x) << c.value << " glyph " << i;
    }
  }
}

TEST(DrawNumber, GlyphsTakeTheStripHeight) {
  FakePlatform fake;
  fake.sizes["gfx/numbers.png"] = {200, 32};
  Image* strip = fake.LoadImage("gfx/numbers.png");
  DrawNumber(fake, strip, 57, 640, 185);
  ASSERT_EQ(fake.blits.size(), 2u);
  for (const auto& b : fake.blits) EXPECT_EQ(b.h, 32);
  fake.FreeImage(strip);
}

}  // namespace
}  // namespace vq
