// The board's games in one SQLite file, written ahead (WAL); the log is
// synced before a game is answered as stored, so that it survives a crash
// of the machine.
#pragma once

#include <sqlite3.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

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
  void Sync() override;
  std::optional<GameRecord> FindByDigest(const std::string& digest) override;
  std::optional<std::string> ReplayOf(int64_t id) override;
  std::vector<GameRecord> Best(int32_t mode, int32_t limit) override;
  int32_t RankOf(const GameRecord& game) override;
  std::vector<ModeCount> Modes() override;
  std::vector<GameRecord> GamesAfter(int64_t after, int32_t limit) override;

 private:
  struct Statement;
  // A connection, used by one thread at a time, and its statements, each
  // prepared once: parsing one costs more than running it.
  struct Connection {
    std::mutex mutex;
    sqlite3* db = nullptr;
    std::unordered_map<std::string, sqlite3_stmt*> prepared;
    ~Connection();
  };
  static sqlite3* Open(const std::string& path);
  static Statement Prepare(Connection& on, const std::string& sql);
  static void Execute(Connection& on, const char* sql);
  [[noreturn]] static void Fail(sqlite3* db, const char* what);
  static std::optional<GameRecord> FindByDigestOn(Connection& on, const std::string& digest);
  static int32_t RankOfOn(Connection& on, const GameRecord& game);
  void Upgrade();
  // Throws once a sync has failed: nothing more is stored or answered stored.
  void RefuseAfterFailedSync() const;

  // The writer's transaction ends with a sync of the disk, and takes as long
  // as the disk does; the reads (a submission's look for the same bytes, a
  // rank, the lists) have a connection of their own, which WAL lets read the
  // last commit meanwhile, so that games are played again while others are
  // written. A database in memory has the one connection: a second would
  // open a database of its own.
  Connection writer_;
  Connection own_reader_;
  Connection* reader_ = &own_reader_;
  // The write-ahead log, which Sync syncs: a commit has written its pages
  // there when it returns (-1 in memory). Once a sync has failed, the disk
  // may have dropped what it did not write, and nothing more is stored.
  int wal_ = -1;
  std::string wal_path_;
  std::atomic<bool> sync_failed_{false};
};

}  // namespace vq::server
