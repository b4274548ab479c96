// Where the board keeps its games. The board asks for little: store a game
// once by the digest of its bytes, find one, give back its bytes, and list
// each name's best game of a mode. The SQLite store is the default, one file
// for one machine; the PostgreSQL store lets several servers share a board.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vq::server {

// A game on the board: what its replay played to, who sent it and when.
struct GameRecord {
  int64_t id;
  std::string name;
  int32_t mode;  // 0 for Play, else the Time attack limit in seconds
  int32_t score;
  int32_t seconds;
  int32_t frames;
  int64_t submitted;  // seconds since 1970, UTC
};

// A verified game on its way into the store, and what became of it.
struct NewGame {
  GameRecord game;  // its id, or the stored copy, once added
  std::string digest;
  std::string replay;
  bool added;
  int32_t rank;  // the place game takes on its board, as the transaction that stored it saw it
};

struct ModeCount {
  int32_t mode;
  int64_t games;
};

// A store that cannot do what it was asked (a full disk, a damaged file):
// the caller answers with an error and nothing is taken as stored. An
// unavailable store (its database restarting, the connection lost) may
// answer again soon: the client is told to send again (503), not that the
// board is broken (500).
class StoreError : public std::runtime_error {
 public:
  explicit StoreError(const std::string& what, bool unavailable = false)
      : std::runtime_error(what), unavailable_(unavailable) {}
  bool Unavailable() const { return unavailable_; }

 private:
  bool unavailable_;
};

// The version of the tables that this server reads and writes. A store
// brings an older board up to it when it opens, and refuses to open a newer
// one, which an older server would misread.
constexpr int kSchemaVersion = 1;
std::string NewerSchemaMessage(int found);

class Store {
 public:
  virtual ~Store() = default;

  // Stores each game (its id is chosen here) with its replay's bytes, all in
  // one transaction, unless a game of the same digest is stored (or comes
  // earlier in games): then that one is taken and added stays false. The
  // database decides, so that the same bytes sent to two servers at once are
  // stored once. Each game's rank is taken in the same transaction. Once it
  // returns, the games are stored and read by all; when it throws, none of
  // them is stored.
  virtual void AddAll(std::vector<NewGame>& games) = 0;
  // Once it returns, every game that AddAll stored before it began outlasts
  // a crash of the machine. A store that waits for the disk in AddAll has
  // nothing left to do; one that does not lets the next games be stored
  // while the last ones reach the disk, and a sync covers them all.
  virtual void Sync() {}
  virtual std::optional<GameRecord> FindByDigest(const std::string& digest) = 0;
  // The replay's bytes of the game id.
  virtual std::optional<std::string> ReplayOf(int64_t id) = 0;
  // Each name's best game of mode, best first: the higher score, and of
  // equal scores the one stored first; at most limit of them.
  virtual std::vector<GameRecord> Best(int32_t mode, int32_t limit) = 0;
  // The place game takes among the other names' best games of its mode.
  virtual int32_t RankOf(const GameRecord& game) = 0;
  // The modes that have games, with their counts, in the order of the mode.
  virtual std::vector<ModeCount> Modes() = 0;
  // At most limit games of ids above after, in the order they were stored:
  // the whole board, page by page, for an export.
  virtual std::vector<GameRecord> GamesAfter(int64_t after, int32_t limit) = 0;
};

}  // namespace vq::server
