// Everything one game keeps, as plain data: the playfield, the clock
// readings, the keys and music it handles itself, what the drawing shows and
// what the frame asks of the loop. Created when a game starts and gone when
// it returns; the interactive game, the demo and a replay share it. What the
// game holds of the platform (its images and music) is not here but in its
// GameResources (game_resources.h).
#pragma once

#include <cstdint>

#include "rules/input.h"
#include "rules/playfield.h"
#include "rules/scoring.h"
#include "rules/timeline.h"

namespace vq {

constexpr int kVisualiserBars = 16;

// Keys held when a game started, as bits of GameStart::held.
enum : uint8_t { kHeldReturn = 1, kHeldM = 2, kHeldF = 4 };

// What a game starts from besides its images: with the frames' input, all a
// replay needs to play the same game again.
struct GameStart {
  int32_t time_limit;  // seconds of Time attack; 0 for the untimed game
  uint32_t seed;       // of the game's random numbers
  uint32_t ticks;      // the clock at the end of start-up
  int32_t hiscore;     // the hiscore file's value, shown in the HUD
  uint8_t held;        // Return, M and F held at the start: they act only once let go
};

// What a frame asks of the loop, which carries it out after the frame's work.
struct FrameRequests {
  bool announce_win;        // print the win message
  bool music_toggled;       // start or stop the music, as music_on now says
  bool toggle_full_screen;  // switch between window and full screen
};

struct GameState {
  GameStart start;  // the time limit (0: untimed) and the hiscore shown come from here

  // Board, piece, queue, MoveLatch, Timeline, SweepScore, Score,
  // PreviousScore, Level, the skin on show, FrameCounter, GameOverFlag and
  // the random numbers.
  Playfield field;

  // The two latest tick readings; each frame overwrites the older one.
  uint32_t tick_a;
  uint32_t tick_b;
  int32_t frame_time;  // ms between this frame's reading and the one before
  int32_t play_time;   // ms since start-up, pauses included

  int32_t music_on;  // the M toggle

  int32_t visualiser_bars[kVisualiserBars];
  SweepResult swept;  // the cells this frame's sweep removed: the drawing shows sparks there

  EventType event_record;  // the last event taken; kept across frames

  // The keys the frame handles itself act once per press: M and F once seen
  // up since they last acted, Return once seen up since the last pause
  // ended.
  OncePerPress music_key;
  OncePerPress full_screen_key;
  OncePerPress pause_key;

  // A request to close the window was taken: the game ends as with Escape,
  // the end screen does not wait, and the program ends afterwards.
  bool window_closed;

  // The game pauses when its window loses the keyboard's focus or is
  // minimised: a game nobody sees or steers must not run on. The demo goes on.
  bool pauses_when_unseen;

  FrameRequests requests;
};

}  // namespace vq
