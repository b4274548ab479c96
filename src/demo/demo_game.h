// The self-playing game behind the title menu's Demo item.
#pragma once

#include <cstdint>

#include "core/frame_input.h"
#include "core/game_state.h"
#include "demo/autopilot.h"
#include "game/game_resources.h"
#include "game/game_result.h"
#include "platform/platform.h"

namespace vq {

// The state of one demo: the game's own state and the Autopilot that plays it.
struct DemoState {
  GameState game;
  Autopilot autopilot;
};

// What a finished demo reached, for the autopilot benchmark.
struct DemoOutcome {
  int32_t score;
  int32_t frames;
};

// The demo with the colour-matching search on, its random numbers from seed.
// Returns kBackToMenu once the end screen has been dismissed, kQuitProgram
// when the window was closed. Prints no summary and never writes the hiscore
// file.
int32_t DemoGame(Platform& platform, uint32_t seed);

// The same game with the search on or off; when outcome is given it receives
// the final Score and the number of frames played.
int32_t RunDemoGame(Platform& platform, bool search, uint32_t seed, DemoOutcome* outcome);

// Start-up of a demo's logic: the game's start-up, then a decision due and
// target 0. Its resources are taken before.
void StartDemo(Platform& platform, DemoState& state, bool search, uint32_t seed);

// One frame of the demo on the platform: its input gathered, its work done,
// what it asked for carried out, its picture drawn and shown. Returns true
// when the frame ended the game.
bool DemoFrame(Platform& platform, const GameResources& resources, DemoState& state);

// The work of one demo frame, its steps in their order, on the state and the
// input alone.
void UpdateDemoFrame(DemoState& state, const FrameInput& input);

}  // namespace vq
