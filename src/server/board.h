// What the board answers, apart from HTTP: a submitted game played again and
// stored, the leaderboards, a game's replay and the modes. Each answer is a
// status and a JSON body; the HTTP layer adds the connection's concerns (the
// rate, the queue, the timeouts).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "server/store.h"

namespace vq::server {

struct Answer {
  int status;
  std::string body;
  std::string content_type = "application/json";
};

// {"error": why} with status.
Answer ErrorAnswer(int status, std::string_view why);

// The SHA-256 of a replay's bytes, in hex: the key that stores a game once.
std::string ReplayDigest(const std::string& bytes);
// A time in seconds since 1970 as the board writes it, 2026-12-09T02:34:44Z,
// and back; nothing for any other text.
std::string DateText(int64_t seconds);
std::optional<int64_t> ParseDate(std::string_view text);

class Board {
 public:
  // now gives the time of a submission, in seconds since 1970. A list
  // answered from the cache is at most list_life old: other servers on the
  // same database store games that this one hears nothing of.
  explicit Board(Store& store, std::function<int64_t()> now = nullptr,
                 std::chrono::milliseconds list_life = std::chrono::milliseconds(1000));
  // Stores and answers the games on their way first.
  ~Board();
  Board(const Board&) = delete;
  Board& operator=(const Board&) = delete;

  // A submission, whole: the name from the query as sent, the body as read.
  // 201 stored, 200 stored before (the first copy's id), 400 a bad name, 413
  // too long, 422 no replay or one that does not play to its result, 503
  // the store is unavailable for now, 500 it failed (nothing is taken as
  // stored either way). The game is played again on the calling thread; a
  // game that plays is stored by the board's writer together with those that
  // came while it stored and synced the last ones, in one transaction, and
  // done gets the answer from the writer once the game is on the disk. The
  // same bytes again, and refusals, are answered on the calling thread.
  void Submit(std::string_view raw_name, std::string body, std::function<void(Answer)> done);
  // The same, waiting for the answer.
  Answer Submit(std::string_view raw_name, std::string body);
  // Returns once every game on its way is stored and answered.
  void Flush();

  // The checks that need no body, for the HTTP layer to answer early: the
  // name, and a body of declared length (413 past the longest replay).
  static std::optional<Answer> RefuseEarly(std::string_view raw_name, uint64_t declared_length);

  // GET /api/leaderboard?mode=M&limit=N.
  Answer Leaderboard(std::string_view query);
  // GET /api/games/ID: the replay's bytes.
  Answer Game(std::string_view id);
  // GET /api/modes.
  Answer Modes();

 private:
  struct Pending {
    NewGame game;
    std::function<void(Answer)> done;
  };
  Answer GameAnswer(int status, const GameRecord& game, int32_t rank);
  // 503 when the store may answer again soon, else 500; the store's words
  // go to the log.
  Answer StoreFailed(const StoreError& error);
  struct Cached {
    std::shared_ptr<const std::string> body;
    std::chrono::steady_clock::time_point made;
  };
  bool Fresh(const Cached& cached) const;
  void Forget(int32_t mode);
  void Writer();
  // Stores the games of batch in one transaction and syncs the store: the
  // answers, in the batch's order.
  std::vector<Answer> StoreAndSync(std::vector<Pending>& batch);

  Store& store_;
  std::function<int64_t()> now_;
  // The games that wait for the writer.
  std::mutex writer_mutex_;
  std::condition_variable writer_wakes_;
  std::condition_variable writer_idle_;
  std::vector<Pending> waiting_;
  bool writer_done_ = false;
  bool writing_ = false;  // a batch is being stored, synced and answered
  std::thread writer_;
  // Answers to the board's lists, kept until a game of their mode is stored;
  // a miss fills its entry under the lock, so that a stale list never
  // outlives the Forget that follows a store.
  std::mutex cache_mutex_;
  std::chrono::milliseconds list_life_;
  std::mutex log_mutex_;
  std::chrono::steady_clock::time_point last_logged_;
  int64_t unlogged_ = 0;
  std::map<std::pair<int32_t, int32_t>, Cached> boards_;
  Cached modes_;
};

}  // namespace vq::server
