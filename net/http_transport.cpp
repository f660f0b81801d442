// Sockets and TLS for the HTTP client. Sockets are non-blocking and every wait
// goes through poll() so that time-outs hold. TLS runs over memory buffers
// that we move to and from the socket ourselves: every write to the socket is
// then a send() with MSG_NOSIGNAL, and a peer that hangs up can never kill
// the program with SIGPIPE.
#include "net/http_transport.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>

#include "net/tls_library.h"

namespace rivolet {
namespace {

using Clock = std::chrono::steady_clock;

std::string SystemText(int error) {
  char buffer[256];
  // The GNU strerror_r returns the text, which may not be in `buffer`.
  return strerror_r(error, buffer, sizeof buffer);
}

std::string OpenSslText() {
  unsigned long code = Tls().ERR_peek_last_error();
  if (code == 0) return "unknown error";
  const char* reason = Tls().ERR_reason_error_string(code);
  return reason ? reason : "unknown error";
}

bool IsIpLiteral(const std::string& host) {
  unsigned char address[sizeof(in6_addr)];
  return inet_pton(AF_INET, host.c_str(), address) == 1 ||
         inet_pton(AF_INET6, host.c_str(), address) == 1;
}

struct AddrInfoDeleter {
  void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

constexpr std::size_t kTlsChunk = 64 * 1024;

}  // namespace

// --- TlsContext --------------------------------------------------------------

TlsContext::TlsContext(const std::string& extra_ca_file) {
  ctx_ = Tls().SSL_CTX_new(Tls().TLS_client_method());
  if (ctx_ == nullptr) {
    throw Error("Secure connections are not available (" + OpenSslText() + ")");
  }
  Tls().SSL_CTX_ctrl(ctx_, SSL_CTRL_SET_MIN_PROTO_VERSION, TLS1_2_VERSION,
                     nullptr);
  Tls().SSL_CTX_set_verify(ctx_, SSL_VERIFY_PEER, nullptr);
  // Without a system store every certificate fails to verify, which is the
  // safe outcome; nothing to report here.
  Tls().SSL_CTX_set_default_verify_paths(ctx_);
  if (!extra_ca_file.empty() &&
      Tls().SSL_CTX_load_verify_locations(ctx_, extra_ca_file.c_str(),
                                          nullptr) != 1) {
    Tls().ERR_clear_error();
    Tls().SSL_CTX_free(ctx_);
    throw Error("Cannot read the certificate authority file " + extra_ca_file);
  }
  Tls().ERR_clear_error();
}

TlsContext::~TlsContext() { Tls().SSL_CTX_free(ctx_); }

// --- HttpConnection ----------------------------------------------------------

HttpConnection::HttpConnection(const HttpUrl& url, const HttpTimeouts& timeouts,
                               TlsContext* tls)
    : url_(url), where_(url.Where()), timeouts_(timeouts) {
  Connect();
  if (url_.secure) {
    try {
      Handshake(tls);
    } catch (...) {
      if (ssl_) Tls().SSL_free(ssl_);
      ssl_ = nullptr;
      close(fd_);
      fd_ = -1;
      throw;
    }
  }
}

HttpConnection::~HttpConnection() {
  if (ssl_) Tls().SSL_free(ssl_);
  if (fd_ >= 0) close(fd_);
}

void HttpConnection::Connect() {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  std::string host = url_.BareHost();
  int rc = getaddrinfo(host.c_str(), std::to_string(url_.port).c_str(), &hints,
                       &found);
  if (rc != 0) {
    if (rc == EAI_NONAME || rc == EAI_NODATA || rc == EAI_FAIL) {
      throw Error("Host not found: " + url_.host);
    }
    std::string why = rc == EAI_SYSTEM ? SystemText(errno) : gai_strerror(rc);
    throw Error("Cannot look up the host " + url_.host + " (" + why + ")");
  }
  std::unique_ptr<addrinfo, AddrInfoDeleter> list(found);

  const Clock::time_point give_up =
      std::min(timeouts_.deadline, Clock::now() + timeouts_.connect);
  int last_error = 0;
  for (addrinfo* ai = list.get(); ai != nullptr; ai = ai->ai_next) {
    int fd =
        socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
               ai->ai_protocol);
    if (fd < 0) {
      last_error = errno;
      continue;
    }
    int error = 0;
    if (connect(fd, ai->ai_addr, ai->ai_addrlen) != 0) {
      error = errno;
      if (error == EINPROGRESS) {
        error = 0;
        bool connected = false;
        try {
          connected = PollUntil(fd, POLLOUT, give_up);
        } catch (const Error&) {
          close(fd);
          throw;
        }
        if (!connected) {
          close(fd);
          throw Error("Connecting to " + where_ + " timed out");
        }
        socklen_t len = sizeof error;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0) {
          error = errno;
        }
      }
    }
    if (error == 0) {
      fd_ = fd;
      return;
    }
    close(fd);
    last_error = error;
  }
  if (last_error == ECONNREFUSED) {
    throw Error("Connection to " + where_ + " refused");
  }
  if (last_error == ETIMEDOUT) {
    throw Error("Connecting to " + where_ + " timed out");
  }
  throw Error("Cannot connect to " + where_ + " (" + SystemText(last_error) +
              ")");
}

bool HttpConnection::PollUntil(int fd, short events, Clock::time_point until) {
  pollfd p[2] = {{fd, events, 0}, {timeouts_.cancel_fd, POLLIN, 0}};
  const nfds_t count = timeouts_.cancel_fd >= 0 ? 2 : 1;
  while (true) {
    auto left =
        std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
    if (left.count() <= 0) return false;
    int ready = poll(
        p, count, static_cast<int>(std::min<long long>(left.count(), INT_MAX)));
    if (count == 2 && ready > 0 && p[1].revents != 0) {
      throw Error("The download from " + where_ + " was given up");
    }
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) {
      throw Error("Connection to " + where_ + " failed (" + SystemText(errno) +
                  ")");
    }
  }
}

void HttpConnection::WaitFor(short events) {
  const Clock::time_point now = Clock::now();
  if (now >= timeouts_.deadline) {
    throw Error("Downloading from " + where_ + " took too long");
  }
  const bool idle_limits = timeouts_.deadline - now > timeouts_.idle;
  if (PollUntil(fd_, events,
                idle_limits ? now + timeouts_.idle : timeouts_.deadline)) {
    return;
  }
  if (idle_limits) throw Error("Waiting for " + where_ + " timed out");
  throw Error("Downloading from " + where_ + " took too long");
}

void HttpConnection::SendPlain(const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = send(fd_, data, size, MSG_NOSIGNAL);
    if (n >= 0) {
      data += n;
      size -= static_cast<std::size_t>(n);
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      WaitFor(POLLOUT);
    } else if (errno == EPIPE || errno == ECONNRESET) {
      throw Error(where_ + " closed the connection early");
    } else if (errno != EINTR) {
      throw Error("Sending to " + where_ + " failed (" + SystemText(errno) +
                  ")");
    }
  }
}

std::size_t HttpConnection::ReceivePlain(char* buffer, std::size_t capacity) {
  while (true) {
    ssize_t n = recv(fd_, buffer, capacity, 0);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      WaitFor(POLLIN);
    } else if (errno == ECONNRESET) {
      throw Error(where_ + " closed the connection early");
    } else if (errno != EINTR) {
      throw Error("Receiving from " + where_ + " failed (" + SystemText(errno) +
                  ")");
    }
  }
}

void HttpConnection::SendAll(std::string_view bytes) {
  if (ssl_ == nullptr) {
    SendPlain(bytes.data(), bytes.size());
    return;
  }
  while (!bytes.empty()) {
    int piece = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
    Tls().ERR_clear_error();
    // Writing into a memory buffer always succeeds at once.
    int n = Tls().SSL_write(ssl_, bytes.data(), piece);
    if (n <= 0) FailTls(n);
    bytes.remove_prefix(static_cast<std::size_t>(n));
    FlushTls();
  }
}

std::size_t HttpConnection::Receive(char* buffer, std::size_t capacity) {
  if (ssl_ == nullptr) return ReceivePlain(buffer, capacity);
  int cap = static_cast<int>(std::min<std::size_t>(capacity, INT_MAX));
  while (true) {
    Tls().ERR_clear_error();
    int n = Tls().SSL_read(ssl_, buffer, cap);
    if (n > 0) return static_cast<std::size_t>(n);
    int error = Tls().SSL_get_error(ssl_, n);
    FlushTls();  // the protocol may answer something while reading
    if (error == SSL_ERROR_ZERO_RETURN) return 0;
    if (error != SSL_ERROR_WANT_READ) FailTls(n);
    // Many servers close without a TLS goodbye; a body framed by length or
    // chunks still notices a cut, and this ends one that runs to the close.
    if (!PullTls()) return 0;
  }
}

void HttpConnection::FlushTls() {
  char chunk[kTlsChunk];
  while (Tls().BIO_ctrl_pending(tls_out_) > 0) {
    int n = Tls().BIO_read(tls_out_, chunk, sizeof chunk);
    if (n <= 0) break;
    SendPlain(chunk, static_cast<std::size_t>(n));
  }
}

bool HttpConnection::PullTls() {
  char chunk[kTlsChunk];
  std::size_t n = ReceivePlain(chunk, sizeof chunk);
  if (n == 0) return false;
  if (Tls().BIO_write(tls_in_, chunk, static_cast<int>(n)) !=
      static_cast<int>(n)) {
    throw Error("Secure connection to " + where_ + " failed (out of memory)");
  }
  return true;
}

void HttpConnection::Handshake(TlsContext* tls) {
  ssl_ = Tls().SSL_new(tls->get());
  tls_in_ = Tls().BIO_new(Tls().BIO_s_mem());
  tls_out_ = Tls().BIO_new(Tls().BIO_s_mem());
  if (ssl_ == nullptr || tls_in_ == nullptr || tls_out_ == nullptr) {
    Tls().BIO_free(tls_in_);
    Tls().BIO_free(tls_out_);
    throw Error("Secure connection to " + where_ + " failed (" + OpenSslText() +
                ")");
  }
  // An empty input buffer means "wait for more", not end of stream.
  Tls().BIO_ctrl(tls_in_, BIO_C_SET_BUF_MEM_EOF_RETURN, -1, nullptr);
  Tls().SSL_set_bio(ssl_, tls_in_, tls_out_);
  Tls().SSL_set_connect_state(ssl_);

  const std::string host = url_.BareHost();
  bool ok;
  if (IsIpLiteral(host)) {
    ok = Tls().X509_VERIFY_PARAM_set1_ip_asc(Tls().SSL_get0_param(ssl_),
                                             host.c_str()) == 1;
  } else {
    ok = Tls().SSL_ctrl(ssl_, SSL_CTRL_SET_TLSEXT_HOSTNAME,
                        TLSEXT_NAMETYPE_host_name,
                        const_cast<char*>(host.c_str())) == 1 &&
         Tls().SSL_set1_host(ssl_, host.c_str()) == 1;
  }
  if (!ok) {
    throw Error("Secure connection to " + where_ + " failed (bad host name)");
  }

  while (true) {
    Tls().ERR_clear_error();
    int result = Tls().SSL_connect(ssl_);
    int error =
        result == 1 ? SSL_ERROR_NONE : Tls().SSL_get_error(ssl_, result);
    if (error == SSL_ERROR_NONE || error == SSL_ERROR_WANT_READ) {
      FlushTls();
    } else {
      // Tell the server why, if it still listens; the failure is what counts.
      try {
        FlushTls();
      } catch (const Error&) {
      }
    }
    if (error == SSL_ERROR_NONE) return;
    if (error != SSL_ERROR_WANT_READ) FailTls(result);
    if (!PullTls()) {
      throw Error(where_ +
                  " closed the connection during the secure handshake");
    }
  }
}

void HttpConnection::FailTls(int /*result*/) {
  long verify = Tls().SSL_get_verify_result(ssl_);
  if (verify == X509_V_ERR_HOSTNAME_MISMATCH ||
      verify == X509_V_ERR_IP_ADDRESS_MISMATCH) {
    throw Error("The certificate of " + url_.host +
                " is issued for another name");
  }
  if (verify != X509_V_OK) {
    throw Error("The certificate of " + url_.host + " is not trusted (" +
                Tls().X509_verify_cert_error_string(verify) + ")");
  }
  throw Error("Secure connection to " + where_ + " failed (" + OpenSslText() +
              ")");
}

}  // namespace rivolet
