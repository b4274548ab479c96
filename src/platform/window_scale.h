// The window on a large screen: how many times the 800x600 picture it shows
// is enlarged, and the enlarging itself, each picture pixel a square of whole
// window pixels; and full screen's smooth enlarging, part by part. Plain C++,
// no SDL.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/visible_parts.h"

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

// The place on a screen of width x height where full screen shows the picture:
// as large as it fits with its shape kept, in the middle, as SDL 2's logical
// size puts it (the same float arithmetic, so the same pixels).
inline PixelRect FullScreenPlace(int width, int height) {
  const float picture_aspect = static_cast<float>(kScreenWidth) / kScreenHeight;
  const float screen_aspect = static_cast<float>(width) / static_cast<float>(height);
  PixelRect place{0, 0, width, height};
  if (picture_aspect > screen_aspect) {  // bars above and below
    const float scale = static_cast<float>(width) / kScreenWidth;
    place.h = static_cast<int>(static_cast<float>(kScreenHeight) * scale);
    place.y = (height - place.h) / 2;
  } else if (picture_aspect < screen_aspect) {  // bars left and right
    const float scale = static_cast<float>(height) / kScreenHeight;
    place.w = static_cast<int>(static_cast<float>(kScreenWidth) * scale);
    place.x = (width - place.w) / 2;
  }
  return place;
}

// The smooth enlarging of a picture that SDL 2's software renderer does for
// full screen (SDL_SoftStretchLinear, in its SSE2 form, which every x86-64
// runs): each output pixel weighs the four nearest picture pixels in 128ths,
// rows first, then columns, rounded down once at the end. Computed here for
// any part of the output, pixel for pixel what SDL computes for the whole,
// so that a picture presented in parts shows what the whole one would.
class LinearScale {
 public:
  // Sets up the enlarging of a from_w x from_h picture (2 pixels at least
  // each way) to to_w x to_h. Allocates: only when the size changes.
  void Resize(int from_w, int from_h, int to_w, int to_h) {
    Samples(from_w, to_w, &columns_, &reach_x_);
    Samples(from_h, to_h, &rows_, &reach_y_);
  }

  // The output rectangle whose pixels the given part of the picture weighs in.
  PixelRect Reach(const PixelRect& part) const {
    const int left = reach_x_[static_cast<size_t>(part.x)].first;
    const int top = reach_y_[static_cast<size_t>(part.y)].first;
    return PixelRect{left, top, reach_x_[static_cast<size_t>(part.x + part.w - 1)].last - left,
                     reach_y_[static_cast<size_t>(part.y + part.h - 1)].last - top};
  }

  // Writes the output pixels of `part` (in output coordinates) from the
  // picture of 4-byte pixels; `to` is the output's pixel (0, 0).
  void Scale(const uint8_t* from, int from_pitch, uint8_t* to, int to_pitch, const PixelRect& part) const {
    for (int y = part.y; y < part.y + part.h; ++y) {
      const Sample row = rows_[static_cast<size_t>(y)];
      const uint8_t* upper = from + static_cast<std::ptrdiff_t>(row.first) * from_pitch;
      const uint8_t* lower = upper + from_pitch;
      const uint64_t lower_weight = static_cast<uint64_t>(row.weight);
      const uint64_t upper_weight = kOne - lower_weight;
      uint8_t* out = to + static_cast<std::ptrdiff_t>(y) * to_pitch + static_cast<std::ptrdiff_t>(part.x) * 4;
      for (int x = part.x; x < part.x + part.w; ++x, out += 4) {
        const Sample column = columns_[static_cast<size_t>(x)];
        const size_t at = static_cast<size_t>(column.first) * 4;
        // Each pixel's four bytes as 16-bit lanes: a row's sum stays below
        // 2^15 in each lane, as in SDL's 16-bit SSE2 arithmetic.
        const uint64_t left = Lanes(upper + at) * upper_weight + Lanes(lower + at) * lower_weight;
        const uint64_t right = Lanes(upper + at + 4) * upper_weight + Lanes(lower + at + 4) * lower_weight;
        // The columns' sums need up to 22 bits: bytes 0 and 2, then 1 and 3,
        // in 32-bit lanes.
        const uint64_t right_weight = static_cast<uint64_t>(column.weight);
        const uint64_t left_weight = kOne - right_weight;
        constexpr uint64_t kEven = 0x0000FFFF0000FFFFu;
        const uint64_t even = (((left & kEven) * left_weight + (right & kEven) * right_weight) >> 14) & kEven;
        const uint64_t odd =
            ((((left >> 16) & kEven) * left_weight + ((right >> 16) & kEven) * right_weight) >> 14) & kEven;
        const uint32_t pixel = static_cast<uint32_t>((even & 0xFF) | ((odd & 0xFF) << 8) | ((even >> 16) & 0xFF0000) |
                                                     ((odd >> 8) & 0xFF000000u));
        std::memcpy(out, &pixel, 4);
      }
    }
  }

 private:
  static constexpr uint64_t kOne = 128;  // a whole pixel's weight

  // The output's pixel weighs the picture's pixel `first` by 128 - weight
  // and the next one by weight.
  struct Sample {
    int first, weight;
  };
  // The output pixels [first, last) that a picture pixel weighs in.
  struct Span {
    int first, last;
  };

  static uint64_t Lanes(const uint8_t* pixel) {
    return static_cast<uint64_t>(pixel[0]) | static_cast<uint64_t>(pixel[1]) << 16 |
           static_cast<uint64_t>(pixel[2]) << 32 | static_cast<uint64_t>(pixel[3]) << 48;
  }

  // SDL's positions along one side: the output pixel i's centre in the
  // picture, in 16.16 fixed point, x0 + i * step; before the first pixel's
  // centre it takes the first pixel, past the last but one the last.
  static void Samples(int from, int to, std::vector<Sample>* samples, std::vector<Span>* reach) {
    const uint32_t step = (static_cast<uint32_t>(from) << 16) / static_cast<uint32_t>(to);
    const int x0 = static_cast<int>((static_cast<int64_t>(step) * 0x8000 + 0x8000) >> 16) - 0x8000;
    samples->resize(static_cast<size_t>(to));
    reach->assign(static_cast<size_t>(from), Span{to, 0});
    for (int i = 0; i < to; ++i) {
      const int position = x0 + i * static_cast<int>(step);
      Sample sample{0, 0};
      if (position >= 0) {
        const int index = position >> 16;
        sample = index > from - 2 ? Sample{from - 2, static_cast<int>(kOne)} : Sample{index, (position >> 9) & 127};
      }
      (*samples)[static_cast<size_t>(i)] = sample;
      for (int p = sample.first; p <= sample.first + 1; ++p) {
        Span& r = (*reach)[static_cast<size_t>(p)];
        r.first = std::min(r.first, i);
        r.last = std::max(r.last, i + 1);
      }
    }
    // A picture pixel that no output pixel weighs (a picture made smaller)
    // reaches nothing, just after what the one before it reaches.
    for (int p = 0, end = 0; p < from; ++p) {
      Span& r = (*reach)[static_cast<size_t>(p)];
      if (r.first >= r.last) r = Span{end, end};
      end = r.last;
    }
  }

  std::vector<Sample> columns_, rows_;
  std::vector<Span> reach_x_, reach_y_;
};

}  // namespace vq
