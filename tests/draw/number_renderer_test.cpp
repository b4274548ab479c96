#include "draw/number_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/fake_platform.h"

namespace vq {
namespace {

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
    // A glyph shows one digit only when it is that digit's whole cell of the
    // strip, at the anchor's top; anything else reads as no digit (-1).
    const bool whole = b.sx % 20 == 0 && b.sy == 0 && b.w == 20 && b.h == 20 && b.y == top_y;
    glyphs.push_back({whole ? b.sx / 20 : -1, b.x});
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

// The records' numbers stand right-aligned in their column: the place of the
// last digit ends at the right edge, whatever the number of digits, and the
// glyphs read back as the number.
TEST(DrawNumberRight, EndsAtTheRightEdgeAndReadsBack) {
  FakePlatform fake;
  fake.sizes["gfx/digits.png"] = {132, 16};
  const DigitStrip strip{fake.LoadImage("gfx/digits.png"), 12, 10};
  for (const int32_t value : {0, 7, 10, 305, 2147483647}) {
    fake.ClearBlits();
    DrawNumberRight(fake, strip, value, 594, 226);
    std::vector<std::pair<int, int>> by_x;  // left edge, digit
    for (const auto& b : fake.blits) by_x.push_back({b.x, b.sx / 12});
    std::sort(by_x.begin(), by_x.end());
    std::string read;
    for (const auto& glyph : by_x) read += static_cast<char>('0' + glyph.second);
    EXPECT_EQ(read, std::to_string(value));
    ASSERT_FALSE(by_x.empty());
    EXPECT_EQ(by_x.back().first + strip.advance, 594) << value;
  }
  fake.FreeImage(strip.image);
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
