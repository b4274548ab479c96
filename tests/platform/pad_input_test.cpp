// A pad stands for keys: the controls a whole game does not show, the keys
// they stand for and whether they count as a press of any key (which leaves
// the help). The events kept for the program: the latest when they overflow.
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

// A ring that overflows keeps the latest events, oldest first, as a move
// latch needs them.
TEST(EventRing, AFullRingKeepsTheLatestEventsInOrder) {
  EventRing<4> ring;
  const EventType pushed[] = {EventType::Quit,  EventType::KeyDown, EventType::Other,
                              EventType::KeyUp, EventType::KeyDown, EventType::KeyUp};
  for (EventType type : pushed) ring.Push(type);
  std::vector<EventType> taken;
  for (EventType type; ring.Take(&type);) taken.push_back(type);
  EXPECT_EQ(taken, std::vector<EventType>(pushed + 2, pushed + 6));

  // A pad that holds its 8 keys, lets them go and holds them again makes 24
  // events: its ring of 16 keeps the last ones.
  KeyInput input;
  PadState all;
  for (bool& button : all.button) button = true;
  for (const PadState& pad : {all, PadState{}, all}) input.SetPad(0, pad);
  std::vector<EventType> from_pad;
  for (EventType type; input.TakePadEvent(&type);) from_pad.push_back(type);
  std::vector<EventType> latest(8, EventType::KeyUp);
  latest.resize(16, EventType::KeyDown);
  EXPECT_EQ(from_pad, latest);
}

}  // namespace
}  // namespace vq
