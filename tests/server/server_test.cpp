// The board as a client meets it: a real server on a free port of
// 127.0.0.1, its games in a SQLite file of a scratch folder, and requests
// over real sockets, well-formed and hostile. Run by tools/pg-cluster run,
// the same cases run on a PostgreSQL cluster of the program's own, each on a
// board of its own.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <nlohmann/json.hpp>
#include <pqxx/pqxx>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "server/board.h"
#include "server/http_server.h"
#include "server/postgres_store.h"
#include "server/sqlite_store.h"
#include "temp_dir.h"
#include "test_games.h"

namespace vq::test {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;
using server::ServerOptions;
using Clock = std::chrono::steady_clock;

// A connection of the test's own, to say exactly what a client sends.
class Socket {
 public:
  explicit Socket(uint16_t port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~Socket() { close(fd_); }
  bool Connected() const { return connected_; }
  bool Send(const std::string& bytes) {
    return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
  }
  // What the server sends until it closes, or until within has passed.
  std::string Receive(std::chrono::milliseconds within = 5s, bool until_closed = true) {
    std::string got;
    const auto end = Clock::now() + within;
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
      pollfd ready{fd_, POLLIN, 0};
      if (left <= 0 || poll(&ready, 1, static_cast<int>(left)) <= 0) return got;
      char chunk[65536];
      const ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
      if (n <= 0) {
        closed_ = true;
        return got;
      }
      got.append(chunk, n);
      if (!until_closed && got.find("\r\n\r\n") != std::string::npos) return got;
    }
  }
  bool Closed() const { return closed_; }

 private:
  int fd_;
  bool connected_ = false;
  bool closed_ = false;
};

struct Reply {
  int status = 0;
  std::string head;
  std::string body;
  json Json() const { return json::parse(body, nullptr, false); }
};

// One request on a connection of its own, answered whole.
Reply Request(uint16_t port, const std::string& method, const std::string& target, const std::string& body = "") {
  Socket socket(port);
  std::string request = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
  if (!body.empty() || method == "POST") request += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  socket.Send(request + "\r\n" + body);
  const std::string answer = socket.Receive();
  Reply reply;
  const size_t end = answer.find("\r\n\r\n");
  if (answer.size() < 12 || end == std::string::npos) return reply;
  reply.status = std::stoi(answer.substr(9, 3));
  reply.head = answer.substr(0, end);
  reply.body = answer.substr(end + 4);
  return reply;
}

Reply Submit(uint16_t port, const std::string& name, const std::string& replay) {
  return Request(port, "POST", "/api/games?name=" + name, replay);
}

// The board's PostgreSQL database, when the cases run in a cluster of their
// own (tools/pg-cluster run server_test); "" for SQLite.
const std::string kPostgres = std::getenv("PG_CLUSTER_URL") ? std::getenv("PG_CLUSTER_URL") : "";

class ServerTest : public InTempDir {
 protected:
  void SetUp() override {
    InTempDir::SetUp();
    // Each case on a board of its own: the tables of the last go.
    if (!kPostgres.empty()) Sql("DROP TABLE IF EXISTS bests, games, board_schema");
  }
  // Runs sql on the board's database, as its administrator would.
  void Sql(const std::string& sql) {
    if (!kPostgres.empty()) {
      pqxx::connection connection(kPostgres);
      pqxx::nontransaction work(connection);
      work.exec(sql);
      return;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((dir_ + "/board.sqlite").c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
  }
  std::unique_ptr<server::Store> OpenStore() {
    if (!kPostgres.empty()) return std::make_unique<server::PostgresStore>(kPostgres, 4);
    return std::make_unique<server::SqliteStore>(dir_ + "/board.sqlite");
  }
  void TearDown() override {
    StopServer();
    InTempDir::TearDown();
  }

  // Starts the board with options on a free port.
  void StartServer(ServerOptions options = Options()) {
    store_ = OpenStore();
    board_ = std::make_unique<server::Board>(*store_);
    options.port = 0;
    server_ = std::make_unique<server::Server>(*board_, options);
    port_ = server_->Port();
    runner_ = std::thread([this] { server_->Run(); });
  }
  void StopServer() {
    if (!server_) return;
    server_->Stop();
    runner_.join();
    server_.reset();
    board_.reset();
    store_.reset();
  }
  // Short timeouts, so that the slow clients' cases take a second or two.
  static ServerOptions Options() {
    ServerOptions options;
    options.timeout = 1500ms;
    options.idle = 1500ms;
    options.rate = 0;
    return options;
  }
  static std::string GoldenFile(const char* name) { return ReadFile(std::string(VQ_GOLDEN_DIR) + "/" + name); }
  int64_t GamesStored() {
    int64_t games = 0;
    const json modes = Request(port_, "GET", "/api/modes").Json();
    for (const json& mode : modes["modes"]) games += mode["games"].get<int64_t>();
    return games;
  }

  std::unique_ptr<server::Store> store_;
  std::unique_ptr<server::Board> board_;
  std::unique_ptr<server::Server> server_;
  std::thread runner_;
  uint16_t port_ = 0;
};

// The golden replays, played in the real program, are accepted with the
// results --verify finds for them, once however often they come; every
// forged copy of them is refused with the reason and leaves nothing behind.
TEST_F(ServerTest, GoldensAreListedAndForgedCopiesRefused) {
  StartServer();
  struct Known {
    const char* file;
    int mode, score, seconds, frames;
  } goldens[] = {{"untimed_moves.vqreplay", 0, 44, 21, 644},
                 {"time_attack.vqreplay", 10, 22, 10, 320},
                 {"new_skin.vqreplay", 0, 102, 26, 863}};
  for (const Known& golden : goldens) {
    const std::string replay = GoldenFile(golden.file);
    for (Forgery forgery : kForgeries) {
      const Reply refused = Submit(port_, "Forger", Forge(replay, forgery));
      EXPECT_EQ(refused.status, 422) << golden.file << ", forged " << ForgeryName(forgery) << ": " << refused.body;
      EXPECT_FALSE(refused.Json().value("error", "").empty()) << refused.body;
    }
    EXPECT_EQ(GamesStored(), 0);
  }
  int64_t first_id = 0;
  for (const Known& golden : goldens) {
    const Reply stored = Submit(port_, "Golden", GoldenFile(golden.file));
    ASSERT_EQ(stored.status, 201) << golden.file << ": " << stored.body;
    const json game = stored.Json();
    EXPECT_EQ(game["mode"], golden.mode);
    EXPECT_EQ(game["score"], golden.score);
    EXPECT_EQ(game["seconds"], golden.seconds);
    EXPECT_EQ(game["frames"], golden.frames);
    if (!first_id) first_id = game["id"];
  }
  // The same bytes again, from anyone: the first copy's id, stored once.
  const Reply again = Submit(port_, "Copycat", GoldenFile(goldens[0].file));
  EXPECT_EQ(again.status, 200);
  EXPECT_EQ(again.Json()["id"], first_id);
  EXPECT_EQ(again.Json()["name"], "Golden");
  EXPECT_EQ(GamesStored(), 3);
  EXPECT_EQ(Request(port_, "GET", "/api/games/" + std::to_string(first_id)).body, GoldenFile(goldens[0].file));
  EXPECT_EQ(Request(port_, "GET", "/api/modes").Json()["modes"],
            json::parse(R"([{"mode":0,"games":2},{"mode":10,"games":1}])"));
}

// Bodies that are no replay and names that are no name are refused with a
// clear answer, and nothing is stored.
TEST_F(ServerTest, BadBodiesAndNamesAreRefused) {
  StartServer();
  const std::string game = MakeGame(7, 120);
  struct Case {
    std::string name, body;
    int status;
  } cases[] = {
      {"Ann", "", 422},
      {"Ann", game.substr(0, 30), 422},
      {"Ann", game.substr(0, game.size() - 3), 422},
      {"Ann", "GIF89a garbage, and then some more bytes of it", 422},
      {"Ann", game + "x", 422},
      {"", game, 400},
      {"%20%20", game, 400},
      {"%3Cb%3Ebold%3C%2Fb%3E", game, 400},
      {"a%22b", game, 400},
      {"it%27s", game, 400},
      {"x%27%3BDROP%20TABLE%20games", game, 400},
      {"a%0Ab", game, 400},
      {"a%00b", game, 400},
      {"a%1Bb", game, 400},
      {"%C3%A9", game, 400},
      {"%zz", game, 400},
      {"12345678901234567", game, 400},
  };
  for (const Case& c : cases) {
    const Reply reply = Submit(port_, c.name, c.body);
    EXPECT_EQ(reply.status, c.status) << "name " << c.name << ", " << c.body.size() << " bytes: " << reply.body;
    EXPECT_FALSE(reply.Json().value("error", "").empty()) << reply.body;
  }
  // A name without its parameter, and one past its 16 characters only
  // before the spaces trimmed, which stays.
  EXPECT_EQ(Request(port_, "POST", "/api/games", game).status, 400);
  EXPECT_EQ(GamesStored(), 0);
  const Reply trimmed = Submit(port_, "%20%201234567890123456%20", game);
  ASSERT_EQ(trimmed.status, 201) << trimmed.body;
  EXPECT_EQ(trimmed.Json()["name"], "1234567890123456");
}

// Each name's best game of a mode, best first, the earlier of equal scores
// first; the rank a game is given is its place there.
TEST_F(ServerTest, TheBoardListsEachNamesBestGame) {
  StartServer();
  // Escape on the first frame: a game of no points, other bytes for each seed.
  const std::string nothing[] = {MakeGame(1, 1), MakeGame(2, 1), MakeGame(3, 1), MakeGame(4, 1, 10)};
  struct Sent {
    const char* name;
    std::string replay;
    int rank;
  } sent[] = {{"Bea", nothing[0], 1},
              {"Ann", GoldenFile("new_skin.vqreplay"), 1},
              {"Ann", GoldenFile("untimed_moves.vqreplay"), 1},
              {"Cid", nothing[1], 3},  // behind Bea's earlier game of 0
              {"Bea", nothing[2], 3},  // this game stands behind Cid's; Bea's first stays ahead of it on the board
              {"Dee", nothing[3], 1}};
  std::vector<int64_t> ids;
  for (const Sent& s : sent) {
    const Reply reply = Submit(port_, s.name, s.replay);
    ASSERT_EQ(reply.status, 201) << reply.body;
    EXPECT_EQ(reply.Json()["rank"], s.rank) << s.name;
    ids.push_back(reply.Json()["id"]);
  }
  const json board = Request(port_, "GET", "/api/leaderboard?mode=0&limit=10").Json();
  ASSERT_EQ(board["games"].size(), 3u) << board;
  const struct {
    const char* name;
    int score;
    int64_t id;
  } expected[] = {{"Ann", 102, ids[1]}, {"Bea", 0, ids[0]}, {"Cid", 0, ids[3]}};
  for (size_t k = 0; k < 3; ++k) {
    const json& row = board["games"][k];
    EXPECT_EQ(row["rank"], k + 1);
    EXPECT_EQ(row["name"], expected[k].name);
    EXPECT_EQ(row["score"], expected[k].score);
    EXPECT_EQ(row["id"], expected[k].id);
    EXPECT_TRUE(row.contains("seconds") && row.contains("date")) << row;
  }
  EXPECT_EQ(Request(port_, "GET", "/api/leaderboard?mode=0&limit=1").Json()["games"].size(), 1u);
  EXPECT_EQ(Request(port_, "GET", "/api/leaderboard?mode=10").Json()["games"][0]["name"], "Dee");
  EXPECT_TRUE(Request(port_, "GET", "/api/leaderboard?mode=20").Json()["games"].empty());
  // A game stored moves on the list its mode had cached.
  ASSERT_EQ(Submit(port_, "Eve", MakeGame(12, 1)).status, 201);
  EXPECT_EQ(Request(port_, "GET", "/api/leaderboard?mode=0&limit=100").Json()["games"].size(), 4u);
  for (const char* bad : {"mode=-1", "mode=1001", "mode=x", "limit=0", "limit=101", "limit=", "mode=0&limit=1e2"}) {
    EXPECT_EQ(Request(port_, "GET", std::string("/api/leaderboard?") + bad).status, 400) << bad;
  }
}

// Unknown ids and paths are 404, a method a path does not take 405.
TEST_F(ServerTest, UnknownPathsAndWrongMethods) {
  StartServer();
  const struct {
    const char *method, *target;
    int status;
  } cases[] = {
      {"GET", "/healthz", 200},          {"GET", "/api/modes", 200},
      {"HEAD", "/api/leaderboard", 200}, {"GET", "/api/games/1", 404},
      {"GET", "/api/games/abc", 404},    {"GET", "/api/games/-1", 404},
      {"GET", "/api/games/", 404},       {"GET", "/api/games/1/x", 404},
      {"GET", "/api/nothing", 404},      {"GET", "/", 404},
      {"GET", "/index.html", 404},       {"GET", "/api/games", 405},
      {"PUT", "/api/games", 405},        {"DELETE", "/api/leaderboard", 405},
      {"POST", "/api/modes", 405},       {"POST", "/healthz", 405},
      {"DELETE", "/api/games/1", 405},
  };
  for (const auto& c : cases) {
    const Reply reply = Request(port_, c.method, c.target);
    EXPECT_EQ(reply.status, c.status) << c.method << " " << c.target << ": " << reply.body;
    if (c.status == 405) {
      EXPECT_NE(reply.head.find("Allow: "), std::string::npos) << reply.head;
    }
  }
}

// With a web folder, the page comes from the same server as the API, and no
// path leads out of the folder.
TEST_F(ServerTest, ThePageIsServedFromItsFolderOnly) {
  const std::string web = dir_ + "/web";
  ASSERT_EQ(
      std::system(("mkdir -p " + web + "/sub && printf '<p>page</p>' > " + web + "/index.html && printf 'go()' > " +
                   web + "/velquadro.js && printf secret > " + dir_ + "/secret")
                      .c_str()),
      0);
  ServerOptions options = Options();
  options.web = web;
  StartServer(options);
  const struct {
    const char* target;
    int status;
    const char* body;
    const char* type;
  } cases[] = {
      {"/", 200, "<p>page</p>", "text/html"},
      {"/index.html", 200, "<p>page</p>", "text/html"},
      {"/velquadro.js", 200, "go()", "text/javascript"},
      {"/../secret", 404, nullptr, nullptr},
      {"/sub/../../secret", 404, nullptr, nullptr},
      {"/%2e%2e/secret", 404, nullptr, nullptr},
      {"/sub", 404, nullptr, nullptr},
      {"/missing.js", 404, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    const Reply reply = Request(port_, "GET", c.target);
    EXPECT_EQ(reply.status, c.status) << c.target;
    if (c.body) {
      EXPECT_EQ(reply.body, c.body) << c.target;
    }
    if (c.type) {
      EXPECT_NE(reply.head.find(std::string("Content-Type: ") + c.type), std::string::npos) << reply.head;
    }
    EXPECT_EQ(reply.body.find("secret"), std::string::npos) << c.target;
  }
}

// What a hostile or broken client sends on its own socket: each gets its
// answer at once, or is cut off after the timeout, and nothing is stored.
TEST_F(ServerTest, HostileRequestsAreAnsweredAtOnce) {
  StartServer();
  const std::string post = "POST /api/games?name=Mal HTTP/1.1\r\nHost: x\r\n";
  const struct {
    const char* what;
    std::string sent;
    const char* status;  // the answer's first line begins so
  } cases[] = {
      {"a header that claims a gigabyte", post + "Content-Length: 1073741824\r\n\r\n", "HTTP/1.1 413"},
      {"one byte past the longest replay", post + "Content-Length: 16777217\r\n\r\n", "HTTP/1.1 413"},
      {"a chunk that claims a gigabyte", post + "Transfer-Encoding: chunked\r\n\r\n40000000\r\n", "HTTP/1.1 413"},
      {"a header past 8 KiB", post + "X-Pad: " + std::string(9000, 'a') + "\r\n\r\n", "HTTP/1.1 431"},
      {"no HTTP at all", "\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03garbage\r\n\r\n", "HTTP/1.1 400"},
      {"a body on a request that takes none", "GET /api/modes HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello",
       "HTTP/1.1 413"},
  };
  for (const auto& c : cases) {
    Socket socket(port_);
    socket.Send(c.sent);
    const auto start = Clock::now();
    const std::string answer = socket.Receive(3s, false);
    EXPECT_EQ(answer.rfind(c.status, 0), 0u) << c.what << ": " << answer.substr(0, 200);
    EXPECT_LT(Clock::now() - start, 1s) << c.what;
  }
  EXPECT_EQ(GamesStored(), 0);
}

// A body trickled at a byte a second is cut off after the timeout, and 200
// idle connections held open meanwhile keep no one else waiting.
TEST_F(ServerTest, SlowAndIdleClientsKeepNoOneWaiting) {
  StartServer();
  const std::string game = MakeGame(5, 200);
  Socket slow(port_);
  slow.Send("POST /api/games?name=Slow HTTP/1.1\r\nContent-Length: " + std::to_string(game.size()) + "\r\n\r\n");
  std::vector<std::unique_ptr<Socket>> idle;
  for (int k = 0; k < 200; ++k) {
    idle.push_back(std::make_unique<Socket>(port_));
    ASSERT_TRUE(idle.back()->Connected());
  }
  const auto start = Clock::now();
  size_t sent = 0;
  bool others_served = false;
  while (!slow.Closed() && Clock::now() - start < 5s) {
    slow.Send(game.substr(sent++, 1));
    if (!others_served) {
      const auto asked = Clock::now();
      EXPECT_EQ(Request(port_, "GET", "/healthz").status, 200);
      EXPECT_EQ(Request(port_, "GET", "/api/leaderboard?mode=0").status, 200);
      EXPECT_EQ(Submit(port_, "Quick", MakeGame(6, 100)).status, 201);
      EXPECT_LT(Clock::now() - asked, 1s) << "the others waited";
      others_served = true;
    }
    slow.Receive(1s);
  }
  EXPECT_TRUE(slow.Closed()) << "still reading a trickle after " << sent << " bytes";
  EXPECT_LT(Clock::now() - start, 3s);
  EXPECT_LT(sent, game.size());
  EXPECT_EQ(GamesStored(), 1);
}

// Past the rate an address gets 429; past the games the board can hold in
// hand, 503; either leaves nothing behind.
TEST_F(ServerTest, FloodsAreTurnedAway) {
  ServerOptions options = Options();
  options.rate = 3;
  options.queue = 1;  // two in hand at most
  StartServer(options);
  const std::string header = "POST /api/games?name=Held HTTP/1.1\r\nContent-Length: 100\r\n\r\n";
  Socket first(port_), second(port_);
  first.Send(header);
  second.Send(header);
  std::this_thread::sleep_for(100ms);
  const Reply busy = Submit(port_, "Busy", MakeGame(8, 50));
  EXPECT_EQ(busy.status, 503) << busy.body;
  const Reply limited = Submit(port_, "Busy", MakeGame(8, 50));
  EXPECT_EQ(limited.status, 429) << limited.body;
  EXPECT_NE(limited.head.find("Retry-After: "), std::string::npos);
  EXPECT_EQ(GamesStored(), 0);
}

// A clean stop answers the submission in hand, and it is kept; the
// Expect: 100-continue of curl is honoured.
TEST_F(ServerTest, ACleanStopFinishesTheSubmissionInHand) {
  StartServer();
  const std::string game = MakeGame(9, 300);
  Socket socket(port_);
  socket.Send("POST /api/games?name=Last HTTP/1.1\r\nExpect: 100-continue\r\nContent-Length: " +
              std::to_string(game.size()) + "\r\n\r\n");
  EXPECT_EQ(socket.Receive(2s, false).rfind("HTTP/1.1 100 Continue", 0), 0u);
  socket.Send(game.substr(0, 100));
  std::this_thread::sleep_for(100ms);
  server_->Stop();
  std::this_thread::sleep_for(200ms);
  socket.Send(game.substr(100));
  const std::string answer = socket.Receive(3s);
  EXPECT_EQ(answer.rfind("HTTP/1.1 201", 0), 0u) << answer;
  runner_.join();
  server_.reset();
  board_.reset();
  store_.reset();
  StartServer();
  EXPECT_EQ(GamesStored(), 1);
}

// A board of the first server, whose tables had no version, is brought up
// to this one's and keeps its games; a board newer than this server knows
// is refused in one line, and left as it is.
TEST_F(ServerTest, TheTablesCarryTheirVersion) {
  StartServer();
  ASSERT_EQ(Submit(port_, "Old", GoldenFile("new_skin.vqreplay")).status, 201);
  StopServer();
  Sql("DROP TABLE board_schema");
  StartServer();
  EXPECT_EQ(Request(port_, "GET", "/api/leaderboard").Json()["games"][0]["name"], "Old");
  EXPECT_EQ(Submit(port_, "New", GoldenFile("untimed_moves.vqreplay")).Json()["rank"], 2);
  StopServer();
  Sql("UPDATE board_schema SET version = " + std::to_string(server::kSchemaVersion + 1));
  try {
    OpenStore();
    ADD_FAILURE() << "a newer board was opened";
  } catch (const server::StoreError& error) {
    EXPECT_EQ(error.what(), server::NewerSchemaMessage(server::kSchemaVersion + 1));
    EXPECT_EQ(std::string(error.what()).find('\n'), std::string::npos);
  }
  Sql("UPDATE board_schema SET version = " + std::to_string(server::kSchemaVersion));
  StartServer();
  EXPECT_EQ(GamesStored(), 2);
}

// A write that waits (here for another server's transaction) keeps no one
// from reading: the same bytes again and a game's replay are answered while
// it waits, and the waiting game is stored when it may.
TEST_F(ServerTest, ReadsDoNotWaitForAWrite) {
  if (!kPostgres.empty()) GTEST_SKIP() << "SQLite's write lock";
  StartServer();
  const std::string first = GoldenFile("new_skin.vqreplay");
  const Reply stored = Submit(port_, "First", first);
  ASSERT_EQ(stored.status, 201);
  const std::string id = std::to_string(stored.Json()["id"].get<int64_t>());
  // Another writer holds the board's write lock until released.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((dir_ + "/board.sqlite").c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  Reply waiting;
  std::thread writer([&] { waiting = Submit(port_, "Second", GoldenFile("untimed_moves.vqreplay")); });
  std::this_thread::sleep_for(200ms);
  const auto start = Clock::now();
  const Reply again = Submit(port_, "First", first), replay = Request(port_, "GET", "/api/games/" + id);
  EXPECT_LT(Clock::now() - start, 1s);
  sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  writer.join();
  EXPECT_EQ(again.status, 200);
  EXPECT_EQ(again.Json()["id"], stored.Json()["id"]);
  EXPECT_EQ(replay.status, 200);
  EXPECT_EQ(replay.body, first);
  EXPECT_EQ(waiting.status, 201) << waiting.body;
}

// The board's store, its syncs held until the test opens them, failing if
// told.
class HeldSync : public server::SqliteStore {
 public:
  using SqliteStore::SqliteStore;
  void Sync() override {
    std::unique_lock<std::mutex> lock(mutex_);
    opened_.wait(lock, [this] { return open_; });
    ++syncs;
    if (fail_) throw server::StoreError("the disk failed");
    SqliteStore::Sync();
  }
  void Open(bool fail) {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    fail_ = fail;
    opened_.notify_all();
  }
  std::atomic<int> syncs{0};

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
  bool fail_ = false;
};

// A game is answered only once the store's sync has put it on the disk,
// and so is the same bytes' answer 200; the games stored meanwhile wait for
// one more sync, not one each; a sync that fails is answered as a failure.
TEST_F(ServerTest, AnsweredOnlyOnceSynced) {
  for (const bool fail : {false, true}) {
    SCOPED_TRACE(fail ? "a failing sync" : "a sync");
    HeldSync held(dir_ + "/board.sqlite");
    std::vector<std::future<server::Answer>> answers;
    {
      server::Board board(held);
      auto send = [&](const std::string& game) {
        auto answer = std::make_shared<std::promise<server::Answer>>();
        answers.push_back(answer->get_future());
        board.Submit("P", game, [answer](server::Answer given) { answer->set_value(std::move(given)); });
      };
      for (int k = 0; k < 6; ++k) send(MakeGame(90 + k + (fail ? 10 : 0), 30));
      std::this_thread::sleep_for(300ms);
      // The same bytes again, from a thread of their own: they wait for a sync.
      std::promise<server::Answer> again;
      std::thread repeat([&] {
        board.Submit("P", MakeGame(90 + (fail ? 10 : 0), 30), [&](server::Answer given) { again.set_value(given); });
      });
      std::this_thread::sleep_for(100ms);
      answers.push_back(again.get_future());
      for (auto& answer : answers) EXPECT_EQ(answer.wait_for(0s), std::future_status::timeout);
      held.Open(fail);
      repeat.join();
      board.Flush();
      EXPECT_LE(held.syncs, 3);  // the first game's, the others', the same bytes'
    }
    for (size_t k = 0; k < answers.size(); ++k) EXPECT_EQ(answers[k].get().status, fail ? 500 : k < 6 ? 201 : 200);
  }
}

// Two servers on one database serve one board: what either stores, both
// list (once the other's cached list has lived its second), and the same
// bytes sent to both at once are stored once, the database deciding.
TEST_F(ServerTest, TwoServersShareOneBoard) {
  StartServer();
  auto other_store = OpenStore();
  server::Board other_board(*other_store);
  ServerOptions options = Options();
  options.port = 0;
  server::Server other(other_board, options);
  std::thread other_runner([&other] { other.Run(); });
  const uint16_t ports[] = {port_, other.Port()};
  // Each game to both servers at once, from two threads.
  constexpr int kGames = 12;
  std::vector<std::string> games;
  for (int k = 0; k < kGames; ++k) games.push_back(MakeGame(40 + k, 60 + 10 * k));
  std::vector<Reply> replies[2];
  std::thread senders[2];
  for (int s = 0; s < 2; ++s) {
    senders[s] = std::thread([&, s] {
      for (int k = 0; k < kGames; ++k) replies[s].push_back(Submit(ports[s], "P" + std::to_string(k), games[k]));
    });
  }
  for (std::thread& sender : senders) sender.join();
  for (int k = 0; k < kGames; ++k) {
    const Reply& a = replies[0][k];
    const Reply& b = replies[1][k];
    EXPECT_EQ(std::multiset<int>({a.status, b.status}), std::multiset<int>({200, 201})) << a.body << b.body;
    EXPECT_EQ(a.Json()["id"], b.Json()["id"]) << "game " << k;
  }
  // A game stored through one is listed by the other, whose list was cached
  // before it came.
  const char* golden[] = {"new_skin.vqreplay", "untimed_moves.vqreplay"};
  for (int s = 0; s < 2; ++s) {
    const std::string board = "/api/leaderboard?mode=0&limit=100";
    ASSERT_EQ(Request(ports[1 - s], "GET", board).Json()["games"].size(), kGames + size_t(s));
    ASSERT_EQ(Submit(ports[s], "Gold" + std::to_string(s), GoldenFile(golden[s])).status, 201);
    json listed;
    for (const auto until = Clock::now() + 3s; Clock::now() < until; std::this_thread::sleep_for(100ms)) {
      listed = Request(ports[1 - s], "GET", board).Json();
      if (listed["games"].size() == kGames + size_t(s) + 1) break;
    }
    ASSERT_EQ(listed["games"].size(), kGames + size_t(s) + 1) << listed;
    EXPECT_EQ(listed["games"][s]["name"], "Gold" + std::to_string(s));
  }
  other.Stop();
  other_runner.join();
}

}  // namespace
}  // namespace vq::test
