// What the presentation finds changed between two pictures: the tiles that
// differ, as few rectangles, and nothing when nothing changed.
#include "platform/changed_tiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vq {
namespace {

constexpr int kWidth = 200, kHeight = 100;  // 10x5 tiles
constexpr int kPitch = kWidth * 4 + 12;     // rows wider than the picture, as a surface's may be

struct Picture {
  std::vector<uint8_t> bytes = std::vector<uint8_t>(static_cast<size_t>(kPitch * kHeight), 0x40);
  void Set(int x, int y, uint8_t value) { bytes[static_cast<size_t>(y * kPitch + x * 4 + 1)] = value; }
};

std::string Text(const std::vector<PixelRect>& rects) {
  std::string text;
  for (const PixelRect& r : rects) {
    text += (text.empty() ? "" : " ") + std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.w) +
            "x" + std::to_string(r.h);
  }
  return text;
}

TEST(ChangedTiles, OnlyTheTilesThatDifferFromTheLastPicture) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, int>> pixels;  // set to a new value
    const char* rects;
  };
  const Case cases[] = {
      {"nothing changed", {}, ""},
      {"one pixel", {{45, 33}}, "40,20 20x20"},
      {"the corners", {{0, 0}, {199, 99}}, "0,0 20x20 180,80 20x20"},
      {"two neighbours in a row are one", {{39, 5}, {40, 5}}, "20,0 40x20"},
      {"a column down the picture is one", {{70, 1}, {75, 30}, {75, 50}, {61, 70}, {61, 99}}, "60,0 20x100"},
      {"rows apart stay apart", {{70, 1}, {75, 50}}, "60,0 20x20 60,40 20x20"},
      {"a gap keeps two apart", {{5, 5}, {45, 5}}, "0,0 20x20 40,0 20x20"},
      {"a column that widens", {{5, 5}, {5, 25}, {25, 25}}, "0,0 20x20 0,20 40x20"},
  };
  for (const Case& c : cases) {
    ChangedTiles tiles(kWidth, kHeight);
    Picture picture;
    EXPECT_EQ(Text(tiles.Take(picture.bytes.data(), kPitch, true)), "0,0 200x100") << "the first: whole";
    for (const auto& [x, y] : c.pixels) picture.Set(x, y, 0x41);
    EXPECT_EQ(Text(tiles.Take(picture.bytes.data(), kPitch, false)), c.rects) << c.what;
    EXPECT_EQ(Text(tiles.Take(picture.bytes.data(), kPitch, false)), "") << c.what << ", shown again";
    EXPECT_EQ(Text(tiles.Take(picture.bytes.data(), kPitch, true)), "0,0 200x100") << c.what << ", whole";
  }
}

// A change back to what was there two pictures ago is a change too: the
// comparison is with the last picture taken, kept up to date part by part.
TEST(ChangedTiles, ComparesWithThePictureLastTaken) {
  ChangedTiles tiles(kWidth, kHeight);
  Picture picture;
  tiles.Take(picture.bytes.data(), kPitch, true);
  picture.Set(10, 10, 0x41);
  EXPECT_EQ(Text(tiles.Take(picture.bytes.data(), kPitch, false)), "0,0 20x20");
  picture.Set(10, 10, 0x40);
  picture.Set(150, 90, 0x41);
  EXPECT_EQ(Text(tiles.Take(picture.bytes.data(), kPitch, false)), "0,0 20x20 140,80 20x20");
  // Bytes past the picture's width are not part of it.
  picture.bytes[static_cast<size_t>(kWidth * 4 + 3)] = 0x99;
  EXPECT_EQ(Text(tiles.Take(picture.bytes.data(), kPitch, false)), "");
}

}  // namespace
}  // namespace vq
