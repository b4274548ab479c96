// A pad stands for keys: the controls a whole game does not show, the keys
// they stand for and whether they count as a press of any key (which leaves
// the help).
#include "platform/pad_input.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace vq {
namespace {

// The stick counts only beyond its dead zone; the Guide button stands for no
// key but is still a button pressed.
TEST(PadInput, ControlsStandForKeys) {
  struct Case {
    std::function<void(PadState&)> set;
    std::vector<Key> keys;
    bool any_press;
  };
  const std::vector<Case> cases = {
      {[](PadState& p) { p.button[kPadA] = p.button[kPadX] = true; }, {Key::Up, Key::Space}, true},
      {[](PadState& p) { p.button[kPadB] = p.button[kPadY] = true; }, {Key::Down}, true},
      {[](PadState& p) { p.button[kPadLeftShoulder] = p.button[kPadRight] = true; }, {Key::LeftCtrl, Key::Right}, true},
      {[](PadState& p) { p.hat = kHatDown | kHatLeft; }, {Key::Down, Key::Left}, true},
      {[](PadState& p) { p.stick_x = kStickDeadZone, p.stick_y = -kStickDeadZone; }, {}, false},
      {[](PadState& p) { p.stick_x = kStickDeadZone + 1, p.stick_y = kStickDeadZone + 1; },
       {Key::Down, Key::Right},
       true},
      {[](PadState& p) { p.button[kPadGuide] = true; }, {}, true},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    PadState pad;
    cases[i].set(pad);
    uint32_t expected = 0;
    for (Key k : cases[i].keys) expected |= KeyBit(k);
    EXPECT_EQ(PadKeys(pad), expected) << "case " << i;
    KeyInput input;
    input.SetPad(0, pad);
    EXPECT_EQ(input.TakeAnyPress(), cases[i].any_press) << "case " << i;
  }
}

}  // namespace
}  // namespace vq
