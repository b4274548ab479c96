// The visible parts of an image with an alpha channel: a few rectangles that
// together hold every pixel that is not fully transparent. Blending a fully
// transparent pixel leaves the screen as it was, so blitting only these parts
// draws exactly the same picture as blitting the whole image, and much faster
// for a frame or a panel that is mostly empty space. Plain C++, no SDL.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vq {

struct PixelRect {
  int x, y, w, h;
};

// Rows are looked at in bands of this height.
constexpr int kVisibleBandRows = 8;
// Two visible runs of a band are joined when the transparent gap between them
// is at most this many pixels in area: blending a few empty pixels costs less
// than one more blit.
constexpr int kVisibleGapArea = 256;

// The parts of a width x height image whose alpha at (x, y) is alpha(x, y):
// rectangles that do not overlap, lie inside the image and together hold
// every pixel whose alpha is not 0; in rows from top to bottom. A wholly
// transparent image has no parts. When the parts would save little, the
// whole image is the one part.
template <typename AlphaAt>
std::vector<PixelRect> VisibleParts(int width, int height, AlphaAt alpha) {
  std::vector<PixelRect> parts;
  std::vector<bool> column_seen(static_cast<size_t>(width > 0 ? width : 0));
  for (int top = 0; top < height; top += kVisibleBandRows) {
    const int bottom = std::min(top + kVisibleBandRows, height);
    const int rows = bottom - top;
    for (int x = 0; x < width; ++x) {
      bool seen = false;
      for (int y = top; y < bottom && !seen; ++y) seen = alpha(x, y) != 0;
      column_seen[static_cast<size_t>(x)] = seen;
    }
    const size_t band_start = parts.size();
    for (int x = 0; x < width;) {
      if (!column_seen[static_cast<size_t>(x)]) {
        ++x;
        continue;
      }
      // A run of visible columns, joined with the next run over a small gap.
      int end = x + 1;
      for (;;) {
        while (end < width && column_seen[static_cast<size_t>(end)]) ++end;
        int next = end;
        while (next < width && !column_seen[static_cast<size_t>(next)]) ++next;
        if (next == width || (next - end) * rows > kVisibleGapArea) break;
        end = next;
      }
      // Only the rows of the band that the run shows.
      int first = bottom, last = top - 1;
      for (int y = top; y < bottom; ++y) {
        for (int c = x; c < end; ++c) {
          if (alpha(c, y) != 0) {
            first = std::min(first, y);
            last = y;
            break;
          }
        }
      }
      parts.push_back(PixelRect{x, first, end - x, last - first + 1});
      x = end;
    }
    // A part that continues the same columns straight down from the band
    // above becomes one with it.
    for (size_t i = band_start; i < parts.size();) {
      PixelRect& here = parts[i];
      auto above =
          std::find_if(parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(band_start),
                       [&](const PixelRect& r) { return r.x == here.x && r.w == here.w && r.y + r.h == here.y; });
      if (above == parts.begin() + static_cast<std::ptrdiff_t>(band_start)) {
        ++i;
        continue;
      }
      above->h += here.h;
      parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }

  int64_t area = 0;
  for (const PixelRect& r : parts) area += static_cast<int64_t>(r.w) * r.h;
  if (!parts.empty() && area * 4 > static_cast<int64_t>(width) * height * 3) {
    return {PixelRect{0, 0, width, height}};
  }
  return parts;
}

}  // namespace vq
