// The board over HTTP/1.1 (Boost.Beast on asio): the API of docs/server.md,
// and with a web folder the page beside it. Connections are served
// asynchronously by a few threads, so that idle or slow clients cost a
// socket and a timer, never a thread; submissions are played again by a
// fixed set of verifier threads behind a bounded queue.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "server/board.h"
#include "server/rate_limit.h"

namespace vq::server {

struct ServerOptions {
  std::string address = "127.0.0.1";
  uint16_t port = 8080;  // 0: any free port (see Server::Port)
  std::string web;       // the page's folder, served beside the API; empty: none
  int io_threads = 2;
  int verifiers = 2;
  // Submissions waiting for a verifier; past them, 503. Submissions in hand
  // (bodies being read, waiting or being played) are held to twice that.
  size_t queue = 64;
  double rate = 30;  // submissions a minute per address; 0 for no limit
  // A request's header and body must arrive within this; a kept-alive
  // connection that sends no new request within idle is closed.
  std::chrono::milliseconds timeout{20000};
  std::chrono::milliseconds idle{5000};
  size_t max_connections = 4096;
  bool handle_signals = false;  // SIGTERM and SIGINT stop the server cleanly
};

class Server {
 public:
  // Listens at once; throws std::runtime_error when it cannot.
  Server(Board& board, const ServerOptions& options);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  uint16_t Port() const;

  // Serves until Stop, then answers every submission in hand before it
  // returns.
  void Run();
  // Stops taking connections and requests; safe from any thread.
  void Stop();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace vq::server
