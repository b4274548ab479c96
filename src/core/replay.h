// A recorded game: its start values and the input of every frame, in a
// compact versioned format that plays the same game again (described in
// docs/replay-format.md), as bytes in and bytes out. The interactive game
// records itself into a Replay; the check (replay_check.h), the watch and a
// server that takes games read them back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/frame_input.h"
#include "core/game_state.h"

namespace vq {

constexpr uint16_t kReplayVersion = 1;
// Beyond these a file is no replay of a game anyone played: some 17 hours
// of play, and four times the bytes such a game takes.
constexpr int32_t kMostReplayFrames = 2000000;
constexpr size_t kMostReplayBytes = 16u << 20;

// What a game reached: the frames it ran, its Score, the whole seconds
// played, and a digest of its last playfield (Board, piece, queue, Level and
// skin), so that a game that reaches the same Score another way is told apart.
struct ReplayResult {
  int32_t frames;
  int32_t score;
  int32_t seconds;
  uint32_t playfield;
};

// What the game reached so far.
ReplayResult ResultOf(const GameState& state);

struct Replay {
  GameStart start;
  ReplayResult result;
  int32_t frame_count;          // frames recorded
  std::vector<uint8_t> frames;  // their records, encoded
  bool overflowed;              // the recording outgrew its room and stopped
  // The last frame recorded: each record holds what changed since.
  uint32_t last_ticks;
  uint16_t last_keys;
  int64_t last_wall;
};

// Starts recording a game: room for the longest replay is reserved now, so
// that recording a frame allocates nothing.
void StartRecording(Replay& replay, const GameStart& start);

// Adds a frame's input to the recording.
void RecordFrame(Replay& replay, const FrameInput& input);

// Notes what the game reached; false when the recording does not hold every
// frame of it (it outgrew its room, or recording began late).
bool FinishRecording(Replay& replay, const GameState& state);

// Reads the frames back in order, from a cursor made by StartReading.
struct ReplayCursor {
  size_t at;
  uint32_t ticks;
  uint16_t keys;
  int64_t wall;
};
ReplayCursor StartReading(const Replay& replay);
// The next frame's input; false after the last frame or at a damaged record.
bool ReadFrame(const Replay& replay, ReplayCursor& cursor, FrameInput* input);

// The bytes of the header, which says how many frames follow.
constexpr size_t kReplayHeaderBytes = 43;

// The whole file of a recorded game.
std::vector<uint8_t> EncodeReplay(const Replay& replay);

// Takes a file's bytes apart; false with the reason, in a few words that
// follow the file's name, when they are not a replay this program plays.
bool DecodeReplay(const uint8_t* data, size_t size, Replay* replay, std::string* problem);

}  // namespace vq
