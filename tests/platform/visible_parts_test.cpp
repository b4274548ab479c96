#include "platform/visible_parts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace vq {
namespace {

// An alpha mask drawn as text: '.' transparent, anything else visible.
struct Mask {
  int width;
  int height;
  std::vector<std::string> rows;
  bool Visible(int x, int y) const { return rows[static_cast<size_t>(y)][static_cast<size_t>(x)] != '.'; }
};

std::vector<PixelRect> PartsOf(const Mask& mask) {
  return VisibleParts(mask.width, mask.height, [&](int x, int y) { return mask.Visible(x, y) ? 255 : 0; });
}

// Empty when the parts lie inside the image, do not overlap (a pixel blended
// twice would change the picture) and hold every visible pixel.
std::string CheckCover(int width, int height, const std::vector<PixelRect>& parts,
                       const std::function<bool(int, int)>& visible) {
  std::vector<int> covered(static_cast<size_t>(width * height), 0);
  for (const PixelRect& r : parts) {
    if (r.w <= 0 || r.h <= 0 || r.x < 0 || r.y < 0 || r.x + r.w > width || r.y + r.h > height)
      return "part outside the image at " + std::to_string(r.x) + "," + std::to_string(r.y);
    for (int y = r.y; y < r.y + r.h; ++y) {
      for (int x = r.x; x < r.x + r.w; ++x) {
        if (++covered[static_cast<size_t>(y * width + x)] > 1)
          return "pixel " + std::to_string(x) + "," + std::to_string(y) + " in two parts";
      }
    }
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (visible(x, y) && covered[static_cast<size_t>(y * width + x)] == 0)
        return "visible pixel " + std::to_string(x) + "," + std::to_string(y) + " left out";
    }
  }
  return {};
}

int64_t Area(const std::vector<PixelRect>& parts) {
  int64_t area = 0;
  for (const PixelRect& r : parts) area += static_cast<int64_t>(r.w) * r.h;
  return area;
}

// A wide, mostly empty mask with two small panels far apart.
Mask TwoPanels() {
  Mask m{200, 24, {}};
  for (int y = 0; y < 24; ++y) {
    std::string row(200, '.');
    for (int x = 10; x < 30; ++x) row[static_cast<size_t>(x)] = '#';
    if (y >= 4 && y < 20) {
      for (int x = 150; x < 190; ++x) row[static_cast<size_t>(x)] = '#';
    }
    m.rows.push_back(row);
  }
  return m;
}

TEST(VisibleParts, CoversWhatShowsAndSkipsEmptySpace) {
  struct Case {
    std::string name;
    Mask mask;
    size_t parts;  // expected number of parts
    int64_t area;  // the parts' total area
  };
  const std::vector<Case> cases = {
      {"wholly transparent: nothing to blit", {4, 3, {"....", "....", "...."}}, 0, 0},
      {"opaque: the whole image", {3, 2, {"###", "###"}}, 1, 6},
      {"mostly visible: the whole image is cheaper", {4, 2, {"#.##", "####"}}, 1, 8},
      {"one dot in empty space: just that pixel", {40, 20, {}}, 1, 1},
      {"two panels far apart: one part each, straight down", TwoPanels(), 2, 20 * 24 + 40 * 16},
  };
  for (Case c : cases) {
    if (c.mask.rows.empty()) {
      c.mask.rows.assign(20, std::string(40, '.'));
      c.mask.rows[13][27] = '#';
    }
    const std::vector<PixelRect> parts = PartsOf(c.mask);
    EXPECT_EQ(CheckCover(c.mask.width, c.mask.height, parts, [&](int x, int y) { return c.mask.Visible(x, y); }), "")
        << c.name;
    EXPECT_EQ(parts.size(), c.parts) << c.name;
    EXPECT_EQ(Area(parts), c.area) << c.name;
  }
  const std::vector<PixelRect> dot = PartsOf({3, 1, {".#."}});
  ASSERT_EQ(dot.size(), 1u);
  EXPECT_EQ(dot[0].x, 1);
}

TEST(VisibleParts, SmallGapsJoinRunsAndWideOnesSplitThem) {
  // One band of 8 rows: a gap of 4 columns (32 pixels of area) is joined, a
  // gap of 40 columns (320 pixels) is not.
  Mask m{100, 8, {}};
  for (int y = 0; y < 8; ++y) {
    std::string row(100, '.');
    row[0] = row[5] = row[46] = '#';
    m.rows.push_back(row);
  }
  const std::vector<PixelRect> parts = PartsOf(m);
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[0].x, 0);
  EXPECT_EQ(parts[0].w, 6);
  EXPECT_EQ(parts[1].x, 46);
  EXPECT_EQ(parts[1].w, 1);
}

TEST(VisibleParts, RandomSparseImagesAreCoveredExactly) {
  std::mt19937 random(12345);
  for (int trial = 0; trial < 300; ++trial) {
    const int width = 1 + static_cast<int>(random() % 120);
    const int height = 1 + static_cast<int>(random() % 60);
    // From a few scattered dots to blobs and stripes.
    const double density = std::uniform_real_distribution<double>(0.0, 0.3)(random);
    const int blob = 1 + static_cast<int>(random() % 12);
    std::vector<uint8_t> alpha(static_cast<size_t>(width * height), 0);
    for (int n = static_cast<int>(density * width * height / blob); n >= 0; --n) {
      const int x0 = static_cast<int>(random() % static_cast<unsigned>(width));
      const int y0 = static_cast<int>(random() % static_cast<unsigned>(height));
      for (int y = y0; y < std::min(height, y0 + blob); ++y) {
        for (int x = x0; x < std::min(width, x0 + blob); ++x) {
          alpha[static_cast<size_t>(y * width + x)] = static_cast<uint8_t>(1 + random() % 255);
        }
      }
    }
    auto at = [&](int x, int y) { return alpha[static_cast<size_t>(y * width + x)]; };
    const std::vector<PixelRect> parts = VisibleParts(width, height, at);
    ASSERT_EQ(CheckCover(width, height, parts, [&](int x, int y) { return at(x, y) != 0; }), "")
        << "trial " << trial << ", " << width << "x" << height;
    // Either the whole image, or parts that are tight: every edge of every
    // part holds a visible pixel, so no empty row or column is blended.
    if (parts.size() == 1 && Area(parts) == static_cast<int64_t>(width) * height) continue;
    for (const PixelRect& r : parts) {
      bool left = false, right = false, top = false, bottom = false;
      for (int y = r.y; y < r.y + r.h; ++y) {
        left = left || at(r.x, y) != 0;
        right = right || at(r.x + r.w - 1, y) != 0;
      }
      for (int x = r.x; x < r.x + r.w; ++x) {
        top = top || at(x, r.y) != 0;
        bottom = bottom || at(x, r.y + r.h - 1) != 0;
      }
      ASSERT_TRUE(left && right && top && bottom) << "trial " << trial << ": part at " << r.x << "," << r.y;
    }
  }
}

}  // namespace
}  // namespace vq
