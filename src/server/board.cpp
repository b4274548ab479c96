#include "server/board.h"

#include <openssl/evp.h>

#include <charconv>
#include <cstdio>
#include <ctime>
#include <future>
#include <nlohmann/json.hpp>

#include "server/names.h"
#include "server/verify.h"

namespace vq::server {

namespace {

using nlohmann::json;

// The longest a leaderboard gets, and the most lists kept at once.
constexpr int32_t kMostListed = 100;
constexpr size_t kMostCached = 512;
constexpr int32_t kMostTimeLimit = 1000;

std::string Hex(const unsigned char* bytes, unsigned size) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned k = 0; k < size; ++k) out += digits[bytes[k] >> 4], out += digits[bytes[k] & 15];
  return out;
}

}  // namespace

std::string ReplayDigest(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned size = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha256(), nullptr) != 1) {
    throw StoreError("cannot take the digest of a replay");
  }
  return Hex(digest, size);
}

std::string DateText(int64_t seconds) {
  const std::time_t at = static_cast<std::time_t>(seconds);
  std::tm utc{};
  gmtime_r(&at, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::optional<int64_t> ParseDate(std::string_view text) {
  const std::string copy(text);
  std::tm utc{};
  const char* end = strptime(copy.c_str(), "%Y-%m-%dT%H:%M:%SZ", &utc);
  if (copy.size() != 20 || end != copy.c_str() + copy.size()) return std::nullopt;
  const int64_t seconds = static_cast<int64_t>(timegm(&utc));
  // Only the one way of writing each time: no day 31 of a month of 30.
  if (DateText(seconds) != copy) return std::nullopt;
  return seconds;
}

namespace {

// A whole number from digits alone, within [least, most].
std::optional<int64_t> Number(std::string_view text, int64_t least, int64_t most) {
  int64_t value = 0;
  if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  std::from_chars(text.data(), text.data() + text.size(), value);
  if (value < least || value > most) return std::nullopt;
  return value;
}

json GameJson(const GameRecord& game) {
  return json{{"id", game.id},
              {"name", game.name},
              {"mode", game.mode},
              {"score", game.score},
              {"seconds", game.seconds},
              {"frames", game.frames},
              {"date", DateText(game.submitted)}};
}

}  // namespace

Answer ErrorAnswer(int status, std::string_view why) { return Answer{status, json{{"error", why}}.dump()}; }

Answer Board::StoreFailed(const StoreError& error) {
  // The store's own words name files, hosts and ports: they are for the
  // administrator's log, at most a line a second through an outage, and the
  // client is told what to do.
  {
    std::lock_guard<std::mutex> lock(log_mutex_);
    const auto now = std::chrono::steady_clock::now();
    if (now - last_logged_ >= std::chrono::seconds(1)) {
      std::fprintf(stderr, "velquadro-server: %s%s\n", error.what(),
                   unlogged_ ? (" (and " + std::to_string(unlogged_) + " more failures)").c_str() : "");
      last_logged_ = now;
      unlogged_ = 0;
    } else {
      ++unlogged_;
    }
  }
  if (error.Unavailable())
    return ErrorAnswer(503, "the board's database cannot be reached for now; send it again soon");
  return ErrorAnswer(500, "the board cannot read or store its games; its administrator will find why in its log");
}

bool Board::Fresh(const Cached& cached) const {
  return cached.body && std::chrono::steady_clock::now() - cached.made < list_life_;
}

Board::Board(Store& store, std::function<int64_t()> now, std::chrono::milliseconds list_life)
    : store_(store), now_(std::move(now)), list_life_(list_life) {
  if (!now_) now_ = [] { return static_cast<int64_t>(std::time(nullptr)); };
  writer_ = std::thread([this] { Writer(); });
}

Board::~Board() {
  {
    std::lock_guard<std::mutex> lock(writer_mutex_);
    writer_done_ = true;
    writer_wakes_.notify_one();
  }
  writer_.join();
}

std::optional<Answer> Board::RefuseEarly(std::string_view raw_name, uint64_t declared_length) {
  const std::optional<std::string> name = DecodeQueryValue(raw_name);
  if (!name || !CheckName(*name)) {
    return ErrorAnswer(400, "a name is 1 to 16 letters, digits, spaces and -_. characters");
  }
  if (declared_length > MostReplayBytes()) {
    return ErrorAnswer(413, "a replay takes at most " + std::to_string(MostReplayBytes()) + " bytes");
  }
  return std::nullopt;
}

Answer Board::GameAnswer(int status, const GameRecord& game, int32_t rank) {
  json answer = GameJson(game);
  answer["rank"] = rank;
  return Answer{status, answer.dump()};
}

void Board::Submit(std::string_view raw_name, std::string body, std::function<void(Answer)> done) {
  if (std::optional<Answer> refused = RefuseEarly(raw_name, body.size())) return done(*refused);
  const std::string name = *CheckName(*DecodeQueryValue(raw_name));
  try {
    std::string digest = ReplayDigest(body);
    // The same bytes again need no second play. The first copy may not be
    // on the disk yet: a sync of its own puts it there, without waiting for
    // the writer, which may be waiting for another server's write.
    if (std::optional<GameRecord> stored = store_.FindByDigest(digest)) {
      Answer answer = GameAnswer(200, *stored, store_.RankOf(*stored));
      store_.Sync();
      return done(std::move(answer));
    }
    const Verdict verdict = VerifyReplay(reinterpret_cast<const uint8_t*>(body.data()), body.size());
    if (!verdict.plays) return done(ErrorAnswer(422, verdict.reason));
    GameRecord game{0, name, verdict.mode, verdict.score, verdict.seconds, verdict.frames, now_()};
    std::lock_guard<std::mutex> lock(writer_mutex_);
    waiting_.push_back(Pending{NewGame{game, std::move(digest), std::move(body), false, 0}, std::move(done)});
    writer_wakes_.notify_one();
  } catch (const StoreError& error) {
    done(StoreFailed(error));
  }
}

Answer Board::Submit(std::string_view raw_name, std::string body) {
  std::promise<Answer> answer;
  Submit(raw_name, std::move(body), [&answer](Answer given) { answer.set_value(std::move(given)); });
  return answer.get_future().get();
}

// Stores what waits, all of it in one transaction, syncs it and answers it;
// the games that come meanwhile wait for the next turn. One sync for each
// transaction, with no thread between the two: a turn takes the longer, and
// stores the more games at once.
void Board::Writer() {
  std::vector<Pending> batch;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(writer_mutex_);
      writer_wakes_.wait(lock, [this] { return writer_done_ || !waiting_.empty(); });
      if (waiting_.empty()) return;
      batch.swap(waiting_);
      writing_ = true;
    }
    std::vector<Answer> answers = StoreAndSync(batch);
    for (size_t k = 0; k < batch.size(); ++k) batch[k].done(std::move(answers[k]));
    batch.clear();
    std::lock_guard<std::mutex> lock(writer_mutex_);
    writing_ = false;
    writer_idle_.notify_all();
  }
}

std::vector<Answer> Board::StoreAndSync(std::vector<Pending>& batch) {
  std::vector<NewGame> games;
  for (Pending& pending : batch) games.push_back(std::move(pending.game));
  std::vector<Answer> answers;
  try {
    store_.AddAll(games);
    for (const NewGame& game : games) {
      if (game.added) Forget(game.game.mode);
    }
    store_.Sync();
    for (const NewGame& game : games) answers.push_back(GameAnswer(game.added ? 201 : 200, game.game, game.rank));
  } catch (const StoreError& error) {
    answers.assign(batch.size(), StoreFailed(error));
  }
  return answers;
}

void Board::Flush() {
  std::unique_lock<std::mutex> lock(writer_mutex_);
  writer_idle_.wait(lock, [this] { return waiting_.empty() && !writing_; });
}

void Board::Forget(int32_t mode) {
  std::lock_guard<std::mutex> lock(cache_mutex_);
  for (auto it = boards_.begin(); it != boards_.end();) {
    it = it->first.first == mode ? boards_.erase(it) : std::next(it);
  }
  modes_ = Cached{};
}

Answer Board::Leaderboard(std::string_view query) {
  const std::optional<std::string> mode_text = QueryValue(query, "mode");
  const std::optional<std::string> limit_text = QueryValue(query, "limit");
  const std::optional<int64_t> mode = Number(mode_text.value_or("0"), 0, kMostTimeLimit);
  const std::optional<int64_t> limit = Number(limit_text.value_or("10"), 1, kMostListed);
  if (!mode || !limit) return ErrorAnswer(400, "mode is 0 (Play) or a time limit up to 1000; limit is 1 to 100");
  const std::pair<int32_t, int32_t> key(static_cast<int32_t>(*mode), static_cast<int32_t>(*limit));
  try {
    std::lock_guard<std::mutex> lock(cache_mutex_);
    auto cached = boards_.find(key);
    if (cached == boards_.end() || !Fresh(cached->second)) {
      json games = json::array();
      int32_t rank = 0;
      for (const GameRecord& game : store_.Best(key.first, key.second)) {
        json entry = GameJson(game);
        entry["rank"] = ++rank;
        entry.erase("frames");
        entry.erase("mode");
        games.push_back(std::move(entry));
      }
      if (boards_.size() >= kMostCached) boards_.clear();
      Cached made{std::make_shared<const std::string>(json{{"mode", key.first}, {"games", games}}.dump()),
                  std::chrono::steady_clock::now()};
      cached = boards_.insert_or_assign(key, std::move(made)).first;
    }
    return Answer{200, *cached->second.body};
  } catch (const StoreError& error) {
    return StoreFailed(error);
  }
}

Answer Board::Game(std::string_view id) {
  const std::optional<int64_t> number = Number(id, 1, INT64_MAX);
  try {
    std::optional<std::string> replay;
    if (number) replay = store_.ReplayOf(*number);
    if (!replay) return ErrorAnswer(404, "no game has that id");
    return Answer{200, std::move(*replay), "application/octet-stream"};
  } catch (const StoreError& error) {
    return StoreFailed(error);
  }
}

Answer Board::Modes() {
  try {
    std::lock_guard<std::mutex> lock(cache_mutex_);
    if (!Fresh(modes_)) {
      json modes = json::array();
      for (const ModeCount& mode : store_.Modes()) modes.push_back(json{{"mode", mode.mode}, {"games", mode.games}});
      modes_ =
          Cached{std::make_shared<const std::string>(json{{"modes", modes}}.dump()), std::chrono::steady_clock::now()};
    }
    return Answer{200, *modes_.body};
  } catch (const StoreError& error) {
    return StoreFailed(error);
  }
}

}  // namespace vq::server
