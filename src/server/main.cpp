// velquadro-server: the leaderboard that plays every submitted game again
// before it lists it (docs/server.md).
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "server/board.h"
#include "server/board_transfer.h"
#include "server/http_server.h"
#include "server/postgres_store.h"
#include "server/sqlite_store.h"

namespace {

constexpr const char* kUsage =
    "Usage: velquadro-server (--data DIR | --database URL) [--listen ADDRESS:PORT] [--web DIR] [--rate N]\n"
    "                        [--queue N] [--timeout SECONDS] [--threads N] [--verifiers N] [--connections N]\n"
    "       velquadro-server (--data DIR | --database URL) (--export DIR | --import DIR)\n"
    "The Velquadro leaderboard: every submitted replay is played again before it is listed.\n"
    "  --data DIR         keep the board in DIR/board.sqlite (DIR made when missing)\n"
    "  --database URL     keep the board in PostgreSQL (postgresql://...), which several servers may share\n"
    "  --export DIR       write every game of the board to DIR as its replay file, with a list, and end\n"
    "  --import DIR       play again and store every game of an export in DIR, and end\n"
    "  --listen A:P       the address and port to serve (default 127.0.0.1:8080; port 0 picks one)\n"
    "  --web DIR          also serve the page from DIR (dist/web/ of tools/web)\n"
    "  --rate N           submissions a minute from one address (default 30; 0: no limit)\n"
    "  --queue N          submissions waiting to be played again before 503 (default 64)\n"
    "  --timeout SECONDS  the most a request's header and body may take to arrive (default 20)\n"
    "  --threads N        threads serving connections (default 2)\n"
    "  --verifiers N      threads playing submissions again (default: one a core)\n"
    "  --connections N    connections to PostgreSQL at most (default: threads + verifiers + 1, up to 16)\n";

bool IsDatabaseUrl(const std::string& url) {
  return url.rfind("postgresql://", 0) == 0 || url.rfind("postgres://", 0) == 0;
}

std::unique_ptr<vq::server::Store> OpenStore(const std::string& data, const std::string& database, int connections) {
  if (!database.empty()) return std::make_unique<vq::server::PostgresStore>(database, connections);
  if (mkdir(data.c_str(), 0700) != 0 && errno != EEXIST) {
    throw std::runtime_error("cannot make " + data + ": " + std::strerror(errno));
  }
  return std::make_unique<vq::server::SqliteStore>(data + "/board.sqlite");
}

bool Whole(const char* text, long least, long most, long* value) {
  char* end = nullptr;
  errno = 0;
  *value = std::strtol(text, &end, 10);
  return errno == 0 && end != text && *end == '\0' && *value >= least && *value <= most;
}

}  // namespace

int main(int argc, char** argv) {
  vq::server::ServerOptions options;
  options.handle_signals = true;
  const unsigned cores = std::thread::hardware_concurrency();
  options.verifiers = cores ? static_cast<int>(cores) : 2;
  std::string data, database, export_to, import_from;
  int connections = 0;
  for (int k = 1; k < argc; k += 2) {  // each option and its value
    const std::string option = argv[k];
    if (option == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    const char* value = k + 1 < argc ? argv[k + 1] : nullptr;
    long number = 0;
    bool good = value != nullptr;
    if (!good) {
    } else if (option == "--data") {
      data = value;
    } else if (option == "--database") {
      database = value;
      good = IsDatabaseUrl(database);
    } else if (option == "--export") {
      export_to = value;
    } else if (option == "--import") {
      import_from = value;
    } else if (option == "--connections") {
      good = Whole(value, 1, 1000, &number);
      connections = static_cast<int>(number);
    } else if (option == "--web") {
      options.web = value;
    } else if (option == "--listen") {
      const std::string listen = value;
      const size_t colon = listen.rfind(':');
      good = colon != std::string::npos && Whole(listen.c_str() + colon + 1, 0, 65535, &number);
      options.address = listen.substr(0, colon);
      options.port = static_cast<uint16_t>(number);
    } else if (option == "--rate") {
      good = Whole(value, 0, 1000000, &number);
      options.rate = static_cast<double>(number);
    } else if (option == "--queue") {
      good = Whole(value, 1, 100000, &number);
      options.queue = static_cast<size_t>(number);
    } else if (option == "--timeout") {
      good = Whole(value, 1, 3600, &number);
      options.timeout = std::chrono::seconds(number);
      options.idle = std::min(options.idle, options.timeout);
    } else if (option == "--threads") {
      good = Whole(value, 1, 64, &number);
      options.io_threads = static_cast<int>(number);
    } else if (option == "--verifiers") {
      good = Whole(value, 1, 64, &number);
      options.verifiers = static_cast<int>(number);
    } else {
      good = false;
    }
    if (!good) {
      // A database's URL may hold a password: it is not repeated.
      const bool secret = option == "--database" && value;
      std::fprintf(stderr, "velquadro-server: cannot use %s%s%s\n%s", option.c_str(), value ? " " : "",
                   secret  ? "(not a postgresql:// URL)"
                   : value ? value
                           : "",
                   kUsage);
      return 2;
    }
  }
  if (data.empty() == database.empty()) {
    std::fprintf(stderr, "velquadro-server: one of --data DIR and --database URL is needed\n%s", kUsage);
    return 2;
  }
  if (!export_to.empty() && !import_from.empty()) {
    std::fprintf(stderr, "velquadro-server: --export and --import are one at a time\n%s", kUsage);
    return 2;
  }
  if (connections == 0) connections = std::min(options.io_threads + options.verifiers + 1, 16);
  // A database host that drops packets would hold a request's thread for
  // minutes at every try to connect: a few seconds, unless told otherwise.
  if (!database.empty()) setenv("PGCONNECT_TIMEOUT", "5", 0);
  if (!export_to.empty() || !import_from.empty()) {
    try {
      std::unique_ptr<vq::server::Store> store = OpenStore(data, database, 1);
      if (!export_to.empty()) {
        const vq::server::Transfer done = vq::server::ExportBoard(*store, export_to);
        std::printf("velquadro-server: exported %lld games to %s\n", static_cast<long long>(done.games),
                    export_to.c_str());
        return 0;
      }
      const vq::server::Transfer done = vq::server::ImportBoard(*store, import_from, [](const std::string& why) {
        std::fprintf(stderr, "velquadro-server: %s\n", why.c_str());
      });
      std::printf("velquadro-server: imported %lld games from %s, %lld on the board already, %lld refused\n",
                  static_cast<long long>(done.games), import_from.c_str(), static_cast<long long>(done.already),
                  static_cast<long long>(done.refused));
      return done.refused ? 1 : 0;
    } catch (const std::exception& error) {
      std::fprintf(stderr, "velquadro-server: %s\n", error.what());
      return 1;
    }
  }
  // Every connection is a descriptor: take as many as the system allows.
  struct rlimit files;
  if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
  }
  if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY) {
    options.max_connections = std::min<size_t>(options.max_connections, files.rlim_cur > 64 ? files.rlim_cur - 32 : 32);
  }
  try {
    std::unique_ptr<vq::server::Store> store = OpenStore(data, database, connections);
    vq::server::Board board(*store);
    vq::server::Server server(board, options);
    std::printf("velquadro-server: serving http://%s:%u/%s\n", options.address.c_str(), server.Port(),
                options.web.empty() ? "api/" : "");
    std::fflush(stdout);
    server.Run();
    std::printf("velquadro-server: stopped\n");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "velquadro-server: %s\n", error.what());
    return 1;
  }
  return 0;
}
