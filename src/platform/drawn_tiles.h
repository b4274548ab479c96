// What changed on the screen, found from the drawing itself: the blits of a
// frame are noted, not yet done, and each tile of the screen sums up the
// blits that reach it. A tile whose blits are the same as last frame's, from
// an opaque image that covers it whole onwards, shows the same pixels as
// before: it is neither drawn again nor presented. Only the other tiles are
// drawn (each blit clipped to them) and presented. Between two frames of a
// game little changes (the Timeline's column, the falling block, the
// visualiser, a few digits, the sparks), so most of the drawing and of the
// presentation is spared, and the picture is the same to the pixel: every
// pixel of a blit depends only on the image's pixel and the screen's below
// it. Plain C++, no SDL.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/visible_parts.h"

namespace vq {

// The tiles are 20x20 pixels: 40x30 of them on the 800x600 picture. Smaller
// tiles find less area changed but give the window system more rectangles.
constexpr int kTileSize = 20;

// One blit, clipped to the screen: the source rectangle of an image to (x, y).
struct TileBlit {
  const void* image;  // what the blit draws with
  uint64_t serial;    // the image's number, never given to another image
  bool opaque;        // every pixel of the image hides what lies below it
  int sx, sy, w, h, x, y;
};

class DrawnTiles {
 public:
  // For a screen of width x height, multiples of kTileSize, and at most
  // most_blits blits between two Resolves. Everything it needs is
  // allocated here, none in a frame.
  DrawnTiles(int width, int height, size_t most_blits)
      : columns_(width / kTileSize),
        rows_(height / kTileSize),
        sums_(Tiles()),
        states_(Tiles(), kUntouched),
        shown_(Tiles(), kUnknown),
        dirty_(static_cast<size_t>(columns_)) {
    blits_.reserve(most_blits);
    changed_.reserve(Tiles());
  }

  // Notes a blit; false when there is no room left: Resolve first.
  bool Add(const TileBlit& blit) {
    if (blits_.size() == blits_.capacity()) return false;
    blits_.push_back(blit);
    const int right = blit.x + blit.w, bottom = blit.y + blit.h;
    for (int row = blit.y / kTileSize; row <= (bottom - 1) / kTileSize; ++row) {
      for (int column = blit.x / kTileSize; column <= (right - 1) / kTileSize; ++column) {
        const size_t tile = static_cast<size_t>(row * columns_ + column);
        const bool covers = blit.opaque && blit.x <= column * kTileSize && right >= (column + 1) * kTileSize &&
                            blit.y <= row * kTileSize && bottom >= (row + 1) * kTileSize;
        if (covers) {
          // What was below no longer shows: the tile's pixels follow from
          // this blit and the ones after it alone.
          states_[tile] = kCovered;
          sums_[tile] = kSeed;
        } else if (states_[tile] == kUntouched) {
          states_[tile] = kLayered;
        }
        sums_[tile] =
            Mix(Mix(Mix(sums_[tile], blit.serial), Pack(blit.sx, blit.sy, blit.w)), Pack(blit.h, blit.x, blit.y));
      }
    }
    return true;
  }

  // The blits noted since the last Resolve, in order.
  const std::vector<TileBlit>& Blits() const { return blits_; }

  // The tiles that the blits noted change, as rectangles that do not
  // overlap: a tile covered by the same blits as what it shows is left out,
  // as is a tile that no blit reaches; a tile drawn over without being
  // covered is always in. From now on the tiles count as showing what these
  // blits draw: draw them there, then call Drawn. Valid until the next
  // call.
  const std::vector<PixelRect>& Resolve() {
    changed_.clear();
    for (int row = 0; row < rows_; ++row) {
      bool any = false;
      for (int column = 0; column < columns_; ++column) {
        const size_t tile = static_cast<size_t>(row * columns_ + column);
        bool changed = false;
        if (states_[tile] == kCovered) {
          changed = sums_[tile] != shown_[tile];
          shown_[tile] = sums_[tile];
        } else if (states_[tile] == kLayered) {
          changed = true;  // it shows what was there before too
          shown_[tile] = kUnknown;
        }
        states_[tile] = kUntouched;
        dirty_[static_cast<size_t>(column)] = changed;
        any = any || changed;
      }
      for (int column = 0; any && column < columns_;) {
        if (!dirty_[static_cast<size_t>(column)]) {
          ++column;
          continue;
        }
        const int first = column;
        while (column < columns_ && dirty_[static_cast<size_t>(column)]) ++column;
        AddRun(PixelRect{first * kTileSize, row * kTileSize, (column - first) * kTileSize, kTileSize});
      }
    }
    return changed_;
  }

  // The blits resolved were drawn: they are forgotten.
  void Drawn() { blits_.clear(); }

  // What the screen shows is no longer known (a new screen): every tile the
  // next blits reach is drawn.
  void Forget() { std::fill(shown_.begin(), shown_.end(), kUnknown); }

 private:
  enum State : uint8_t { kUntouched, kCovered, kLayered };
  static constexpr uint64_t kUnknown = 0;  // no sum of blits is 0 but by a 1 in 2^64 chance
  static constexpr uint64_t kSeed = 0x9E3779B97F4A7C15u;

  size_t Tiles() const { return static_cast<size_t>(columns_ * rows_); }

  static uint64_t Pack(int a, int b, int c) {
    return static_cast<uint64_t>(static_cast<uint32_t>(a) & 0x1FFFFF) |
           static_cast<uint64_t>(static_cast<uint32_t>(b) & 0x1FFFFF) << 21 |
           static_cast<uint64_t>(static_cast<uint32_t>(c) & 0x1FFFFF) << 42;
  }
  // SplitMix64's finaliser over the sum so far and the next value.
  static uint64_t Mix(uint64_t sum, uint64_t value) {
    uint64_t z = sum ^ (value + 0x9E3779B97F4A7C15u + (sum << 6) + (sum >> 2));
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }

  // A run of changed tiles that continues one of the row above with the same
  // columns lengthens it: a column that moves down the screen is then one
  // rectangle.
  void AddRun(const PixelRect& run) {
    for (PixelRect& above : changed_) {
      if (above.x == run.x && above.w == run.w && above.y + above.h == run.y) {
        above.h += run.h;
        return;
      }
    }
    changed_.push_back(run);
  }

  int columns_, rows_;
  std::vector<uint64_t> sums_;
  std::vector<uint8_t> states_;
  std::vector<uint64_t> shown_;
  std::vector<char> dirty_;
  std::vector<TileBlit> blits_;
  std::vector<PixelRect> changed_;
};

}  // namespace vq
