// Where the board keeps its games. The board asks for little: store a game
// once by the digest of its bytes, find one, give back its bytes, and list
// each name's best game of a mode. The SQLite store is the default; a
// database server can stand behind the same interface.
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

struct ModeCount {
  int32_t mode;
  int64_t games;
};

// A store that cannot do what it was asked (a full disk, a damaged file):
// the caller answers with an error and nothing is taken as stored.
class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Store {
 public:
  virtual ~Store() = default;

  // Stores game (its id is chosen here) with its replay's bytes, unless a
  // game of the same digest is stored: then that one is returned and *added
  // is false. Once it returns, the game outlasts a crash of the machine.
  virtual GameRecord Add(const GameRecord& game, const std::string& digest, const std::string& replay, bool* added) = 0;
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
};

}  // namespace vq::server
