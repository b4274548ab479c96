// Where a game meets the platform's clock and input: a frame's input is
// gathered here, in the order the frame would read it, before the frame's
// work runs on it.
#pragma once

#include "core/frame_input.h"
#include "core/game_state.h"
#include "platform/platform.h"

namespace vq {

// Gathers the input of the frame after state.field.frame_counter: the clock
// reading, then the sleep that brings the interval since the previous
// reading to 60 ms; the wall clock when the frame reseeds; at most one
// event and the keys; and, when the frame pauses, 500 ms and the wait for
// Return with what happened meanwhile.
FrameInput GatherFrameInput(Platform& platform, const GameState& state);

// Forgets the presses and the loss of the window's focus that came before a
// game: they belong to the title menu.
void ForgetInputBeforeTheGame(Platform& platform);

// Waits until Return is held or the program is to end, taking the events as
// they come and sleeping between two looks (longer while the window is
// hidden); returns the last event taken (None when none came, Quit when the
// window was closed or a signal came). A loss of the window's focus meanwhile
// is forgotten.
EventType WaitForReturn(Platform& platform);

}  // namespace vq
