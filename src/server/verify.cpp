#include "server/verify.h"

#include "core/replay.h"
#include "core/replay_check.h"

namespace vq::server {

size_t MostReplayBytes() { return kMostReplayBytes; }

Verdict VerifyReplay(const uint8_t* data, size_t size) {
  Verdict verdict{false, "", 0, 0, 0, 0};
  Replay replay;
  std::string problem;
  if (!DecodeReplay(data, size, &replay, &problem)) {
    // --verify names the file first ("FILE is cut short"), the server the body.
    verdict.reason = "the body " + problem;
    return verdict;
  }
  const ReplayCheck check = CheckReplay(replay);
  verdict.mode = replay.start.time_limit;
  verdict.score = replay.result.score;
  verdict.seconds = replay.result.seconds;
  verdict.frames = replay.frame_count;
  verdict.plays = check.matches;
  if (!check.matches) verdict.reason = "the game does not play to its recorded result: " + check.differs;
  return verdict;
}

}  // namespace vq::server
