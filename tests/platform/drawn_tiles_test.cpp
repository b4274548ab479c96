// What the presentation finds changed from a frame's blits: the tiles whose
// blits differ from what they show, as few rectangles; nothing when a frame
// draws what the last one did.
#include "platform/drawn_tiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vq {
namespace {

constexpr int kWidth = 200, kHeight = 100;  // 10x5 tiles

const int kBackground = 0, kSprite = 0, kOther = 0;  // their addresses stand for images
TileBlit Background() { return TileBlit{&kBackground, 1, true, 0, 0, kWidth, kHeight, 0, 0}; }
TileBlit Sprite(int x, int y, uint64_t serial = 2) { return TileBlit{&kSprite, serial, false, 0, 0, 10, 10, x, y}; }
TileBlit Panel(int x, int y, int w, int h) { return TileBlit{&kOther, 3, true, 0, 0, w, h, x, y}; }

std::string Text(const std::vector<PixelRect>& rects) {
  std::string text;
  for (const PixelRect& r : rects) {
    text += (text.empty() ? "" : " ") + std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.w) +
            "x" + std::to_string(r.h);
  }
  return text;
}

TEST(DrawnTiles, OnlyTheTilesWhoseBlitsChanged) {
  struct Case {
    const char* what;
    std::vector<std::vector<TileBlit>> frames;  // before the last one
    std::vector<TileBlit> last;
    const char* changed;  // by the last frame
  };
  const Case cases[] = {
      {"the first frame", {}, {Background(), Sprite(5, 5)}, "0,0 200x100"},
      {"the same frame again", {{Background(), Sprite(5, 5)}}, {Background(), Sprite(5, 5)}, ""},
      {"a sprite moved within its tile", {{Background(), Sprite(5, 5)}}, {Background(), Sprite(6, 5)}, "0,0 20x20"},
      {"a sprite moved across tiles",
       {{Background(), Sprite(5, 5)}},
       {Background(), Sprite(45, 15)},
       "0,0 20x20 40,0 20x40"},
      {"its blits in another order",
       {{Background(), Sprite(5, 5), Sprite(8, 8)}},
       {Background(), Sprite(8, 8), Sprite(5, 5)},
       "0,0 20x20"},
      {"another image at the same place", {{Background(), Sprite(5, 5)}}, {Background(), Sprite(5, 5, 9)}, "0,0 20x20"},
      {"two tiles of a row are one", {{Background()}}, {Background(), Sprite(15, 85)}, "0,80 40x20"},
      {"a column down the screen is one", {{Background()}}, {Background(), Panel(130, 0, 10, 100)}, "120,0 20x100"},
      // Drawn over what was there, not covering it: what shows is unknown.
      {"a sprite without a background", {{Background()}}, {Sprite(5, 5)}, "0,0 20x20"},
      {"the same again without a background", {{Background()}, {Sprite(5, 5)}}, {Sprite(5, 5)}, "0,0 20x20"},
      {"a frame that draws nothing", {{Background(), Sprite(5, 5)}}, {}, ""},
      // An opaque panel covers only the tiles it fills whole.
      {"a panel over part of a tile",
       {{Background()}, {Background()}},
       {Background(), Panel(0, 0, 30, 20)},
       "0,0 40x20"},
  };
  for (const Case& c : cases) {
    DrawnTiles tiles(kWidth, kHeight, 16);
    for (const auto& frame : c.frames) {
      for (const TileBlit& blit : frame) tiles.Add(blit);
      tiles.Resolve();
      tiles.Drawn();
    }
    for (const TileBlit& blit : c.last) tiles.Add(blit);
    EXPECT_EQ(Text(tiles.Resolve()), c.changed) << c.what;
    EXPECT_EQ(tiles.Blits().size(), c.last.size()) << c.what << ": the blits to draw";
    tiles.Drawn();
  }
}

TEST(DrawnTiles, AFullListAndAForgottenScreen) {
  DrawnTiles tiles(kWidth, kHeight, 2);
  EXPECT_TRUE(tiles.Add(Background()));
  EXPECT_TRUE(tiles.Add(Sprite(5, 5)));
  EXPECT_FALSE(tiles.Add(Sprite(6, 6))) << "no room for a third";
  tiles.Resolve();
  tiles.Drawn();
  EXPECT_TRUE(tiles.Add(Background())) << "room again once drawn";
  tiles.Add(Sprite(5, 5));
  EXPECT_EQ(Text(tiles.Resolve()), "");
  tiles.Drawn();
  tiles.Forget();
  tiles.Add(Background());
  EXPECT_EQ(Text(tiles.Resolve()), "0,0 200x100") << "a new screen shows nothing yet";
}

}  // namespace
}  // namespace vq
