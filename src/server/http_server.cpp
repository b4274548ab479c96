#include "server/http_server.h"

#include <sys/stat.h>

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "server/verify.h"

namespace vq::server {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;

namespace {

constexpr size_t kMostHeaderBytes = 8192;
// After an answer that leaves a body unread, what the client still sends is
// read and dropped for a while before the socket closes: closing on unread
// bytes resets the connection, and the client may lose the answer.
constexpr auto kLingerTime = std::chrono::seconds(1);
constexpr size_t kMostLingerBytes = 1 << 20;

std::string_view ContentType(std::string_view path) {
  static const std::pair<std::string_view, std::string_view> types[] = {
      {".html", "text/html; charset=utf-8"},
      {".js", "text/javascript"},
      {".mjs", "text/javascript"},
      {".wasm", "application/wasm"},
      {".css", "text/css"},
      {".json", "application/json"},
      {".png", "image/png"},
      {".svg", "image/svg+xml"},
      {".ico", "image/x-icon"},
      {".txt", "text/plain; charset=utf-8"},
      {".ogg", "audio/ogg"},
      {".vqreplay", "application/octet-stream"},
  };
  for (const auto& [ending, type] : types) {
    if (path.size() >= ending.size() && path.substr(path.size() - ending.size()) == ending) return type;
  }
  return "application/octet-stream";
}

// The file under web for a request's path, or "" when the path could leave
// the folder or names nothing to serve.
std::string WebFile(const std::string& web, std::string_view path) {
  if (web.empty() || path.empty() || path[0] != '/') return "";
  if (path.find("..") != std::string_view::npos || path.find('\\') != std::string_view::npos ||
      path.find('%') != std::string_view::npos || path.find('\0') != std::string_view::npos) {
    return "";
  }
  std::string file = web + std::string(path);
  struct stat info;
  if (stat(file.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    file += path.back() == '/' ? "index.html" : "/index.html";
    if (stat(file.c_str(), &info) != 0) return "";
  }
  if (stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return "";
  return file;
}

}  // namespace

struct Server::Impl {
  Board& board;
  ServerOptions options;
  RateLimit rate;
  // Before io: the connections that io's handlers hold count themselves out
  // when io goes.
  std::atomic<bool> stopping{false};
  std::atomic<size_t> connections{0};
  std::atomic<size_t> in_hand{0};  // submissions from their header to their answer
  std::chrono::steady_clock::time_point stop_by;

  net::io_context io;
  tcp::acceptor acceptor;
  net::steady_timer drain_timer;
  std::optional<net::signal_set> signals;

  // The verifiers and their queue.
  std::mutex queue_mutex;
  std::condition_variable queue_ready;
  std::deque<std::function<void()>> jobs;
  bool verifiers_done = false;
  std::vector<std::thread> verifiers;

  Impl(Board& b, const ServerOptions& o)
      : board(b), options(o), rate(o.rate), io(std::max(1, o.io_threads)), acceptor(io), drain_timer(io) {}

  // False when the queue is full.
  bool Enqueue(std::function<void()> job) {
    std::lock_guard<std::mutex> lock(queue_mutex);
    if (jobs.size() >= options.queue) return false;
    jobs.push_back(std::move(job));
    queue_ready.notify_one();
    return true;
  }

  void Verifier() {
    for (;;) {
      std::function<void()> job;
      {
        std::unique_lock<std::mutex> lock(queue_mutex);
        queue_ready.wait(lock, [this] { return verifiers_done || !jobs.empty(); });
        if (jobs.empty()) return;
        job = std::move(jobs.front());
        jobs.pop_front();
      }
      job();
    }
  }

  void Accept();
  void BeginStop();
  void Drain();
};

namespace {

// One client's connection: requests one after another, each answered before
// the next is read.
class Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(Server::Impl& server, tcp::socket&& socket) : server_(server), stream_(std::move(socket)) {
    boost::system::error_code ignored;
    address_ = stream_.socket().remote_endpoint(ignored).address().to_string();
    ++server_.connections;
    // A typical submission, header and body, in one read rather than four.
    buffer_.reserve(4096);
  }
  ~Connection() {
    if (submission_) --server_.in_hand;
    --server_.connections;
  }

  void Start() {
    net::dispatch(stream_.get_executor(),
                  [self = shared_from_this()] { self->ReadHeader(self->server_.options.timeout); });
  }

 private:
  void ReadHeader(std::chrono::milliseconds within) {
    // A stopping server reads no second request; a first one it answers
    // (503 for a game), so that no client is left without a word.
    if (server_.stopping && answered_ > 0) return Close();
    method_ = http::verb::unknown;
    keep_alive_ = false;
    parser_.emplace();
    parser_->header_limit(kMostHeaderBytes);
    // The longest replay is the longest body of any request: a longer
    // declared length fails the header with body_limit, before any body.
    parser_->body_limit(MostReplayBytes());
    stream_.expires_after(within);
    http::async_read_header(stream_, buffer_, *parser_,
                            [self = shared_from_this()](beast::error_code ec, size_t) { self->OnHeader(ec); });
  }

  void OnHeader(beast::error_code ec) {
    if (ec == http::error::body_limit) return Refuse(ErrorAnswer(413, TooLong()));
    if (ec == http::error::end_of_stream || ec == beast::error::timeout || ec == net::error::operation_aborted ||
        ec == net::error::connection_reset || ec == net::error::eof) {
      return Close();
    }
    if (ec == http::error::header_limit) return Refuse(ErrorAnswer(431, "the request's header is too long"));
    if (ec) return Refuse(ErrorAnswer(400, "this is no HTTP request the board reads"));

    const auto& request = parser_->get();
    const std::string_view target(request.target().data(), request.target().size());
    const size_t question = target.find('?');
    path_ = std::string(target.substr(0, question));
    query_ = question == std::string_view::npos ? "" : std::string(target.substr(question + 1));
    method_ = request.method();
    keep_alive_ = request.keep_alive();
    const bool has_body = parser_->chunked() || parser_->content_length().value_or(0) > 0;

    if (path_ == "/api/games") {
      if (method_ != http::verb::post) return RefuseMethod("POST");
      return BeginSubmission();
    }
    // Any other request takes no body; one that brings one is answered and
    // its connection closed, unread.
    if (has_body) return Refuse(ErrorAnswer(413, "this request takes no body"));
    Serve();
  }

  void BeginSubmission() {
    if (server_.stopping) return Refuse(ErrorAnswer(503, "the board is stopping; send the game again soon"));
    if (!server_.rate.Take(address_)) {
      Answer answer = ErrorAnswer(429, "too many games from this address; wait a minute");
      return Refuse(std::move(answer), {{"Retry-After", "60"}});
    }
    const std::string raw_name = QueryValueRaw(query_, "name");
    if (std::optional<Answer> refused = Board::RefuseEarly(raw_name, parser_->content_length().value_or(0))) {
      return Refuse(std::move(*refused));
    }
    // Taken and checked in one step: two threads may take the last place at once.
    if (server_.in_hand.fetch_add(1) >= 2 * server_.options.queue) {
      --server_.in_hand;
      return Refuse(ErrorAnswer(503, "the board has too many games to check; send it again soon"));
    }
    submission_ = true;
    raw_name_ = raw_name;
    // The body must come whole within the timeout, however slowly it trickles.
    stream_.expires_after(server_.options.timeout);
    const auto& request = parser_->get();
    if (beast::iequals(request[http::field::expect], "100-continue")) {
      auto proceed = std::make_shared<http::response<http::empty_body>>(http::status::continue_, 11);
      return http::async_write(stream_, *proceed, [self = shared_from_this(), proceed](beast::error_code ec, size_t) {
        if (ec) return self->Close();
        self->ReadBody();
      });
    }
    ReadBody();
  }

  void ReadBody() {
    http::async_read(stream_, buffer_, *parser_,
                     [self = shared_from_this()](beast::error_code ec, size_t) { self->OnBody(ec); });
  }

  void OnBody(beast::error_code ec) {
    if (ec == http::error::body_limit) return Refuse(ErrorAnswer(413, TooLong()));
    if (ec) return Close();  // cut off, too slow, or gone: nothing was stored
    stream_.expires_never();
    auto self = shared_from_this();
    auto body = std::make_shared<std::string>(std::move(parser_->get().body()));
    const bool queued = server_.Enqueue([self, body] {
      auto answer = [self](Answer given) {
        net::post(self->stream_.get_executor(),
                  [self, given = std::move(given)]() mutable { self->Write(std::move(given), {}); });
      };
      try {
        self->server_.board.Submit(self->raw_name_, std::move(*body), answer);
      } catch (const std::exception& error) {
        answer(ErrorAnswer(500, error.what()));
      }
    });
    if (!queued) Write(ErrorAnswer(503, "the board has too many games to check; send it again soon"), {});
  }

  void Serve() {
    const bool get = method_ == http::verb::get || method_ == http::verb::head;
    auto api = [&](auto answer) -> void {
      if (!get) return RefuseMethod("GET, HEAD");
      Write(answer(), {});
    };
    if (path_ == "/healthz") return api([] { return Answer{200, "{\"status\":\"ok\"}"}; });
    if (path_ == "/api/leaderboard") return api([this] { return server_.board.Leaderboard(query_); });
    if (path_ == "/api/modes") return api([this] { return server_.board.Modes(); });
    if (path_.rfind("/api/games/", 0) == 0) {
      return api([this] { return server_.board.Game(std::string_view(path_).substr(11)); });
    }
    if (path_.rfind("/api/", 0) != 0) {
      const std::string file = WebFile(server_.options.web, path_);
      if (!file.empty()) {
        if (!get) return RefuseMethod("GET, HEAD");
        return WriteFile(file);
      }
    }
    Write(ErrorAnswer(404, "nothing is here"), {});
  }

  void RefuseMethod(const char* allow) {
    Refuse(ErrorAnswer(405, std::string("this takes ") + allow), {{"Allow", allow}});
  }

  static std::string TooLong() { return "a replay takes at most " + std::to_string(MostReplayBytes()) + " bytes"; }

  // The raw value of key in the query, undecoded: the board decodes it.
  static std::string QueryValueRaw(std::string_view query, std::string_view key) {
    while (!query.empty()) {
      const size_t end = query.find('&');
      const std::string_view pair = query.substr(0, end);
      const size_t equals = pair.find('=');
      if (pair.substr(0, equals) == key) {
        return equals == std::string_view::npos ? "" : std::string(pair.substr(equals + 1));
      }
      if (end == std::string_view::npos) break;
      query.remove_prefix(end + 1);
    }
    return "";
  }

  template <class Response>
  void SetCommon(Response& response) {
    response.set(http::field::server, "velquadro-server");
    response.set("X-Content-Type-Options", "nosniff");
    response.keep_alive(keep_alive_ && !server_.stopping);
  }

  // An answer that leaves what the client still sends unread.
  void Refuse(Answer answer, std::vector<std::pair<std::string, std::string>> headers = {}) {
    keep_alive_ = false;
    Write(std::move(answer), std::move(headers));
  }

  void Write(Answer answer, std::vector<std::pair<std::string, std::string>> headers) {
    auto response = std::make_shared<http::response<http::string_body>>(static_cast<http::status>(answer.status), 11);
    SetCommon(*response);
    response->set(http::field::content_type, answer.content_type);
    response->set(http::field::cache_control, "no-store");
    for (const auto& [name, value] : headers) response->set(name, value);
    response->content_length(answer.body.size());
    if (method_ != http::verb::head) response->body() = std::move(answer.body);
    Send(response);
  }

  void WriteFile(const std::string& path) {
    beast::error_code ec;
    http::file_body::value_type file;
    file.open(path.c_str(), beast::file_mode::scan, ec);
    if (ec) return Write(ErrorAnswer(404, "nothing is here"), {});
    auto response = std::make_shared<http::response<http::file_body>>(http::status::ok, 11);
    SetCommon(*response);
    response->set(http::field::content_type, std::string(ContentType(path)));
    response->set(http::field::cache_control, "no-cache");
    response->content_length(file.size());
    if (method_ != http::verb::head) {
      response->body() = std::move(file);
    } else {
      auto head = std::make_shared<http::response<http::empty_body>>(http::status::ok, 11);
      head->base() = response->base();
      return Send(head);
    }
    Send(response);
  }

  template <class Response>
  void Send(const std::shared_ptr<Response>& response) {
    stream_.expires_after(server_.options.timeout);
    http::async_write(stream_, *response, [self = shared_from_this(), response](beast::error_code ec, size_t) {
      if (self->submission_) {
        self->submission_ = false;
        --self->server_.in_hand;
      }
      ++self->answered_;
      if (ec) return self->Close();
      if (!response->keep_alive()) return self->Linger();
      self->ReadHeader(self->server_.options.idle);
    });
  }

  // Half-closes, then reads and drops what still comes for a short while.
  void Linger() {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
    stream_.expires_after(kLingerTime);
    DropMore();
  }
  void DropMore() {
    stream_.async_read_some(net::buffer(drop_), [self = shared_from_this()](beast::error_code ec, size_t n) {
      self->dropped_ += n;
      if (ec || self->dropped_ > kMostLingerBytes) return self->Close();
      self->DropMore();
    });
  }

  void Close() {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
    stream_.close();
  }

  Server::Impl& server_;
  beast::tcp_stream stream_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  std::string address_;
  std::string path_, query_, raw_name_;
  http::verb method_ = http::verb::unknown;
  bool keep_alive_ = false;
  bool submission_ = false;  // counted in in_hand until answered
  int answered_ = 0;
  char drop_[4096];
  size_t dropped_ = 0;
};

}  // namespace

void Server::Impl::Accept() {
  acceptor.async_accept(net::make_strand(io), [this](beast::error_code ec, tcp::socket socket) {
    if (ec == net::error::operation_aborted || !acceptor.is_open()) return;
    if (!ec) {
      if (connections >= options.max_connections) {
        boost::system::error_code ignored;
        socket.close(ignored);
      } else {
        std::make_shared<Connection>(*this, std::move(socket))->Start();
      }
    }
    Accept();
  });
}

void Server::Impl::BeginStop() {
  if (stopping.exchange(true)) return;
  boost::system::error_code ignored;
  acceptor.close(ignored);
  if (signals) signals->cancel(ignored);
  // The submissions in hand are answered first; the slowest of them may take
  // a whole timeout to arrive, and a while to be played.
  stop_by = std::chrono::steady_clock::now() + options.timeout * 2 + std::chrono::seconds(10);
  Drain();
}

void Server::Impl::Drain() {
  if (in_hand == 0 || std::chrono::steady_clock::now() > stop_by) return io.stop();
  drain_timer.expires_after(std::chrono::milliseconds(20));
  drain_timer.async_wait([this](beast::error_code) { Drain(); });
}

Server::Server(Board& board, const ServerOptions& options) : impl_(std::make_unique<Impl>(board, options)) {
  Impl& s = *impl_;
  const tcp::endpoint endpoint(net::ip::make_address(options.address), options.port);
  s.acceptor.open(endpoint.protocol());
  s.acceptor.set_option(net::socket_base::reuse_address(true));
  s.acceptor.bind(endpoint);
  s.acceptor.listen(net::socket_base::max_listen_connections);
  if (options.handle_signals) {
    s.signals.emplace(s.io, SIGTERM, SIGINT);
    s.signals->async_wait([&s](beast::error_code ec, int) {
      if (!ec) s.BeginStop();
    });
  }
}

Server::~Server() = default;

uint16_t Server::Port() const { return impl_->acceptor.local_endpoint().port(); }

void Server::Run() {
  Impl& s = *impl_;
  for (int k = 0; k < std::max(1, s.options.verifiers); ++k) s.verifiers.emplace_back([&s] { s.Verifier(); });
  s.Accept();
  std::vector<std::thread> threads;
  for (int k = 1; k < s.options.io_threads; ++k) threads.emplace_back([&s] { s.io.run(); });
  s.io.run();
  for (std::thread& thread : threads) thread.join();
  {
    std::lock_guard<std::mutex> lock(s.queue_mutex);
    s.verifiers_done = true;
    s.queue_ready.notify_all();
  }
  for (std::thread& thread : s.verifiers) thread.join();
  s.verifiers.clear();
  // Answers still on their way (past the clean stop's deadline) go to the
  // stopped io, never run, rather than to one that is gone.
  s.board.Flush();
}

void Server::Stop() {
  net::post(impl_->io, [s = impl_.get()] { s->BeginStop(); });
}

}  // namespace vq::server
