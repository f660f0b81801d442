// The sockets and TLS under the HTTP client: one connection to one host that
// sends and receives within time-outs and never raises SIGPIPE.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "net/http_message.h"

struct ssl_ctx_st;
struct ssl_st;
struct bio_st;

namespace rivolet {

struct HttpTimeouts {
  std::chrono::milliseconds connect{15000};
  std::chrono::milliseconds idle{30000};  // longest wait for the next byte
  // End of the whole exchange; time_point::max() for none.
  std::chrono::steady_clock::time_point deadline =
      std::chrono::steady_clock::time_point::max();
  // A descriptor that becomes readable when the download is to be given up
  // (see HttpCancel); -1 for none.
  int cancel_fd = -1;
};

// The TLS settings of one client: the system's trust store, plus an optional
// PEM file of another authority to trust.
class TlsContext {
 public:
  // Throws Error when the extra authority cannot be read.
  explicit TlsContext(const std::string& extra_ca_file);
  ~TlsContext();
  TlsContext(const TlsContext&) = delete;
  TlsContext& operator=(const TlsContext&) = delete;

  ssl_ctx_st* get() const { return ctx_; }

 private:
  ssl_ctx_st* ctx_ = nullptr;
};

class HttpConnection {
 public:
  // Resolves the host, connects and, for https, completes the handshake with
  // the certificate checked against `tls` and the host name. Throws Error.
  HttpConnection(const HttpUrl& url, const HttpTimeouts& timeouts,
                 TlsContext* tls);
  ~HttpConnection();
  HttpConnection(const HttpConnection&) = delete;
  HttpConnection& operator=(const HttpConnection&) = delete;

  void SendAll(std::string_view bytes);
  // Reads what has arrived, waiting for at least one byte; 0 when the peer
  // has closed the connection.
  std::size_t Receive(char* buffer, std::size_t capacity);

 private:
  void Connect();
  void Handshake(TlsContext* tls);
  void WaitFor(short events);
  // Waits for `events` on `fd` until `until`: true when they came, false on
  // time-out; throws when the download is given up.
  bool PollUntil(int fd, short events,
                 std::chrono::steady_clock::time_point until);
  void SendPlain(const char* data, std::size_t size);
  std::size_t ReceivePlain(char* buffer, std::size_t capacity);
  void FlushTls();
  bool PullTls();
  [[noreturn]] void FailTls(int result);

  HttpUrl url_;
  std::string where_;
  HttpTimeouts timeouts_;
  int fd_ = -1;
  ssl_st* ssl_ = nullptr;
  bio_st* tls_in_ = nullptr;   // owned by ssl_
  bio_st* tls_out_ = nullptr;  // owned by ssl_
};

}  // namespace rivolet
