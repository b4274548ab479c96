#include "platform/pad_input.h"

namespace vq {

uint32_t PadKeys(const PadState& pad) {
  const bool* b = pad.button;
  uint32_t keys = 0;
  auto hold = [&keys](Key key, bool held) {
    if (held) keys |= KeyBit(key);
  };
  hold(Key::Up, b[kPadUp] || (pad.hat & kHatUp) || pad.stick_y < -kStickDeadZone || b[kPadA]);
  hold(Key::Down, b[kPadDown] || (pad.hat & kHatDown) || pad.stick_y > kStickDeadZone || b[kPadB]);
  hold(Key::Left, b[kPadLeft] || (pad.hat & kHatLeft) || pad.stick_x < -kStickDeadZone);
  hold(Key::Right, b[kPadRight] || (pad.hat & kHatRight) || pad.stick_x > kStickDeadZone);
  hold(Key::Space, b[kPadX]);
  hold(Key::Return, b[kPadStart]);
  hold(Key::Escape, b[kPadBack]);
  hold(Key::LeftCtrl, b[kPadLeftShoulder] || b[kPadRightShoulder]);
  return keys;
}

void KeyInput::SetPad(int index, const PadState& pad) {
  if (index < 0 || index >= kMostPads) return;
  PadState& was = pads_[static_cast<size_t>(index)];
  for (int b = 0; b < kPadButtons; ++b) any_press_ |= pad.button[b] && !was.button[b];
  was = pad;
  uint32_t keys = 0;
  for (const PadState& each : pads_) keys |= PadKeys(each);
  const uint32_t went_down = keys & ~pad_keys_;
  const uint32_t went_up = pad_keys_ & ~keys;
  pad_keys_ = keys;
  presses_ |= went_down;
  any_press_ |= went_down != 0;
  for (int k = 0; k < static_cast<int>(Key::Count); ++k) {
    if (went_down & (1u << k)) events_.Push(EventType::KeyDown);
    if (went_up & (1u << k)) events_.Push(EventType::KeyUp);
  }
}

void KeyInput::ForgetPads() {
  for (int i = 0; i < kMostPads; ++i) SetPad(i, PadState{});
}

}  // namespace vq
