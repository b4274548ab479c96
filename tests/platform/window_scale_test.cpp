// The window's scale on screens of every size, and the picture enlarged into
// it by whole pixels.
#include "platform/window_scale.h"

#include <gtest/gtest.h>

#include <vector>

namespace vq {
namespace {

// Room is left for a window's frame: 1600x1200 needs more than 1600x1200.
TEST(WindowScale, TheLargestWholeMultipleThatFitsWithItsFrame) {
  struct Case {
    int width, height, scale;
  };
  const Case cases[] = {{1920, 1080, 1}, {1920, 1200, 1}, {1600, 1200, 1}, {2560, 1440, 2}, {2560, 1392, 2},
                        {3840, 2160, 3}, {3840, 2112, 3}, {5120, 2880, 4}, {800, 600, 1},   {0, 0, 1},
                        {2432, 1864, 3}, {2431, 1864, 2}, {2432, 1863, 2}};
  for (const Case& c : cases) EXPECT_EQ(WindowScale(c.width, c.height), c.scale) << c.width << "x" << c.height;
}

// Every pixel becomes a square of whole pixels, also where the rows of the
// window are wider than the picture's.
TEST(ScaleByWholePixels, EachPixelASquare) {
  constexpr int kWidth = 3, kHeight = 2;
  std::vector<uint32_t> picture(kWidth * kHeight);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = 0x01010101u * static_cast<uint32_t>(i + 1);
  for (int factor : {1, 2, 3}) {
    const int pitch = (kWidth * factor + 1) * 4;  // a spare pixel at the end of each row
    std::vector<uint32_t> window(static_cast<size_t>(pitch / 4 * kHeight * factor), 0xdeadbeefu);
    ScaleByWholePixels(reinterpret_cast<const uint8_t*>(picture.data()), kWidth * 4, kWidth, kHeight,
                       reinterpret_cast<uint8_t*>(window.data()), pitch, factor);
    for (int y = 0; y < kHeight * factor; ++y) {
      for (int x = 0; x <= kWidth * factor; ++x) {
        const uint32_t expected = x < kWidth * factor ? picture[y / factor * kWidth + x / factor] : 0xdeadbeefu;
        EXPECT_EQ(window[static_cast<size_t>(y * pitch / 4 + x)], expected) << factor << ": " << x << "," << y;
      }
    }
  }
}

}  // namespace
}  // namespace vq
