// Numbers drawn from a digit strip: the HUD's ten glyphs 0 to 9, each 20
// pixels wide, advancing 15 pixels per digit; or the records table's smaller
// strip, whose eleventh glyph is a dash for the dates.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace vq {

// Number of decimal digits of value minus 1; 0 for every value below 10.
int32_t HighestDigitIndex(int32_t value);

// The decimal digit of 10^k in a value of 0 or more; 0 beyond its highest.
int32_t DigitOf(int32_t value, int32_t k);

// Draws value with its most significant digit's left edge at left_x and all
// glyph tops at top_y. A negative value draws nothing.
void DrawNumber(Platform& platform, Image* digit_strip, int32_t value, int left_x, int top_y);

// A strip of glyph_width-wide glyphs 0 to 9 (and '-' after them), drawn
// advance pixels apart.
struct DigitStrip {
  Image* image;
  int glyph_width;
  int advance;
};

// The width value takes when drawn from the strip; 0 for a negative value.
int NumberWidth(const DigitStrip& strip, int32_t value);

// Draws value with its right edge at right_x. A negative value draws nothing.
void DrawNumberRight(Platform& platform, const DigitStrip& strip, int32_t value, int right_x, int top_y);

// Draws text of digits and dashes from its left edge; other characters are
// skipped and leave their place empty.
void DrawDigitText(Platform& platform, const DigitStrip& strip, const char* text, int left_x, int top_y);

}  // namespace vq
