#include "draw/number_renderer.h"

namespace vq {

namespace {

constexpr int kGlyphWidth = 20;
constexpr int kGlyphAdvance = 15;

}  // namespace

int32_t HighestDigitIndex(int32_t value) {
  // The powers of ten are formed in 64 bits: 10^10 does not fit in 32.
  int32_t k = 1;
  for (int64_t p = 10; p <= value; p *= 10) ++k;
  return k - 1;
}

int32_t DigitOf(int32_t value, int32_t k) {
  for (int32_t i = 0; i < k && value > 0; ++i) value /= 10;
  return value % 10;
}

void DrawNumber(Platform& platform, Image* digit_strip, int32_t value, int left_x, int top_y) {
  if (value < 0) return;
  const int32_t n = HighestDigitIndex(value);
  // Drawn from the least significant digit up: each glyph covers the leftmost
  // pixels of the glyph to its right.
  const int height = platform.ImageHeight(digit_strip);
  for (int32_t i = 0; i <= n; ++i) {
    platform.BlitRegion(digit_strip, kGlyphWidth * DigitOf(value, i), 0, kGlyphWidth, height,
                        left_x + kGlyphAdvance * (n - i), top_y);
  }
}

}  // namespace vq
