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

namespace {

void DrawNumberFrom(Platform& platform, const DigitStrip& strip, int32_t value, int left_x, int top_y) {
  if (value < 0) return;
  const int32_t n = HighestDigitIndex(value);
  // Drawn from the least significant digit up: each glyph covers the leftmost
  // pixels of the glyph to its right.
  const int height = platform.ImageHeight(strip.image);
  for (int32_t i = 0; i <= n; ++i) {
    platform.BlitRegion(strip.image, strip.glyph_width * DigitOf(value, i), 0, strip.glyph_width, height,
                        left_x + strip.advance * (n - i), top_y);
  }
}

}  // namespace

void DrawNumber(Platform& platform, Image* digit_strip, int32_t value, int left_x, int top_y) {
  DrawNumberFrom(platform, DigitStrip{digit_strip, kGlyphWidth, kGlyphAdvance}, value, left_x, top_y);
}

int NumberWidth(const DigitStrip& strip, int32_t value) {
  if (value < 0) return 0;
  // The last glyph's ink ends where the next glyph would begin.
  return strip.advance * (HighestDigitIndex(value) + 1);
}

void DrawNumberRight(Platform& platform, const DigitStrip& strip, int32_t value, int right_x, int top_y) {
  DrawNumberFrom(platform, strip, value, right_x - NumberWidth(strip, value), top_y);
}

void DrawDigitText(Platform& platform, const DigitStrip& strip, const char* text, int left_x, int top_y) {
  const int height = platform.ImageHeight(strip.image);
  for (int i = 0; text[i] != 0; ++i) {
    const char c = text[i];
    const int glyph = c == '-' ? 10 : c - '0';
    if (glyph < 0 || glyph > 10) continue;
    platform.BlitRegion(strip.image, strip.glyph_width * glyph, 0, strip.glyph_width, height,
                        left_x + strip.advance * i, top_y);
  }
}

}  // namespace vq
