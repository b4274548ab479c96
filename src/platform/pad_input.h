// Key presses and gamepads as both platforms hand them to the program. A
// press is kept until the program takes it, so that a key pressed and let go
// between two looks at the keyboard still counts once. Every pad is read in
// one standard layout and stands for the keys it is mapped to: its changes
// become key-down and key-up events like the keyboard's, so that it follows
// the same once-per-press and repeat rules. Plain C++, no SDL.
#pragma once

#include <array>
#include <cstdint>

#include "platform/event_ring.h"
#include "platform/platform.h"

namespace vq {

// Buttons of the standard pad layout, in its order.
enum PadButton : int {
  kPadA,
  kPadB,
  kPadX,
  kPadY,
  kPadBack,
  kPadGuide,
  kPadStart,
  kPadLeftStickPress,
  kPadRightStickPress,
  kPadLeftShoulder,
  kPadRightShoulder,
  kPadUp,
  kPadDown,
  kPadLeft,
  kPadRight,
  kPadButtons
};

// Directions of a pad's hat, as bits.
enum : uint8_t { kHatUp = 1, kHatRight = 2, kHatDown = 4, kHatLeft = 8 };

// A stick nearer its centre than this (of 32767) counts as centred, so that
// a worn stick resting a little off centre moves nothing.
constexpr int kStickDeadZone = 12000;

struct PadState {
  bool button[kPadButtons] = {};
  uint8_t hat = 0;
  int stick_x = 0;  // the left stick, -32768 (left) to 32767 (right)
  int stick_y = 0;  // -32768 (up) to 32767 (down)
};

// The keys a pad holds, one bit per Key: the D-pad, the hat and the left
// stick are the arrows; A turns clockwise (Up), B anticlockwise (Down), X
// drops (Space); Start is Return, Back is Escape; either shoulder is Ctrl.
uint32_t PadKeys(const PadState& pad);

inline uint32_t KeyBit(Key key) { return 1u << static_cast<int>(key); }

class KeyInput {
 public:
  static constexpr int kMostPads = 8;

  // A key went down on the keyboard: a press to take.
  void KeyDown(Key key) {
    presses_ |= KeyBit(key);
    any_press_ = true;
  }
  // A key the program gives no meaning went down: it counts only as any key.
  void OtherKeyDown() { any_press_ = true; }

  // Pad number index (0 to kMostPads - 1) stands as given now. A key it
  // starts to stand for is a press and a key-down event; one it stops
  // standing for, a key-up event.
  void SetPad(int index, const PadState& pad);
  const PadState& Pad(int index) const { return pads_[static_cast<size_t>(index)]; }
  // Every pad let go: for when the pads are looked for anew.
  void ForgetPads();

  // Takes the oldest event the pads made; false when there is none.
  bool TakePadEvent(EventType* record) { return events_.Take(record); }

  bool PadHolds(Key key) const { return (pad_keys_ & KeyBit(key)) != 0; }

  // True once per press of the key since it was last taken.
  bool TakePress(Key key) {
    const bool pressed = (presses_ & KeyBit(key)) != 0;
    presses_ &= ~KeyBit(key);
    return pressed;
  }
  bool TakeAnyPress() {
    const bool pressed = any_press_;
    any_press_ = false;
    return pressed;
  }

 private:
  std::array<PadState, kMostPads> pads_{};
  uint32_t pad_keys_ = 0;  // the keys all pads stand for together
  uint32_t presses_ = 0;
  bool any_press_ = false;
  EventRing<16> events_;  // room for a burst of changes
};

}  // namespace vq
