// Numbers drawn from the digit strip: ten glyphs 0 to 9, each 20 pixels wide,
// advancing 15 pixels per digit.
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

}  // namespace vq
