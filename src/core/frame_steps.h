// The steps a frame of a game takes on its GameState and its FrameInput
// alone, shared by the interactive game and the demo; each game strings them
// together in its own frame order (UpdatePlayFrame in play_frame.cpp,
// UpdateDemoFrame in demo/demo_game.cpp). Nothing here touches the platform: the
// same steps play a recorded game again, headless.
#pragma once

#include <cstdint>
#include <ctime>

#include "core/frame_input.h"
#include "core/game_state.h"

namespace vq {

constexpr int32_t kFrameMs = 60;    // the pacing brings each interval up to this
constexpr uint32_t kPauseMs = 500;  // a pause, and the end screen's Return, wait this long first

// Start-up of the game's logic from its start values: the playfield (its
// twelve queue draws first), the clock, the latch, the keys held at the
// start and the sixteen visualiser bars. Images and music are the loop's.
void StartGameState(GameState& state, const GameStart& start);

// The interval that a reading of ticks ends: from the other of the two
// latest readings.
int32_t IntervalTo(const GameState& state, uint32_t ticks);

// The pacing sleep before a frame's work: what the interval lacks of 60 ms.
uint32_t PacingSleep(const GameState& state, uint32_t ticks);

// Whether the frame after state.field.frame_counter reseeds (every 20th).
inline bool ReseedsOn(int32_t frame) { return frame % 20 == 0; }

// Seed of the reseed every 20th frame: the time combined with the frame
// counter, so that two reseeds within one second still differ.
unsigned ReseedValue(std::time_t now, int32_t frame_counter);

// Whether the frame about to run with this input pauses: Return on a frame
// that is a multiple of 3, once per press, or the window's focus lost, unless
// the window is closed.
bool PauseDue(const GameState& state, const FrameInput& input);

// Count the frame, with no requests yet; measure the interval since the previous reading and add
// it to the play time. (The sleep that brings the interval to 60 ms was
// taken while the input was gathered.)
void CountAndMeasure(GameState& state, const FrameInput& input);

// A pass end scores and may switch the skin; the win check asks the loop to
// print the win message; the Score is remembered for the next pass end.
void AdvanceAndScore(GameState& state);

// Reseeds the game's random numbers on every 20th frame.
void Reseed(GameState& state, const FrameInput& input);

// Ends a timed game once the whole seconds played reach the limit.
void CheckTimeLimit(GameState& state);

// Keeps the event taken; a request to close the window ends the game.
void TakeEvent(GameState& state, const FrameInput& input);

// Escape (or a closed window) ends the game; the frame still runs to its end.
void HandleEscape(GameState& state, const FrameInput& input);

// The piece keys of the input.
PieceInput PieceKeys(const FrameInput& input);

// Return on a frame that is a multiple of 3, or the window's focus lost,
// paused the game while its input was gathered: the events of the pause count
// now. A pause cannot start again by Return until Return has been seen
// released after the previous one ended.
void HandlePause(GameState& state, const FrameInput& input);

// M on an even frame turns the music on or off, once per press.
void HandleMusicKey(GameState& state, const FrameInput& input);

// F on an even frame switches between window and full screen, once per press.
void HandleFullScreenKey(GameState& state, const FrameInput& input);

// The visualiser bars move on even frames (sixteen random draws), and a bar
// that grows past the top falls back to nothing.
void MoveVisualiser(GameState& state);

// The same-colour squares are marked, the Timeline's column swept (its cells
// counted for the pass end and kept in swept for the sparks) and hanging
// cells fall one row.
void SweepBoard(GameState& state);

}  // namespace vq
