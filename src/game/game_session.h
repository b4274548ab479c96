// The pieces a game is made of, shared by the interactive game and the demo:
// start-up, the clock, the keys the loop handles itself, the drawing of a
// frame and the end screen. Each game strings them together in its own frame
// order; PlayGame (play_game.cpp) shows the whole order in one place.
#pragma once

#include <cstdint>
#include <ctime>

#include "game/game_state.h"
#include "game/play_game.h"
#include "platform/platform.h"

namespace vq {

// Start-up: loads the twelve images (a missing one ends the process with
// status 1) and skins 2 to 5 (a missing one prints "An image file is
// missing" and ends the process with status 1), sets up the playfield, opens
// audio (a failure is printed and the game runs silent), loads the music,
// takes the first tick reading, reads the hiscore file, arms the MoveLatch
// and draws the visualiser bars. Nothing is drawn or played yet.
void StartGame(Platform& platform, GameState& state, int32_t time_limit);

// Counts the frame, measures the time since the previous frame's reading,
// adds it to the play time and sleeps so that the interval reaches 60 ms.
void CountMeasurePace(Platform& platform, GameState& state);

// The win check: prints the win message when it ends the game.
void CheckWin(GameState& state);

// Seed of the reseed every 20th frame: the time combined with the frame
// counter, so that two reseeds within one second still differ.
unsigned ReseedValue(std::time_t now, int32_t frame_counter);

// Reseeds the random generator on every 20th frame.
void Reseed(Platform& platform, GameState& state);

// Ends a timed game once the whole seconds played reach the limit.
void CheckTimeLimit(GameState& state);

// Takes at most one event into the kept event record. A request to close the
// window ends the game.
void PollInput(Platform& platform, GameState& state);

// Escape (or a closed window) ends the game; the frame still runs to its end.
void HandleEscape(Platform& platform, GameState& state);

// The piece keys held now.
PieceInput ReadPieceKeys(Platform& platform);

// Return on a frame that is a multiple of 3 pauses: 500 ms, then wait until
// Return is held. A pause cannot start again until Return has been seen
// released after the previous one ended. A closed window ends the pause and
// the game.
void HandlePause(Platform& platform, GameState& state);

// M on an even frame turns the music on or off, once per press.
void HandleMusicKey(Platform& platform, GameState& state);

// F on an even frame switches between window and full screen, once per press.
void HandleFullScreenKey(Platform& platform, GameState& state);

// Draws the whole frame, back to front, and flips it. On the way it marks the
// squares, sweeps the Timeline's column (drawing the sparks of the removed
// cells) and settles hanging cells.
void DrawFrame(Platform& platform, GameState& state);

// The end of a game: with print_summary_and_store_hiscore, prints the summary;
// lays the overlay over the last frame; waits for Return (not when the window
// was closed) and 500 ms more; frees the images; with
// print_summary_and_store_hiscore, stores the Score of an untimed game that
// reached the hiscore; gives the music back. Returns kQuitProgram when the
// window was closed, kBackToMenu otherwise.
int32_t EndGame(Platform& platform, GameState& state, bool print_summary_and_store_hiscore);

}  // namespace vq
