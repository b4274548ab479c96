// The board's games in one SQLite file, written ahead (WAL) and synced on
// every commit, so that a game once answered as stored survives a crash of
// the machine.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <mutex>
#include <string>

#include "server/store.h"

namespace vq::server {

class SqliteStore : public Store {
 public:
  // Opens or creates the database at path (":memory:" for one that lives in
  // memory); throws StoreError when it cannot.
  explicit SqliteStore(const std::string& path);
  ~SqliteStore() override;
  SqliteStore(const SqliteStore&) = delete;
  SqliteStore& operator=(const SqliteStore&) = delete;

  void AddAll(std::vector<NewGame>& games) override;
  std::optional<GameRecord> FindByDigest(const std::string& digest) override;
  std::optional<std::string> ReplayOf(int64_t id) override;
  std::vector<GameRecord> Best(int32_t mode, int32_t limit) override;
  int32_t RankOf(const GameRecord& game) override;
  std::vector<ModeCount> Modes() override;
  std::vector<GameRecord> GamesAfter(int64_t after, int32_t limit) override;

 private:
  struct Statement;
  Statement Prepare(const char* sql);
  void Execute(const char* sql);
  [[noreturn]] void Fail(const char* what);
  std::optional<GameRecord> FindByDigestLocked(const std::string& digest);
  int32_t RankOfLocked(const GameRecord& game);
  void Upgrade();

  // One connection, used by one thread at a time: SQLite writes one
  // transaction at a time anyway, and the board keeps its lists cached.
  std::mutex mutex_;
  sqlite3* db_ = nullptr;
};

}  // namespace vq::server
