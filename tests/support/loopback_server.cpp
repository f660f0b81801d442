// The scripted loopback HTTP/1.1 server for tests: one accepting thread, one
// thread per connection, every wait interruptible by the server's shutdown.
#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <deque>
#include <stdexcept>

#include "tests/support/tls_authority.h"

namespace rivolet::testing {
namespace {

constexpr std::size_t kMaxRequestHead = 1024 * 1024;
constexpr std::size_t kMaxRequestBody = 16 * 1024 * 1024;

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) {
             return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a')
                                           : c;
           };
           return lower(x) == lower(y);
         });
}

bool HasHeader(const HeaderList& headers, std::string_view name) {
  return std::any_of(headers.begin(), headers.end(), [&](const auto& header) {
    return EqualsIgnoreCase(header.first, name);
  });
}

std::string Hex(std::size_t value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%zx", value);
  return buffer;
}

// The wire form of a response as pieces, so a large body is sent from where
// it lies instead of being copied.
class Wire {
 public:
  explicit Wire(const Response& r) {
    if (r.raw) {
      Add(*r.raw);
      return;
    }
    std::string head;
    if (r.continue_first) head += "HTTP/1.1 100 Continue\r\n\r\n";
    head += r.status_line + "\r\n";
    for (const auto& [name, value] : r.headers) {
      head += name + ": " + value + "\r\n";
    }
    bool framed = HasHeader(r.headers, "Content-Length") ||
                  HasHeader(r.headers, "Transfer-Encoding");
    switch (r.framing) {
      case Response::Framing::kContentLength:
        if (!framed)
          head += "Content-Length: " + std::to_string(r.body.size()) + "\r\n";
        head += "\r\n";
        Own(std::move(head));
        Add(r.body);
        break;
      case Response::Framing::kChunked: {
        if (!framed) head += "Transfer-Encoding: chunked\r\n";
        head += "\r\n";
        Own(std::move(head));
        std::string_view body = r.body;
        std::size_t size = r.chunk_size == 0 ? body.size() : r.chunk_size;
        while (!body.empty()) {
          std::string_view chunk = body.substr(0, size);
          body.remove_prefix(chunk.size());
          Own(Hex(chunk.size()) + r.chunk_extension + "\r\n");
          Add(chunk);
          Add("\r\n");
        }
        std::string end = "0" + r.chunk_extension + "\r\n";
        for (const auto& [name, value] : r.trailers) {
          end += name + ": " + value + "\r\n";
        }
        Own(end + "\r\n");
        break;
      }
      case Response::Framing::kUntilClose:
        head += "\r\n";
        Own(std::move(head));
        Add(r.body);
        break;
    }
  }

  const std::vector<std::string_view>& pieces() const { return pieces_; }

  std::string Joined() const {
    std::string all;
    for (std::string_view piece : pieces_) all += piece;
    return all;
  }

 private:
  void Add(std::string_view piece) {
    if (!piece.empty()) pieces_.push_back(piece);
  }
  void Own(std::string piece) {
    owned_.push_back(std::move(piece));
    Add(owned_.back());
  }

  std::deque<std::string> owned_;  // references stay valid as it grows
  std::vector<std::string_view> pieces_;
};

// One connection's reads and writes, plain or TLS, each wait cut short when
// the server stops.
class Channel {
 public:
  Channel(int fd, int wake, SSL* ssl) : fd_(fd), wake_(wake), ssl_(ssl) {}

  bool Handshake() {
    while (true) {
      ERR_clear_error();
      int r = SSL_accept(ssl_);
      if (r == 1) return true;
      if (!WaitForTls(r)) return false;
    }
  }

  // Bytes read, 0 at the end of the stream, -1 on error or shutdown.
  long Read(char* buffer, std::size_t capacity) {
    while (true) {
      if (ssl_) {
        ERR_clear_error();
        int n = SSL_read(
            ssl_, buffer,
            static_cast<int>(std::min<std::size_t>(capacity, INT_MAX)));
        if (n > 0) return n;
        int error = SSL_get_error(ssl_, n);
        if (error == SSL_ERROR_ZERO_RETURN) return 0;
        if (error == SSL_ERROR_SYSCALL && ERR_peek_error() == 0) return 0;
        if (!WaitForTls(n)) return -1;
      } else {
        ssize_t n = recv(fd_, buffer, capacity, 0);
        if (n >= 0) return static_cast<long>(n);
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
        if (!Wait(POLLIN)) return -1;
      }
    }
  }

  bool Write(std::string_view data) {
    while (!data.empty()) {
      if (ssl_) {
        ERR_clear_error();
        int n = SSL_write(
            ssl_, data.data(),
            static_cast<int>(std::min<std::size_t>(data.size(), INT_MAX)));
        if (n > 0) {
          data.remove_prefix(static_cast<std::size_t>(n));
        } else if (!WaitForTls(n)) {
          return false;
        }
      } else {
        ssize_t n = send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
        if (n >= 0) {
          data.remove_prefix(static_cast<std::size_t>(n));
        } else if (errno == EINTR) {
          continue;
        } else if (errno != EAGAIN && errno != EWOULDBLOCK) {
          return false;
        } else if (!Wait(POLLOUT)) {
          return false;
        }
      }
    }
    return true;
  }

  // Sleeps, unless the server stops first (then false).
  bool Pause(std::chrono::milliseconds delay) {
    pollfd p{wake_, POLLIN, 0};
    return poll(&p, 1, static_cast<int>(delay.count())) == 0;
  }

  // Hangs up gracefully: our side is closed, then we wait for the client to
  // close its side, so no unread byte turns the close into a reset.
  void HangUp(bool tls_goodbye) {
    if (ssl_ && tls_goodbye) {
      ERR_clear_error();
      SSL_shutdown(ssl_);
    }
    shutdown(fd_, SHUT_WR);
    char sink[4096];
    while (true) {
      ssize_t n = recv(fd_, sink, sizeof sink, 0);
      if (n == 0) return;
      if (n < 0) {
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return;
        if (!Wait(POLLIN)) return;
      }
    }
  }

  // Reads and drops everything until the client hangs up or the server stops.
  void DrainUntilClosed() {
    char sink[4096];
    while (Read(sink, sizeof sink) > 0) {
    }
  }

 private:
  bool Wait(short events) {
    pollfd p[2] = {{fd_, events, 0}, {wake_, POLLIN, 0}};
    while (true) {
      int r = poll(p, 2, -1);
      if (r < 0 && errno == EINTR) continue;
      if (r < 0 || p[1].revents != 0) return false;
      return true;
    }
  }

  bool WaitForTls(int result) {
    int error = SSL_get_error(ssl_, result);
    if (error == SSL_ERROR_WANT_READ) return Wait(POLLIN);
    if (error == SSL_ERROR_WANT_WRITE) return Wait(POLLOUT);
    return false;
  }

  int fd_;
  int wake_;
  SSL* ssl_;
};

// Sends `response`; false when the connection is finished with.
bool Send(Channel& channel, const Response& response) {
  Wire wire(response);
  if (response.slow_piece == 0 && response.cut_after == SIZE_MAX &&
      response.slow_delay.count() == 0) {
    for (std::string_view piece : wire.pieces()) {
      if (!channel.Write(piece)) return false;
    }
  } else {
    std::string all = wire.Joined();
    if (all.size() > response.cut_after) all.resize(response.cut_after);
    std::size_t step =
        response.slow_piece == 0 ? all.size() : response.slow_piece;
    for (std::size_t pos = 0; pos < all.size(); pos += step) {
      if (response.slow_delay.count() > 0 &&
          !channel.Pause(response.slow_delay)) {
        return false;
      }
      if (!channel.Write(std::string_view(all).substr(pos, step))) return false;
    }
  }
  return true;
}

// Finds the end of a request head; npos while incomplete.
std::size_t HeadEnd(const std::string& data) {
  std::size_t crlf = data.find("\r\n\r\n");
  std::size_t lf = data.find("\n\n");
  std::size_t end = std::string::npos;
  if (crlf != std::string::npos) end = crlf + 4;
  if (lf != std::string::npos) end = std::min(end, lf + 2);
  return end;
}

std::size_t RequestBodyLength(std::string_view head) {
  std::size_t pos = 0;
  while (pos < head.size()) {
    std::size_t eol = head.find('\n', pos);
    if (eol == std::string_view::npos) eol = head.size();
    std::string_view line = head.substr(pos, eol - pos);
    pos = eol + 1;
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    if (EqualsIgnoreCase(line.substr(0, colon), "Content-Length")) {
      std::size_t value = 0;
      for (char c : line.substr(colon + 1)) {
        if (c >= '0' && c <= '9')
          value = std::min(value * 10 + static_cast<std::size_t>(c - '0'),
                           kMaxRequestBody + 1);
      }
      return value;
    }
  }
  return 0;
}

}  // namespace

// --- Response ----------------------------------------------------------------

Response Response::Ok(std::string body) {
  Response r;
  r.body = std::move(body);
  return r;
}

Response Response::Status(std::string status_line, std::string body) {
  Response r;
  r.status_line = std::move(status_line);
  r.body = std::move(body);
  return r;
}

Response Response::Raw(std::string bytes) {
  Response r;
  r.raw = std::move(bytes);
  r.close_after = true;
  return r;
}

Response Response::Silent() {
  Response r;
  r.silent = true;
  return r;
}

Response& Response::Header(std::string name, std::string value) {
  headers.emplace_back(std::move(name), std::move(value));
  return *this;
}

Response& Response::Chunked(std::size_t size, std::string extension,
                            HeaderList trailer_list) {
  framing = Framing::kChunked;
  chunk_size = size;
  chunk_extension = std::move(extension);
  trailers = std::move(trailer_list);
  return *this;
}

Response& Response::UntilClose() {
  framing = Framing::kUntilClose;
  close_after = true;
  return *this;
}

Response& Response::ContinueFirst() {
  continue_first = true;
  return *this;
}

Response& Response::Slow(std::size_t piece, std::chrono::milliseconds delay) {
  slow_piece = piece;
  slow_delay = delay;
  return *this;
}

Response& Response::CutAfter(std::size_t bytes) {
  cut_after = bytes;
  close_after = true;
  return *this;
}

std::string Response::Serialize() const { return Wire(*this).Joined(); }

// --- LoopbackServer ----------------------------------------------------------

struct LoopbackServer::Worker {
  std::thread thread;
  std::atomic<bool> done{false};
};

LoopbackServer::LoopbackServer() : LoopbackServer(Options{}) {}

LoopbackServer::LoopbackServer(Options options) : options_(std::move(options)) {
  default_ = std::make_shared<const Response>(
      Response::Status("HTTP/1.1 404 Not Found", "not found"));
  if (options_.tls) {
    const TestAuthority& authority = TestAuthority::Shared();
    TestCertificate issued = authority.Issue(options_.certificate_names);
    tls_ = SSL_CTX_new(TLS_server_method());
    BIO* cert_bio =
        BIO_new_mem_buf(issued.certificate_pem.data(),
                        static_cast<int>(issued.certificate_pem.size()));
    BIO* key_bio = BIO_new_mem_buf(issued.key_pem.data(),
                                   static_cast<int>(issued.key_pem.size()));
    X509* cert = PEM_read_bio_X509(cert_bio, nullptr, nullptr, nullptr);
    EVP_PKEY* key = PEM_read_bio_PrivateKey(key_bio, nullptr, nullptr, nullptr);
    bool ok = tls_ && cert && key && SSL_CTX_use_certificate(tls_, cert) == 1 &&
              SSL_CTX_use_PrivateKey(tls_, key) == 1;
    X509_free(cert);
    EVP_PKEY_free(key);
    BIO_free(cert_bio);
    BIO_free(key_bio);
    if (!ok) {
      SSL_CTX_free(tls_);
      throw std::runtime_error("loopback server: cannot set up TLS");
    }
    SSL_CTX_set_min_proto_version(tls_, TLS1_2_VERSION);
  }

  listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int one = 1;
  setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  int pipe_fds[2];
  // The longest queue the system allows: a burst of a thousand connections
  // waits for the acceptor instead of having its handshakes dropped and
  // retried a second or more later.
  if (listen_fd_ < 0 ||
      bind(listen_fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) !=
          0 ||
      listen(listen_fd_, SOMAXCONN) != 0 ||
      getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&address), &length) !=
          0 ||
      pipe2(pipe_fds, O_CLOEXEC | O_NONBLOCK) != 0) {
    if (listen_fd_ >= 0) close(listen_fd_);
    SSL_CTX_free(tls_);
    throw std::runtime_error("loopback server: cannot listen on 127.0.0.1");
  }
  port_ = ntohs(address.sin_port);
  wake_read_ = pipe_fds[0];
  wake_write_ = pipe_fds[1];
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
  // The pipe stays readable from now on, which every wait watches.
  char byte = 1;
  while (write(wake_write_, &byte, 1) < 0 && errno == EINTR) {
  }
  acceptor_.join();
  for (auto& worker : workers_) worker->thread.join();
  close(listen_fd_);
  close(wake_read_);
  close(wake_write_);
  SSL_CTX_free(tls_);
}

std::string LoopbackServer::Url(std::string_view target) const {
  return std::string(options_.tls ? "https" : "http") +
         "://127.0.0.1:" + std::to_string(port_) + std::string(target);
}

std::string LoopbackServer::CaFile() const {
  return options_.tls ? TestAuthority::Shared().CertificateFile()
                      : std::string();
}

void LoopbackServer::Serve(std::string target, Response response) {
  ServeSequence(std::move(target), {std::move(response)});
}

void LoopbackServer::ServeSequence(std::string target,
                                   std::vector<Response> responses) {
  Route route;
  for (Response& r : responses) {
    route.responses.push_back(std::make_shared<const Response>(std::move(r)));
  }
  std::lock_guard lock(mutex_);
  routes_[std::move(target)] = std::move(route);
}

void LoopbackServer::SetDefault(Response response) {
  auto shared = std::make_shared<const Response>(std::move(response));
  std::lock_guard lock(mutex_);
  default_ = std::move(shared);
}

void LoopbackServer::SetHandler(
    std::function<Response(const Request&)> handler) {
  std::lock_guard lock(mutex_);
  handler_ = std::move(handler);
}

std::vector<std::string> LoopbackServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::size_t LoopbackServer::RequestCount() const {
  std::lock_guard lock(mutex_);
  return requests_.size();
}

void LoopbackServer::ClearRequests() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

bool LoopbackServer::WaitForRequests(std::size_t count,
                                     std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return arrived_.wait_for(lock, timeout,
                           [&] { return requests_.size() >= count; });
}

std::size_t LoopbackServer::ConnectionCount() const {
  std::lock_guard lock(mutex_);
  return connections_;
}

std::shared_ptr<const Response> LoopbackServer::Choose(const Request& request) {
  std::function<Response(const Request&)> handler;
  {
    std::lock_guard lock(mutex_);
    if (!handler_) {
      auto it = routes_.find(request.target);
      if (it == routes_.end()) {
        it = routes_.find(request.target.substr(0, request.target.find('?')));
      }
      if (it == routes_.end() || it->second.responses.empty()) return default_;
      Route& route = it->second;
      std::size_t index = std::min(route.next, route.responses.size() - 1);
      ++route.next;
      return route.responses[index];
    }
    handler = handler_;
  }
  return std::make_shared<const Response>(handler(request));
}

void LoopbackServer::AcceptLoop() {
  while (true) {
    pollfd p[2] = {{listen_fd_, POLLIN, 0}, {wake_read_, POLLIN, 0}};
    int r = poll(p, 2, -1);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0 || p[1].revents != 0) return;
    int fd =
        accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) continue;
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    {
      std::lock_guard lock(mutex_);
      ++connections_;
    }
    std::lock_guard lock(workers_mutex_);
    workers_.remove_if([](const std::unique_ptr<Worker>& w) {
      if (!w->done) return false;
      w->thread.join();
      return true;
    });
    auto worker = std::make_unique<Worker>();
    Worker* raw = worker.get();
    raw->thread = std::thread([this, fd, raw] {
      ServeConnection(fd);
      raw->done = true;
    });
    workers_.push_back(std::move(worker));
  }
}

void LoopbackServer::ServeConnection(int fd) {
  // TLS writes go through write(), which would raise SIGPIPE on a client that
  // hung up; blocked here, the signal stays with this thread and dies with it.
  sigset_t pipe_signal;
  sigemptyset(&pipe_signal);
  sigaddset(&pipe_signal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe_signal, nullptr);

  SSL* ssl = nullptr;
  if (tls_) {
    ssl = SSL_new(tls_);
    SSL_set_fd(ssl, fd);
  }
  Channel channel(fd, wake_read_, ssl);
  if (!ssl || channel.Handshake()) {
    std::string pending;
    char buffer[64 * 1024];
    bool open = true;
    while (open) {
      // One request head (and any body) ...
      // What is not HTTP (a TLS greeting, say) gets what a web server would
      // answer, instead of a wait for a request head that never comes.
      auto not_http = [&] {
        return !pending.empty() &&
               (pending.front() < 'A' || pending.front() > 'Z');
      };
      std::size_t head_end;
      while ((head_end = HeadEnd(pending)) == std::string::npos &&
             !not_http()) {
        long n = channel.Read(buffer, sizeof buffer);
        if (n <= 0 || pending.size() > kMaxRequestHead) {
          open = false;
          break;
        }
        pending.append(buffer, static_cast<std::size_t>(n));
      }
      if (!open) break;
      if (not_http()) {
        channel.Write("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
        channel.HangUp(true);
        break;
      }
      std::size_t total =
          head_end +
          RequestBodyLength(std::string_view(pending).substr(0, head_end));
      if (total - head_end > kMaxRequestBody) break;
      while (pending.size() < total) {
        long n = channel.Read(buffer, sizeof buffer);
        if (n <= 0) {
          open = false;
          break;
        }
        pending.append(buffer, static_cast<std::size_t>(n));
      }
      if (!open) break;

      Request request;
      request.raw = pending.substr(0, total);
      pending.erase(0, total);
      std::size_t sp1 = request.raw.find(' ');
      std::size_t eol = request.raw.find_first_of("\r\n");
      if (sp1 != std::string::npos && sp1 < eol) {
        request.method = request.raw.substr(0, sp1);
        std::size_t sp2 = request.raw.find(' ', sp1 + 1);
        request.target =
            request.raw.substr(sp1 + 1, std::min(sp2, eol) - sp1 - 1);
      }
      {
        std::lock_guard lock(mutex_);
        requests_.push_back(request.raw);
      }
      arrived_.notify_all();

      // ... and its answer.
      std::shared_ptr<const Response> response = Choose(request);
      if (response->silent) {
        channel.DrainUntilClosed();
        break;
      }
      if (!Send(channel, *response)) break;
      if (response->close_after) {
        channel.HangUp(response->cut_after == SIZE_MAX);
        break;
      }
    }
  }
  if (ssl) SSL_free(ssl);
  close(fd);
}

}  // namespace rivolet::testing
