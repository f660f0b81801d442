// A scripted HTTP/1.1 server on 127.0.0.1 for tests, benchmarks and
// end-to-end runs: it records the exact bytes of every request and answers
// with prepared responses, well-formed or deliberately broken.
//
//   LoopbackServer server;                        // ephemeral port, own
//   threads server.Serve("/feed.xml", Response::Ok(body));
//   client.Get(server.Url("/feed.xml"));          //
//   http://127.0.0.1:PORT/feed.xml server.Requests(); // {"GET /feed.xml
//   HTTP/1.1\r\n..."}
//
// Broken and unusual answers are built from a Response:
//   Response::Status("HTTP/1.1 404 Not Found", "gone")
//   Response::Ok(body).Header("Set-Cookie", "id=1")
//   Response::Ok(body).Chunked(3, ";ext=1", {{"X-Trailer", "t"}})
//   Response::Ok(body).UntilClose()
//   Response::Ok(body).ContinueFirst()            // "HTTP/1.1 100 Continue"
//   first Response::Ok(body).Slow(10, 50ms)             // 10 bytes, pause 50
//   ms, ... Response::Ok(body).CutAfter(100)              // hang up after 100
//   bytes Response::Silent()                            // never answer
//   Response::Raw("HTTP/1.1 200 OK\r\n...")       // exact bytes, then hang up
//
// The server serves any number of connections (each on its own thread, so a
// silent answer does not hold up the next client) and requests one after
// another on a kept-alive connection, until it is destroyed. Every method is
// safe to call from any thread while it runs. The destructor returns promptly,
// hanging up on clients and cutting short any slow or silent answer.
//
// With Options::tls it speaks https with a certificate for "localhost" and
// 127.0.0.1, signed by TestAuthority::Shared(); CaFile() names the PEM a client
// must trust.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

struct ssl_ctx_st;

namespace rivolet::testing {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

// One scripted answer. The factories give a sensible start; the chainable
// setters change one aspect each.
struct Response {
  enum class Framing { kContentLength, kChunked, kUntilClose };

  std::string status_line = "HTTP/1.1 200 OK";
  HeaderList headers;  // sent in this order, before any framing header
  std::string body;
  Framing framing = Framing::kContentLength;
  std::size_t chunk_size =
      0;  // chunked: body cut into chunks of this size; 0: one
  std::string chunk_extension;     // chunked: written after each chunk size
  HeaderList trailers;             // chunked: after the last chunk
  bool continue_first = false;     // "HTTP/1.1 100 Continue" response first
  std::optional<std::string> raw;  // exact bytes sent instead of all the above
  std::size_t slow_piece = 0;      // send in pieces of this many bytes ...
  std::chrono::milliseconds slow_delay{0};  // ... each after this pause
  std::size_t cut_after = SIZE_MAX;         // hang up after this many bytes
  bool silent = false;                      // read the request, never answer
  bool close_after = false;  // hang up once sent (else keep alive)

  // 200 with the body framed by Content-Length.
  static Response Ok(std::string body);
  // Any status line as sent, e.g. "HTTP/1.1 301 Moved Permanently".
  static Response Status(std::string status_line, std::string body = "");
  // Exactly these bytes, then the server hangs up.
  static Response Raw(std::string bytes);
  static Response Silent();

  Response& Header(std::string name, std::string value);
  Response& Chunked(std::size_t chunk_size = 0, std::string extension = "",
                    HeaderList trailers = {});
  // No framing header: the body ends when the server hangs up.
  Response& UntilClose();
  Response& ContinueFirst();
  Response& Slow(std::size_t piece, std::chrono::milliseconds delay);
  Response& CutAfter(std::size_t bytes);

  // The bytes this response puts on the wire, whole (before any cut).
  std::string Serialize() const;
};

// What a handler sees of a request.
struct Request {
  std::string raw;     // exact bytes, head and any body
  std::string method;  // "GET"
  std::string target;  // "/feed.xml?x=1"
};

class LoopbackServer {
 public:
  struct Options {
    bool tls = false;
    // Names on the TLS certificate: DNS names or IP addresses.
    std::vector<std::string> certificate_names = {"localhost", "127.0.0.1"};
  };

  LoopbackServer();
  explicit LoopbackServer(Options options);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  std::uint16_t port() const { return port_; }
  // "http://127.0.0.1:PORT" (or https) followed by `target`.
  std::string Url(std::string_view target = "/") const;
  // TLS mode: the PEM file of the authority that signed the certificate.
  std::string CaFile() const;

  // Answers requests whose target (path and query) is `target`; a target not
  // served with its query falls back to its path alone.
  void Serve(std::string target, Response response);
  // Answers with each response in turn; the last one repeats.
  void ServeSequence(std::string target, std::vector<Response> responses);
  // The answer for unserved targets; at first "HTTP/1.1 404 Not Found".
  void SetDefault(Response response);
  // Decides every answer instead of the table above; runs on a server thread.
  void SetHandler(std::function<Response(const Request&)> handler);

  // The exact bytes of every request so far, in order of arrival.
  std::vector<std::string> Requests() const;
  std::size_t RequestCount() const;
  void ClearRequests();
  // Waits until at least `count` requests have arrived; false on time-out.
  bool WaitForRequests(std::size_t count,
                       std::chrono::milliseconds timeout) const;
  // Connections accepted so far.
  std::size_t ConnectionCount() const;

 private:
  struct Route {
    std::vector<std::shared_ptr<const Response>> responses;
    std::size_t next = 0;
  };
  struct Worker;

  void AcceptLoop();
  void ServeConnection(int fd);
  std::shared_ptr<const Response> Choose(const Request& request);

  Options options_;
  int listen_fd_ = -1;
  int wake_read_ = -1;  // readable once the server is stopping
  int wake_write_ = -1;
  std::uint16_t port_ = 0;
  ssl_ctx_st* tls_ = nullptr;

  mutable std::mutex mutex_;
  mutable std::condition_variable arrived_;
  std::map<std::string, Route> routes_;
  std::shared_ptr<const Response> default_;
  std::function<Response(const Request&)> handler_;
  std::vector<std::string> requests_;
  std::size_t connections_ = 0;

  std::mutex workers_mutex_;
  std::list<std::unique_ptr<Worker>> workers_;
  std::thread acceptor_;
};

}  // namespace rivolet::testing
