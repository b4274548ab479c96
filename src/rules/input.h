// Input as the rules see it: plain values, filled in by the game loop from
// what the platform polled, or by tests from a script.
#pragma once

namespace vq {

// Type of the kept event record. Only KeyDown and KeyUp matter to the
// MoveLatch; Quit is a request to close the window.
enum class EventType : int { None = 0, KeyDown, KeyUp, Quit, Other };

// The piece keys held in this frame.
struct PieceInput {
  bool up = false;     // rotate clockwise
  bool down = false;   // rotate anticlockwise
  bool left = false;   // side move left
  bool right = false;  // side move right
  bool space = false;  // drop
  bool rearm = false;  // any Ctrl or Alt key: re-arms the MoveLatch
};

// A key that acts once per press: it acts on the first look at which it is
// held and may act, once it has been seen up since it last acted.
struct OncePerPress {
  bool released = true;

  bool Act(bool held, bool may_act = true) {
    if (!held) {
      released = true;
      return false;
    }
    if (!may_act || !released) return false;
    released = false;
    return true;
  }
};

}  // namespace vq
