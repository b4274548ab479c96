// Reads the fuzzer's bytes as a replay file. Any bytes get an answer, a
// replay or the reason they are none, never a crash or a hang; a replay that
// is read plays to the same end once written out and read back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/replay.h"
#include "saves/replay_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vq::Replay replay;
  std::string problem;
  if (!vq::DecodeReplay(data, size, &replay, &problem)) {
    if (problem.empty()) std::abort();  // refused without a reason
    return 0;
  }
  const vq::ReplayCheck played = vq::CheckReplay(replay);
  const std::vector<uint8_t> written = vq::EncodeReplay(replay);
  vq::Replay again;
  if (!vq::DecodeReplay(written.data(), written.size(), &again, &problem)) {
    std::fprintf(stderr, "a replay written out cannot be read back: %s\n", problem.c_str());
    std::abort();
  }
  const vq::ReplayCheck replayed = vq::CheckReplay(again);
  if (replayed.matches != played.matches || replayed.reached.frames != played.reached.frames ||
      replayed.reached.score != played.reached.score || replayed.reached.seconds != played.reached.seconds) {
    std::fprintf(stderr, "written out, the replay plays differently\n");
    std::abort();
  }
  return 0;
}
