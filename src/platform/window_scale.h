// The window on a large screen: how many times the 800x600 picture it shows
// is enlarged, and the enlarging itself, each picture pixel a square of whole
// window pixels. Plain C++, no SDL.
#pragma once

#include <cstdint>
#include <cstring>

namespace vq {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

// Room a window manager needs around a window: its borders and title bar.
constexpr int kWindowFrameWidth = 32;
constexpr int kWindowFrameHeight = 64;

// The largest whole multiple of the picture that fits an area of the given
// size with room for the window's frame; 1 at the least.
inline int WindowScale(int area_width, int area_height) {
  int scale = 1;
  while ((scale + 1) * kScreenWidth + kWindowFrameWidth <= area_width &&
         (scale + 1) * kScreenHeight + kWindowFrameHeight <= area_height) {
    ++scale;
  }
  return scale;
}

// Enlarges a picture of 4-byte pixels factor times: each pixel becomes a
// factor x factor square. Each row is widened once and copied down.
inline void ScaleByWholePixels(const uint8_t* from, int from_pitch, int width, int height, uint8_t* to, int to_pitch,
                               int factor) {
  const size_t row_bytes = static_cast<size_t>(width) * static_cast<size_t>(factor) * 4;
  for (int y = 0; y < height; ++y, from += from_pitch) {
    uint8_t* first = to;
    uint8_t* out = first;
    for (int x = 0; x < width; ++x) {
      for (int i = 0; i < factor; ++i, out += 4) std::memcpy(out, from + 4 * x, 4);
    }
    to += to_pitch;
    for (int i = 1; i < factor; ++i, to += to_pitch) std::memcpy(to, first, row_bytes);
  }
}

}  // namespace vq
