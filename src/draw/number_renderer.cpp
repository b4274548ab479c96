#include "draw/number_renderer.h"

namespace vq {

namespace {

constexpr int kGlyphWidth = 20;
constexpr int kGlyphAdvance = 15;
constexpr int kMaxDigits = 10;  // 2,147,483,647 has ten

}  // namespace

int32_t HighestDigitIndex(int32_t value) {
  // The powers of ten are formed in 64 bits: 10^10 does not fit in 32.
  int32_t k = 1;
  for (int64_t p = 10; p <= value; p *= 10) ++k;
  return k - 1;
}

int32_t DigitAt(int32_t value, int32_t k) {
  if (k < 0) return value;
  int64_t p = 1;
  for (int32_t i = 0; i < k; ++i) {
    p *= 10;
    if (p > INT32_MAX) return 0;  // beyond the largest value's top digit
  }
  return static_cast<int32_t>(value / p);
}

void DrawNumber(Platform& platform, Image* digit_strip, int32_t value, int left_x, int top_y) {
  if (value < 0) return;
  int32_t digit[kMaxDigits];
  const int32_t n = HighestDigitIndex(value);

  // Split from the most significant digit down.
  int32_t remaining = value;
  int32_t power = 1;
  for (int32_t k = 0; k < n; ++k) power *= 10;
  for (int32_t k = n; k >= 0; --k) {
    digit[k] = DigitAt(remaining, k);
    remaining -= digit[k] * power;
    power /= 10;
  }

  // Draw from the least significant digit up: each glyph covers the leftmost
  // pixels of the glyph to its right.
  const int height = platform.ImageHeight(digit_strip);
  for (int32_t i = 0; i <= n; ++i) {
    platform.BlitRegion(digit_strip, kGlyphWidth * digit[i], 0, kGlyphWidth, height, left_x + kGlyphAdvance * (n - i),
                        top_y);
  }
}

}  // namespace vq
