#include "test_games.h"

#include <stdexcept>
#include <vector>

#include "core/replay.h"

namespace vq::test {

namespace {

// Header offsets of docs/replay-format.md.
constexpr size_t kSeedAt = 14, kScoreAt = 31, kSecondsAt = 35, kDigestAt = 39;

void AddTo(std::string& bytes, size_t at, int32_t change) {
  uint32_t value = 0;
  for (int k = 0; k < 4; ++k) value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + k])) << (8 * k);
  value += static_cast<uint32_t>(change);
  for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<char>(value >> (8 * k));
}

// The replay recorded anew with the first frame from number at (from 1) on
// that follows a frame of no keys changed by edit: a key held on from the
// frame before would act no more.
template <class Edit>
std::string Rerecord(const std::string& bytes, int32_t at, Edit edit) {
  Replay replay;
  std::string problem;
  if (!DecodeReplay(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &replay, &problem)) {
    throw std::runtime_error("no replay to forge: " + problem);
  }
  Replay forged;
  StartRecording(forged, replay.start);
  ReplayCursor cursor = StartReading(replay);
  FrameInput input;
  uint16_t keys_before = 0;
  bool edited = false;
  for (int32_t n = 1; ReadFrame(replay, cursor, &input); ++n) {
    const uint16_t keys = input.keys;
    if (n >= at && keys_before == 0 && !edited) edit(input), edited = true;
    keys_before = keys;
    RecordFrame(forged, input);
  }
  forged.result = replay.result;  // the forger keeps the claimed result
  const std::vector<uint8_t> out = EncodeReplay(forged);
  return std::string(out.begin(), out.end());
}

}  // namespace

const char* ForgeryName(Forgery forgery) {
  switch (forgery) {
    case Forgery::kScore: return "score";
    case Forgery::kSeconds: return "seconds";
    case Forgery::kSeed: return "seed";
    case Forgery::kFrame: return "frame";
    case Forgery::kDigest: return "digest";
    case Forgery::kPause: return "pause";
  }
  return "?";
}

std::string Forge(const std::string& replay, Forgery forgery) {
  std::string forged = replay;
  switch (forgery) {
    case Forgery::kScore: AddTo(forged, kScoreAt, 10); break;
    case Forgery::kSeconds: AddTo(forged, kSecondsAt, -1); break;
    case Forgery::kSeed: AddTo(forged, kSeedAt, 1); break;
    case Forgery::kDigest: AddTo(forged, kDigestAt, 1); break;
    // A turn and a drop where the player made neither: the rest plays another game.
    case Forgery::kFrame:
      forged = Rerecord(replay, 200, [](FrameInput& input) { input.keys = kFrameDown | kFrameSpace; });
      break;
    // A pause the game never took, claimed to hide a break.
    case Forgery::kPause:
      forged = Rerecord(replay, 40, [](FrameInput& input) {
        input.paused = true;
        input.pause_event = EventType::None;
      });
      break;
  }
  return forged;
}

}  // namespace vq::test
