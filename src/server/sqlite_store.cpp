#include "server/sqlite_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace vq::server {

namespace {

// The tables of each version, in order: kUpgrades[k] brings a board of
// version k to version k + 1. Version 0 is the board of the first server,
// which had the tables of version 1 and no version: IF NOT EXISTS keeps them.
//
// Version 1: the games, one row each, and each name's best game of each mode.
// The id is the order of storing, which decides between equal scores; the
// digest of the replay's bytes keeps a game from being stored twice even when
// two copies arrive at once; the bests keep a board and a rank from reading
// every game of the mode.
constexpr const char* kUpgrades[] = {R"(
CREATE TABLE IF NOT EXISTS games (
  id INTEGER PRIMARY KEY,
  digest TEXT NOT NULL UNIQUE,
  name TEXT NOT NULL,
  mode INTEGER NOT NULL,
  score INTEGER NOT NULL,
  seconds INTEGER NOT NULL,
  frames INTEGER NOT NULL,
  submitted INTEGER NOT NULL,
  replay BLOB NOT NULL
);
CREATE INDEX IF NOT EXISTS games_by_mode ON games (mode);
CREATE TABLE IF NOT EXISTS bests (
  mode INTEGER NOT NULL,
  name TEXT NOT NULL,
  score INTEGER NOT NULL,
  id INTEGER NOT NULL REFERENCES games (id),
  PRIMARY KEY (mode, name)
);
CREATE INDEX IF NOT EXISTS bests_in_order ON bests (mode, score DESC, id, name);
)"};
static_assert(sizeof kUpgrades / sizeof kUpgrades[0] == kSchemaVersion, "one upgrade a version");

constexpr const char* kColumns = "id, name, mode, score, seconds, frames, submitted";

}  // namespace

// A statement of a connection's, reset for its next use when it goes.
struct SqliteStore::Statement {
  sqlite3_stmt* stmt = nullptr;
  sqlite3* db = nullptr;

  Statement(sqlite3_stmt* s, sqlite3* on) : stmt(s), db(on) {}
  Statement(Statement&& other) noexcept : stmt(std::exchange(other.stmt, nullptr)), db(other.db) {}
  ~Statement() {
    if (!stmt) return;
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
  }

  void Bind(int at, int64_t value) {
    if (sqlite3_bind_int64(stmt, at, value) != SQLITE_OK) Fail(db, "bind");
  }
  void Bind(int at, const std::string& text) {
    if (sqlite3_bind_text(stmt, at, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) != SQLITE_OK)
      Fail(db, "bind");
  }
  void BindBlob(int at, const std::string& bytes) {
    if (sqlite3_bind_blob(stmt, at, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC) != SQLITE_OK)
      Fail(db, "bind");
  }
  // True while there is a row to read.
  bool Step() {
    const int result = sqlite3_step(stmt);
    if (result == SQLITE_ROW) return true;
    if (result == SQLITE_DONE) return false;
    Fail(db, "step");
  }
  int64_t Int(int column) { return sqlite3_column_int64(stmt, column); }
  std::string Text(int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return text ? std::string(text, sqlite3_column_bytes(stmt, column)) : std::string();
  }
  std::string Blob(int column) {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, column));
    return bytes ? std::string(bytes, sqlite3_column_bytes(stmt, column)) : std::string();
  }
  // The columns of kColumns from column 0 on.
  GameRecord Game() {
    return GameRecord{Int(0),
                      Text(1),
                      static_cast<int32_t>(Int(2)),
                      static_cast<int32_t>(Int(3)),
                      static_cast<int32_t>(Int(4)),
                      static_cast<int32_t>(Int(5)),
                      Int(6)};
  }
};

sqlite3* SqliteStore::Open(const std::string& path) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK) {
    const std::string why = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    throw StoreError("cannot open " + path + ": " + why);
  }
  // Another server on the same file waits for a writer rather than fail.
  sqlite3_busy_timeout(db, 5000);
  return db;
}

SqliteStore::SqliteStore(const std::string& path) {
  // The connections close themselves should any step fail.
  writer_.db = Open(path);
  // WAL: readers never wait for the writer. NORMAL: a commit writes its
  // pages to the log and returns; Sync then puts the log on the disk, once
  // for all the commits before it, while the writer goes on. SQLite syncs
  // the log itself before a checkpoint copies it into the database, and the
  // database after, so that the log's pages are on the disk until the
  // database's are.
  Execute(writer_, "PRAGMA journal_mode=WAL");
  Execute(writer_, "PRAGMA synchronous=NORMAL");
  Upgrade();
  if (path == ":memory:") {
    reader_ = &writer_;
    return;
  }
  own_reader_.db = Open(path);
  // The log is there since the first transaction, and stays while a
  // connection is open.
  wal_path_ = path + "-wal";
  wal_ = open(wal_path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (wal_ < 0) throw StoreError("cannot open " + wal_path_ + ": " + std::strerror(errno));
}

SqliteStore::~SqliteStore() {
  if (wal_ >= 0) close(wal_);
}

void SqliteStore::RefuseAfterFailedSync() const {
  if (sync_failed_) throw StoreError("the store stopped storing after a failed sync of " + wal_path_);
}

void SqliteStore::Sync() {
  if (wal_ < 0) return;
  RefuseAfterFailedSync();
  if (fdatasync(wal_) != 0) {
    sync_failed_ = true;
    throw StoreError("cannot sync " + wal_path_ + ": " + std::strerror(errno) + "; restart the server");
  }
}

SqliteStore::Connection::~Connection() {
  for (const auto& [sql, stmt] : prepared) sqlite3_finalize(stmt);
  sqlite3_close(db);
}

// Under the write lock, so that two servers opening one new file make its
// tables once.
void SqliteStore::Upgrade() {
  Execute(writer_, "BEGIN IMMEDIATE");
  try {
    Execute(writer_, "CREATE TABLE IF NOT EXISTS board_schema (version INTEGER NOT NULL)");
    Statement read = Prepare(writer_, "SELECT COALESCE(MAX(version), 0) FROM board_schema");
    read.Step();
    const int version = static_cast<int>(read.Int(0));
    if (version > kSchemaVersion) throw StoreError(NewerSchemaMessage(version));
    for (int k = version; k < kSchemaVersion; ++k) Execute(writer_, kUpgrades[k]);
    if (version < kSchemaVersion) {
      Execute(writer_, "DELETE FROM board_schema");
      Statement mark = Prepare(writer_, "INSERT INTO board_schema (version) VALUES (?1)");
      mark.Bind(1, kSchemaVersion);
      mark.Step();
    }
    Execute(writer_, "COMMIT");
  } catch (...) {
    sqlite3_exec(writer_.db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

void SqliteStore::Fail(sqlite3* db, const char* what) {
  throw StoreError(std::string("the store cannot ") + what + ": " + sqlite3_errmsg(db));
}

SqliteStore::Statement SqliteStore::Prepare(Connection& on, const std::string& sql) {
  sqlite3_stmt*& stmt = on.prepared[sql];
  if (!stmt && sqlite3_prepare_v3(on.db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) {
    on.prepared.erase(sql);
    Fail(on.db, "prepare");
  }
  return Statement(stmt, on.db);
}

void SqliteStore::Execute(Connection& on, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(on.db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string why = error ? error : sqlite3_errmsg(on.db);
    sqlite3_free(error);
    throw StoreError("the store cannot run " + std::string(sql).substr(0, 40) + ": " + why);
  }
}

std::optional<GameRecord> SqliteStore::FindByDigestOn(Connection& on, const std::string& digest) {
  Statement find = Prepare(on, std::string("SELECT ") + kColumns + " FROM games WHERE digest = ?1");
  find.Bind(1, digest);
  if (!find.Step()) return std::nullopt;
  return find.Game();
}

void SqliteStore::AddAll(std::vector<NewGame>& games) {
  RefuseAfterFailedSync();
  std::lock_guard<std::mutex> lock(writer_.mutex);
  // The checks and the inserts in one transaction: another server on the
  // file may store the same bytes in between otherwise.
  Execute(writer_, "BEGIN IMMEDIATE");
  try {
    for (NewGame& game : games) {
      game.added = false;
      if (std::optional<GameRecord> stored = FindByDigestOn(writer_, game.digest)) {
        game.game = *stored;
        continue;
      }
      Statement insert = Prepare(writer_,
                                 "INSERT INTO games (digest, name, mode, score, seconds, frames, submitted, replay) "
                                 "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
      insert.Bind(1, game.digest);
      insert.Bind(2, game.game.name);
      insert.Bind(3, game.game.mode);
      insert.Bind(4, game.game.score);
      insert.Bind(5, game.game.seconds);
      insert.Bind(6, game.game.frames);
      insert.Bind(7, game.game.submitted);
      insert.BindBlob(8, game.replay);
      insert.Step();
      game.game.id = sqlite3_last_insert_rowid(writer_.db);
      game.added = true;
      // A better game than the name's best takes its place; an equal one
      // came later, and does not.
      Statement best =
          Prepare(writer_,
                  "INSERT INTO bests (mode, name, score, id) VALUES (?1, ?2, ?3, ?4) "
                  "ON CONFLICT (mode, name) DO UPDATE SET score = excluded.score, id = excluded.id "
                  "WHERE excluded.score > bests.score OR (excluded.score = bests.score AND excluded.id < bests.id)");
      best.Bind(1, game.game.mode);
      best.Bind(2, game.game.name);
      best.Bind(3, game.game.score);
      best.Bind(4, game.game.id);
      best.Step();
    }
    for (NewGame& game : games) game.rank = RankOfOn(writer_, game.game);
    Execute(writer_, "COMMIT");
  } catch (...) {
    sqlite3_exec(writer_.db, "ROLLBACK", nullptr, nullptr, nullptr);
    for (NewGame& game : games) game.added = false;
    throw;
  }
}

std::optional<GameRecord> SqliteStore::FindByDigest(const std::string& digest) {
  std::lock_guard<std::mutex> lock(reader_->mutex);
  return FindByDigestOn(*reader_, digest);
}

std::optional<std::string> SqliteStore::ReplayOf(int64_t id) {
  std::lock_guard<std::mutex> lock(reader_->mutex);
  Statement find = Prepare(*reader_, "SELECT replay FROM games WHERE id = ?1");
  find.Bind(1, id);
  if (!find.Step()) return std::nullopt;
  return find.Blob(0);
}

std::vector<GameRecord> SqliteStore::Best(int32_t mode, int32_t limit) {
  std::lock_guard<std::mutex> lock(reader_->mutex);
  Statement best = Prepare(*reader_,
                           "SELECT g.id, g.name, g.mode, g.score, g.seconds, g.frames, g.submitted FROM bests b "
                           "JOIN games g ON g.id = b.id WHERE b.mode = ?1 ORDER BY b.score DESC, b.id ASC LIMIT ?2");
  best.Bind(1, mode);
  best.Bind(2, limit);
  std::vector<GameRecord> games;
  while (best.Step()) games.push_back(best.Game());
  return games;
}

int32_t SqliteStore::RankOf(const GameRecord& game) {
  std::lock_guard<std::mutex> lock(reader_->mutex);
  return RankOfOn(*reader_, game);
}

int32_t SqliteStore::RankOfOn(Connection& on, const GameRecord& game) {
  // A name is ahead when its best game beats this one.
  Statement ahead = Prepare(
      on, "SELECT COUNT(*) FROM bests WHERE mode = ?1 AND name <> ?2 AND (score > ?3 OR (score = ?3 AND id < ?4))");
  ahead.Bind(1, game.mode);
  ahead.Bind(2, game.name);
  ahead.Bind(3, game.score);
  ahead.Bind(4, game.id);
  ahead.Step();
  return static_cast<int32_t>(ahead.Int(0) + 1);
}

std::vector<ModeCount> SqliteStore::Modes() {
  std::lock_guard<std::mutex> lock(reader_->mutex);
  Statement modes = Prepare(*reader_, "SELECT mode, COUNT(*) FROM games GROUP BY mode ORDER BY mode");
  std::vector<ModeCount> counts;
  while (modes.Step()) counts.push_back(ModeCount{static_cast<int32_t>(modes.Int(0)), modes.Int(1)});
  return counts;
}

std::vector<GameRecord> SqliteStore::GamesAfter(int64_t after, int32_t limit) {
  std::lock_guard<std::mutex> lock(reader_->mutex);
  Statement page =
      Prepare(*reader_, std::string("SELECT ") + kColumns + " FROM games WHERE id > ?1 ORDER BY id LIMIT ?2");
  page.Bind(1, after);
  page.Bind(2, limit);
  std::vector<GameRecord> games;
  while (page.Step()) games.push_back(page.Game());
  return games;
}

}  // namespace vq::server
