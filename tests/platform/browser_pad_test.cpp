// The browser's pads: each button of the Gamepad API's standard layout holds
// the keys the same button of a desktop pad holds.
#include "platform/browser/browser_pad.h"

#include <gtest/gtest.h>

namespace vq {
namespace {

TEST(BrowserPad, EachStandardButtonHoldsTheKeysOfTheDesktopsButton) {
  struct Case {
    int browser_button;
    uint32_t keys;
  };
  const uint32_t ctrl = KeyBit(Key::LeftCtrl);
  const Case cases[] = {
      {0, KeyBit(Key::Up)},
      {1, KeyBit(Key::Down)},
      {2, KeyBit(Key::Space)},
      {3, 0},  // Y: nothing
      {4, ctrl},
      {5, ctrl},
      {6, 0},
      {7, 0},  // the triggers
      {8, KeyBit(Key::Escape)},
      {9, KeyBit(Key::Return)},
      {10, 0},
      {11, 0},
      {12, KeyBit(Key::Up)},
      {13, KeyBit(Key::Down)},
      {14, KeyBit(Key::Left)},
      {15, KeyBit(Key::Right)},
      {16, 0},
      {17, 0},
      {-1, 0},  // the guide, and none of the layout
  };
  for (const Case& c : cases) {
    PadState pad;
    const int button = BrowserPadButton(c.browser_button);
    if (button < kPadButtons) pad.button[button] = true;
    EXPECT_EQ(PadKeys(pad), c.keys) << "browser button " << c.browser_button;
  }
  // Every button of the layout has a place of its own.
  for (int a = 0; a <= 16; ++a) {
    for (int b = a + 1; b <= 16; ++b) {
      if (BrowserPadButton(a) != kPadButtons) {
        EXPECT_NE(BrowserPadButton(a), BrowserPadButton(b)) << a << " " << b;
      }
    }
  }
}

}  // namespace
}  // namespace vq
