// The window's scale on screens of every size, the picture enlarged into it
// by whole pixels, and full screen's smooth enlarging, part by part, against
// SDL 2's own of the whole picture.
#include "platform/window_scale.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <random>
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

// Where full screen puts the picture, as SDL 2's logical size does: in the
// middle, as large as its shape allows.
TEST(FullScreenPlace, AsLargeAsItsShapeAllowsInTheMiddle) {
  const int cases[][6] = {{1920, 1080, 240, 0, 1440, 1080}, {3840, 2160, 480, 0, 2880, 2160},
                          {1280, 1024, 0, 32, 1280, 960},   {800, 600, 0, 0, 800, 600},
                          {1366, 768, 171, 0, 1024, 768},   {640, 480, 0, 0, 640, 480}};
  for (const auto& c : cases) {
    const PixelRect p = FullScreenPlace(c[0], c[1]);
    EXPECT_TRUE(p.x == c[2] && p.y == c[3] && p.w == c[4] && p.h == c[5]) << c[0] << "x" << c[1];
  }
}

// Full screen is presented in parts: each part of the output must hold the
// very pixels that SDL 2's linear stretch (its software renderer's for full
// screen, found as the program finds SDL 2) gives the whole picture there, on
// the screens a player may have and for parts anywhere, edges and corners too.
TEST(LinearScale, EveryPartAsSdlScalesTheWhole) {
  void* sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_NOW);
  auto surface = reinterpret_cast<void* (*)(void*, int, int, int, int, uint32_t)>(
      sdl2 ? dlsym(sdl2, "SDL_CreateRGBSurfaceWithFormatFrom") : nullptr);
  auto stretch = reinterpret_cast<int (*)(void*, const void*, void*, const void*)>(
      sdl2 ? dlsym(sdl2, "SDL_SoftStretchLinear") : nullptr);
  auto free_surface = reinterpret_cast<void (*)(void*)>(sdl2 ? dlsym(sdl2, "SDL_FreeSurface") : nullptr);
  if (!surface || !stretch || !free_surface) GTEST_SKIP() << "no SDL 2 with a linear stretch";
  constexpr uint32_t kRgb888 = 0x16161804;  // SDL_PIXELFORMAT_RGB888, the screen's
  std::mt19937 random(7);
  std::vector<uint32_t> picture(static_cast<size_t>(kScreenWidth * kScreenHeight));
  for (uint32_t& pixel : picture) pixel = static_cast<uint32_t>(random());
  for (const auto& [w, h] : {std::pair{1440, 1080}, {2880, 2160}, {1280, 960}, {1024, 768}, {640, 480}}) {
    std::vector<uint32_t> expected(static_cast<size_t>(w * h)), got(expected.size(), 0);
    void* in = surface(picture.data(), kScreenWidth, kScreenHeight, 32, kScreenWidth * 4, kRgb888);
    void* out = surface(expected.data(), w, h, 32, w * 4, kRgb888);
    const int stretched = stretch(in, nullptr, out, nullptr);
    free_surface(in);
    free_surface(out);
    ASSERT_EQ(stretched, 0);
    LinearScale scale;
    scale.Resize(kScreenWidth, kScreenHeight, w, h);
    const PixelRect parts[] = {{0, 0, 20, 20},     {780, 580, 20, 20}, {0, 580, 800, 20}, {380, 0, 40, 600},
                               {400, 300, 20, 60}, {20, 40, 1, 1},     {0, 0, 800, 600}};
    for (const PixelRect& part : parts) {
      const PixelRect reach = scale.Reach(part);
      EXPECT_TRUE(reach.x <= part.x * w / kScreenWidth && reach.x + reach.w >= (part.x + part.w) * w / kScreenWidth &&
                  reach.y <= part.y * h / kScreenHeight && reach.y + reach.h >= (part.y + part.h) * h / kScreenHeight)
          << "the output a part reaches lies around it";
      scale.Scale(reinterpret_cast<const uint8_t*>(picture.data()), kScreenWidth * 4,
                  reinterpret_cast<uint8_t*>(got.data()), w * 4, reach);
      int off = 0;
      for (int y = reach.y; y < reach.y + reach.h; ++y) {
        for (int x = reach.x; x < reach.x + reach.w; ++x) off += got[size_t(y * w + x)] != expected[size_t(y * w + x)];
      }
      EXPECT_EQ(off, 0) << w << "x" << h << ", the part at " << part.x << "," << part.y;
    }
  }
}

}  // namespace
}  // namespace vq
