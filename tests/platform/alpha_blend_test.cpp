#include "platform/alpha_blend.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace vq {
namespace {

TEST(BlendPixel, WritesWhatSdlsBlitterWrites) {
  struct Case {
    uint32_t source, screen, expected;
  };
  const Case cases[] = {
      {0x00FFFFFF, 0x12345678, 0x12345678},  // transparent: the screen stays
      {0xFF102030, 0x00405060, 0xFF102030},  // opaque: copied, alpha byte too
      {0x80FF0000, 0x000000FF, 0x7F7F007E},  // half: each side rounded down
      {0x01FFFFFF, 0xAB000000, 0xA9000000},  // the screen's top byte blends too
      {0xFEFFFFFF, 0x00FFFFFF, 0xFDFDFDFD},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BlendPixel(c.source, c.screen), c.expected) << std::hex << c.source << " on " << c.screen;
  }
}

// Four pixels at a time must give what one at a time gives, whatever the
// alphas of a group (all clear, all opaque, mixed) and the length of the tail.
TEST(BlendRow, MatchesBlendPixelForEveryRowLength) {
  std::mt19937 random(7);
  const uint32_t alphas[] = {0, 255, 1, 128, 254};
  for (int count = 1; count <= 13; ++count) {
    for (int pattern = 0; pattern < 40; ++pattern) {
      std::vector<uint32_t> source(static_cast<size_t>(count)), screen(source.size());
      for (size_t i = 0; i < source.size(); ++i) {
        const uint32_t alpha = pattern < 5 ? alphas[pattern] : alphas[random() % 5];
        source[i] = (alpha << 24) | (random() & 0xFFFFFF);
        screen[i] = static_cast<uint32_t>(random());
      }
      std::vector<uint32_t> blended = screen;
      BlendRow(reinterpret_cast<const uint8_t*>(source.data()), reinterpret_cast<uint8_t*>(blended.data()), count);
      for (size_t i = 0; i < source.size(); ++i) {
        ASSERT_EQ(blended[i], BlendPixel(source[i], screen[i])) << "pixel " << i << " of " << count;
      }
    }
  }
}

}  // namespace
}  // namespace vq
