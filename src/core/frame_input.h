// What one frame of a game takes from outside, as plain data: the loop
// gathers it from the platform before the frame's work (or a replay reads it
// back from a file), and the game's logic runs on the GameState and this
// record alone.
#pragma once

#include <cstdint>

#include "rules/input.h"

namespace vq {

// The keys a frame reads, one bit each. The piece keys and Escape count when
// held or pressed since the last frame; the others when held.
enum FrameKey : uint16_t {
  kFrameUp = 1u << 0,
  kFrameDown = 1u << 1,
  kFrameLeft = 1u << 2,
  kFrameRight = 1u << 3,
  kFrameSpace = 1u << 4,
  kFrameEscape = 1u << 5,
  kFrameRearm = 1u << 6,  // any Ctrl or Alt key
  kFrameReturn = 1u << 7,
  kFrameM = 1u << 8,
  kFrameF = 1u << 9,
  kFrameKeyBits = (1u << 10) - 1,
};

struct FrameInput {
  uint32_t ticks;     // the clock reading of the frame's measure, in ms
  int64_t wall_time;  // the wall clock in seconds, read on the frames that reseed
  EventType event;    // the one event taken; None when none was pending
  uint16_t keys;      // FrameKey bits
  bool focus_lost;    // the window lost the keyboard's focus, or was minimised, since the last frame
  // The frame paused: it stood still until Return, and pause_event is the
  // last event taken meanwhile (None when none came; Quit when the window
  // was closed, which ended the pause).
  bool paused;
  EventType pause_event;
};

}  // namespace vq
