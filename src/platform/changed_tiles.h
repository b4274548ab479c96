// What changed on the screen since the picture last presented: the picture is
// compared with a copy of the last one in tiles, and the tiles that differ
// come out as a few rectangles. Between two frames of a game little changes
// (the Timeline's column, the falling block, the visualiser, a few digits,
// the sparks), so presenting those rectangles alone spares the window system
// most of the picture. Plain C++, no SDL.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/visible_parts.h"

namespace vq {

// The tiles are 20x20 pixels: 40x30 of them on the 800x600 picture. Smaller
// tiles find less area changed but give the window system more rectangles.
constexpr int kTileSize = 20;

class ChangedTiles {
 public:
  // For pictures of width x height 4-byte pixels, both multiples of
  // kTileSize. Everything it needs is allocated here, none in a frame.
  ChangedTiles(int width, int height)
      : width_(width),
        height_(height),
        columns_(width / kTileSize),
        last_(static_cast<size_t>(width) * static_cast<size_t>(height) * 4),
        dirty_(static_cast<size_t>(columns_)) {
    changed_.reserve(static_cast<size_t>(columns_ * (height / kTileSize)));
  }

  // Compares the picture with the one last taken and keeps it as the last
  // one. The rectangles that differ, which do not overlap; the whole
  // picture as one when `whole` (the last picture is
  // unknown: the first, or the window lost what it showed). Valid until the
  // next call.
  const std::vector<PixelRect>& Take(const uint8_t* pixels, int pitch, bool whole) {
    changed_.clear();
    const size_t row_bytes = static_cast<size_t>(width_) * 4;
    if (whole) {
      for (int y = 0; y < height_; ++y) std::memcpy(Last(0, y), pixels + y * pitch, row_bytes);
      changed_.push_back(PixelRect{0, 0, width_, height_});
      return changed_;
    }
    for (int top = 0; top < height_; top += kTileSize) {
      std::fill(dirty_.begin(), dirty_.end(), 0);
      bool any = false;
      for (int y = top; y < top + kTileSize; ++y) {
        const uint8_t* row = pixels + y * pitch;
        // Most rows are the same as before all along: one comparison each.
        if (std::memcmp(row, Last(0, y), row_bytes) == 0) continue;
        for (int c = 0; c < columns_; ++c) {
          const int x = c * kTileSize;
          if (!dirty_[c] && std::memcmp(row + x * 4, Last(x, y), kTileSize * 4) != 0) dirty_[c] = any = true;
        }
      }
      for (int c = 0; any && c < columns_;) {
        if (!dirty_[c]) {
          ++c;
          continue;
        }
        const int first = c;
        while (c < columns_ && dirty_[c]) ++c;
        const PixelRect run{first * kTileSize, top, (c - first) * kTileSize, kTileSize};
        for (int y = top; y < top + kTileSize; ++y)
          std::memcpy(Last(run.x, y), pixels + y * pitch + run.x * 4, static_cast<size_t>(run.w) * 4);
        AddRun(run);
      }
    }
    return changed_;
  }

 private:
  uint8_t* Last(int x, int y) { return last_.data() + (static_cast<size_t>(y) * width_ + x) * 4; }

  // A run of changed tiles that continues one of the band above with the
  // same columns lengthens it: a column that moves down the screen is then
  // one rectangle.
  void AddRun(const PixelRect& run) {
    for (PixelRect& above : changed_) {
      if (above.x == run.x && above.w == run.w && above.y + above.h == run.y) {
        above.h += run.h;
        return;
      }
    }
    changed_.push_back(run);
  }

  int width_, height_, columns_;
  std::vector<uint8_t> last_;
  std::vector<char> dirty_;
  std::vector<PixelRect> changed_;
};

}  // namespace vq
