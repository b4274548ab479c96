// The board's games in PostgreSQL, which any number of servers may share:
// the database decides whether a game is new (a unique digest and INSERT ...
// ON CONFLICT) and what rank it takes, so no server needs to know of the
// others. A lost connection (the database restarting, say) is opened again
// on the next request; meanwhile the board answers 503, never 201 for a game
// that was not committed.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "server/store.h"

namespace pqxx {
class connection_base;
}

namespace vq::server {

class PostgresStore : public Store {
 public:
  // Connects to url (a postgresql:// URI or libpq's key=value words), brings
  // the board's tables up to kSchemaVersion, and keeps up to connections
  // connections open for the threads that ask at once. Throws StoreError
  // when it cannot, or when the tables are newer than this server knows.
  PostgresStore(const std::string& url, int connections);
  ~PostgresStore() override;
  PostgresStore(const PostgresStore&) = delete;
  PostgresStore& operator=(const PostgresStore&) = delete;

  void AddAll(std::vector<NewGame>& games) override;
  std::optional<GameRecord> FindByDigest(const std::string& digest) override;
  std::optional<std::string> ReplayOf(int64_t id) override;
  std::vector<GameRecord> Best(int32_t mode, int32_t limit) override;
  int32_t RankOf(const GameRecord& game) override;
  std::vector<ModeCount> Modes() override;
  std::vector<GameRecord> GamesAfter(int64_t after, int32_t limit) override;

 private:
  class Lease;
  struct Connection;  // a pqxx::connection, whose base has no virtual destructor
  std::unique_ptr<Connection> Connect();
  template <class Work>
  auto Run(Work work) -> decltype(work(std::declval<pqxx::connection_base&>()));
  void Upgrade();

  std::string url_;
  // The connections not in use; an empty one is opened when next taken.
  std::mutex mutex_;
  std::condition_variable returned_;
  std::vector<std::unique_ptr<Connection>> idle_;
};

}  // namespace vq::server
