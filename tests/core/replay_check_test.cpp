// The check of a recorded game: it plays again to its recorded result only
// when it pauses where the game paused and nowhere else.
#include "core/replay_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/frame_steps.h"
#include "core/play_frame.h"

namespace vq {
namespace {

constexpr int kPauseFrame = 30;  // Return held on a frame that is a multiple of 3

// A game of 90 frames as the interactive loop plays it: a frame every 60 ms,
// Return held on frame 30 (which pauses it), Escape on frame 90; each frame's
// input passed through edit before it is recorded, as a forger would.
Replay PlayedGame(const std::function<void(int frame, FrameInput&)>& edit) {
  const GameStart start{0, 7, 1000, 0, 0};
  GameState state{};
  StartGameState(state, start);
  Replay replay;
  StartRecording(replay, start);
  for (int frame = 1; !state.field.game_over; ++frame) {
    FrameInput input{};
    input.ticks = start.ticks + 60u * static_cast<uint32_t>(frame);
    input.wall_time = 1700000000;
    if (frame == kPauseFrame) input.keys = kFrameReturn;
    if (frame == 90) input.keys = kFrameEscape;
    input.paused = PauseDue(state, input);
    const FrameInput played = input;
    edit(frame, input);
    RecordFrame(replay, input);
    UpdatePlayFrame(state, played);
  }
  EXPECT_TRUE(FinishRecording(replay, state));
  return replay;
}

TEST(ReplayCheck, RefusesAGameWhosePausesDifferFromTheGames) {
  struct Case {
    const char* what;
    std::function<void(int, FrameInput&)> edit;
    std::string differs;  // "" when it plays to its result
  };
  const Case cases[] = {
      {"as played", [](int, FrameInput&) {}, ""},
      {"its pause left out",
       [](int frame, FrameInput& in) {
         if (frame == kPauseFrame) in.paused = false;
       },
       "frame 30 does not pause, where the game does"},
      {"a pause where the game has none",
       [](int frame, FrameInput& in) {
         if (frame == 50) in.paused = true;
       },
       "frame 50 pauses, where the game does not"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Replay replay = PlayedGame(c.edit);
    ASSERT_EQ(replay.frame_count, 90);
    const ReplayCheck check = CheckReplay(replay);
    EXPECT_EQ(check.matches, c.differs.empty());
    EXPECT_EQ(check.differs, c.differs);
    // Through the file's bytes, as the check meets it.
    const std::vector<uint8_t> bytes = EncodeReplay(replay);
    Replay read;
    std::string problem;
    ASSERT_TRUE(DecodeReplay(bytes.data(), bytes.size(), &read, &problem)) << problem;
    EXPECT_EQ(CheckReplay(read).differs, c.differs);
  }
}

}  // namespace
}  // namespace vq
