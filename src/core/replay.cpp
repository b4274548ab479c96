#include "core/replay.h"

#include <cstring>

#include "core/frame_steps.h"

namespace vq {

namespace {

constexpr char kMagic[8] = {'V', 'Q', 'R', 'E', 'P', 'L', 'A', 'Y'};
// The most one frame record takes: flags, 5 bytes of clock, 2 of keys, 10 of
// wall clock, 1 of pause.
constexpr size_t kMostFrameBytes = 19;

// Bits of a frame record's first byte; bits 0 to 2 hold the event taken.
enum : uint8_t {
  kEventBits = 7,
  kKeysFollow = 1u << 3,
  kWallFollows = 1u << 4,
  kPaused = 1u << 5,
  kFocusLost = 1u << 6,
  kKnownBits = 0x7f,
};
constexpr uint8_t kLastEvent = static_cast<uint8_t>(EventType::Other);

void PutUnsigned(std::vector<uint8_t>& out, uint64_t value) {
  do {
    uint8_t byte = value & 0x7f;
    value >>= 7;
    if (value != 0) byte |= 0x80;
    out.push_back(byte);
  } while (value != 0);
}

void PutFixed(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int k = 0; k < bytes; ++k) out.push_back(static_cast<uint8_t>(value >> (8 * k)));
}

// Reads bytes of a file or a record, never past its end.
struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at;
  bool ran_out;

  bool Byte(uint8_t* value) {
    if (at >= size) return !(ran_out = true);
    *value = data[at++];
    return true;
  }
  bool Fixed(int bytes, uint32_t* value) {
    if (size - at < static_cast<size_t>(bytes)) return !(ran_out = true);
    *value = 0;
    for (int k = 0; k < bytes; ++k) *value |= static_cast<uint32_t>(data[at++]) << (8 * k);
    return true;
  }
  // An unsigned varint of at most bits bits.
  bool Unsigned(int bits, uint64_t* value) {
    *value = 0;
    for (int shift = 0; shift < bits; shift += 7) {
      uint8_t byte;
      if (!Byte(&byte)) return false;
      const uint64_t part = byte & 0x7f;
      if (bits - shift < 7 && (part >> (bits - shift)) != 0) return false;  // too big for its field
      *value |= part << shift;
      if (!(byte & 0x80)) return true;
    }
    return false;
  }
};

uint64_t ZigZag(int64_t value) { return (static_cast<uint64_t>(value) << 1) ^ static_cast<uint64_t>(value >> 63); }
int64_t UnZigZag(uint64_t value) { return static_cast<int64_t>(value >> 1) ^ -static_cast<int64_t>(value & 1); }

// One frame record from in; false when it is damaged or the bytes run out.
bool ReadRecord(Reader& in, ReplayCursor& cursor, FrameInput* input) {
  uint8_t flags;
  uint64_t interval;
  if (!in.Byte(&flags) || (flags & ~kKnownBits) || (flags & kEventBits) > kLastEvent) return false;
  if (!in.Unsigned(32, &interval)) return false;
  FrameInput frame{};
  frame.event = static_cast<EventType>(flags & kEventBits);
  frame.focus_lost = (flags & kFocusLost) != 0;
  frame.ticks = cursor.ticks + static_cast<uint32_t>(interval);
  frame.keys = cursor.keys;
  frame.wall_time = cursor.wall;
  if (flags & kKeysFollow) {
    uint32_t keys;
    if (!in.Fixed(2, &keys) || (keys & ~kFrameKeyBits)) return false;
    frame.keys = static_cast<uint16_t>(keys);
  }
  if (flags & kWallFollows) {
    uint64_t change;
    if (!in.Unsigned(64, &change)) return false;
    frame.wall_time =
        static_cast<int64_t>(static_cast<uint64_t>(cursor.wall) + static_cast<uint64_t>(UnZigZag(change)));
  }
  if (flags & kPaused) {
    uint8_t event;
    if (!in.Byte(&event) || event > kLastEvent) return false;
    frame.paused = true;
    frame.pause_event = static_cast<EventType>(event);
  }
  cursor = ReplayCursor{in.at, frame.ticks, frame.keys, frame.wall_time};
  *input = frame;
  return true;
}

}  // namespace

ReplayResult ResultOf(const GameState& state) {
  // FNV-1a over the values, each taken as 32 bits.
  uint32_t digest = 2166136261u;
  auto add = [&digest](int32_t value) {
    for (int k = 0; k < 4; ++k) digest = (digest ^ ((static_cast<uint32_t>(value) >> (8 * k)) & 0xff)) * 16777619u;
  };
  const Playfield& field = state.field;
  for (int32_t cell : field.board) add(cell);
  for (int k = 0; k < 4; ++k) add(field.piece.pos[k]), add(field.piece.colour[k]);
  for (const auto& entry : field.queue.entry) {
    for (int32_t colour : entry) add(colour);
  }
  add(field.level);
  add(field.skin);
  return ReplayResult{field.frame_counter, field.score, state.play_time / 1000, digest};
}

void StartRecording(Replay& replay, const GameStart& start) {
  replay.start = start;
  replay.result = ReplayResult{};
  replay.frame_count = 0;
  replay.frames.clear();
  replay.frames.reserve(kMostReplayBytes - kReplayHeaderBytes);
  replay.overflowed = false;
  replay.last_ticks = start.ticks;
  replay.last_keys = 0;
  replay.last_wall = 0;
}

void RecordFrame(Replay& replay, const FrameInput& input) {
  std::vector<uint8_t>& out = replay.frames;
  if (replay.overflowed || replay.frame_count >= kMostReplayFrames || out.capacity() - out.size() < kMostFrameBytes) {
    replay.overflowed = true;
    return;
  }
  uint8_t flags = static_cast<uint8_t>(input.event);
  if (input.keys != replay.last_keys) flags |= kKeysFollow;
  const bool reseeds = ReseedsOn(replay.frame_count + 1);
  if (reseeds) flags |= kWallFollows;
  if (input.paused) flags |= kPaused;
  if (input.focus_lost) flags |= kFocusLost;
  out.push_back(flags);
  PutUnsigned(out, input.ticks - replay.last_ticks);
  if (flags & kKeysFollow) PutFixed(out, input.keys, 2);
  if (flags & kWallFollows) PutUnsigned(out, ZigZag(input.wall_time - replay.last_wall));
  if (flags & kPaused) out.push_back(static_cast<uint8_t>(input.pause_event));
  replay.last_ticks = input.ticks;
  replay.last_keys = input.keys;
  if (reseeds) replay.last_wall = input.wall_time;
  ++replay.frame_count;
}

bool FinishRecording(Replay& replay, const GameState& state) {
  replay.result = ResultOf(state);
  return !replay.overflowed && replay.frame_count == state.field.frame_counter;
}

ReplayCursor StartReading(const Replay& replay) { return ReplayCursor{0, replay.start.ticks, 0, 0}; }

bool ReadFrame(const Replay& replay, ReplayCursor& cursor, FrameInput* input) {
  Reader in{replay.frames.data(), replay.frames.size(), cursor.at, false};
  return ReadRecord(in, cursor, input);
}

std::vector<uint8_t> EncodeReplay(const Replay& replay) {
  std::vector<uint8_t> out(kMagic, kMagic + sizeof kMagic);
  PutFixed(out, kReplayVersion, 2);
  const GameStart& start = replay.start;
  PutFixed(out, static_cast<uint32_t>(start.time_limit), 4);
  PutFixed(out, start.seed, 4);
  PutFixed(out, start.ticks, 4);
  PutFixed(out, static_cast<uint32_t>(start.hiscore), 4);
  out.push_back(start.held);
  PutFixed(out, static_cast<uint32_t>(replay.frame_count), 4);
  PutFixed(out, static_cast<uint32_t>(replay.result.score), 4);
  PutFixed(out, static_cast<uint32_t>(replay.result.seconds), 4);
  PutFixed(out, replay.result.playfield, 4);
  out.insert(out.end(), replay.frames.begin(), replay.frames.end());
  return out;
}

bool DecodeReplay(const uint8_t* data, size_t size, Replay* replay, std::string* problem) {
  if (size < sizeof kMagic || std::memcmp(data, kMagic, sizeof kMagic) != 0) {
    *problem = "is not a replay file";
    return false;
  }
  Reader in{data, size, sizeof kMagic, false};
  uint32_t version = 0, limit = 0, seed = 0, ticks = 0, hiscore = 0, frames = 0, score = 0, seconds = 0, digest = 0;
  uint8_t held = 0;
  if (in.Fixed(2, &version) && version != kReplayVersion) {
    *problem = "was recorded in replay format " + std::to_string(version) + "; this program plays format " +
               std::to_string(kReplayVersion);
    return false;
  }
  if (!in.Fixed(4, &limit) || !in.Fixed(4, &seed) || !in.Fixed(4, &ticks) || !in.Fixed(4, &hiscore) ||
      !in.Byte(&held) || !in.Fixed(4, &frames) || !in.Fixed(4, &score) || !in.Fixed(4, &seconds) ||
      !in.Fixed(4, &digest)) {
    *problem = "is cut short";
    return false;
  }
  if (frames > static_cast<uint32_t>(kMostReplayFrames) || size > kMostReplayBytes) {
    *problem = "is too long to be a replay";
    return false;
  }
  if (limit > 1000 || held > (kHeldReturn | kHeldM | kHeldF)) {
    *problem = "is damaged: its start values are not a game's";
    return false;
  }
  Replay read{};
  read.start = GameStart{static_cast<int32_t>(limit), seed, ticks, static_cast<int32_t>(hiscore), held};
  read.result =
      ReplayResult{static_cast<int32_t>(frames), static_cast<int32_t>(score), static_cast<int32_t>(seconds), digest};
  read.frames.assign(data + kReplayHeaderBytes, data + size);
  // Every record is read once now, so that a damaged file is told at once.
  ReplayCursor cursor = StartReading(read);
  Reader records{read.frames.data(), read.frames.size(), 0, false};
  FrameInput input;
  for (uint32_t n = 0; n < frames; ++n) {
    if (!ReadRecord(records, cursor, &input)) {
      *problem = records.ran_out ? "is cut short" : "is damaged: frame " + std::to_string(n + 1) + " cannot be read";
      return false;
    }
  }
  if (cursor.at != read.frames.size()) {
    *problem = "is damaged: it goes on after its last frame";
    return false;
  }
  read.frame_count = static_cast<int32_t>(frames);
  *replay = std::move(read);
  return true;
}

}  // namespace vq
