// The program's HTTP/1.1 client: one synchronous GET of a feed or page, over
// http or https and through redirects, whose body comes back as bytes. Each
// window that downloads owns one client, and with it a cookie store kept for
// the client's life.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "common/error.h"
#include "net/http_cookies.h"

namespace rivolet {

class TlsContext;

struct HttpClientSettings {
  // Giving up on a host that does not accept the connection.
  std::chrono::milliseconds connect_timeout{15000};
  // Nothing received for this long: the download is abandoned.
  std::chrono::milliseconds idle_timeout{30000};
  // A larger body is an error, so a server cannot exhaust our memory.
  std::size_t max_body = 64u * 1024 * 1024;
  // PEM file of an extra trusted certificate authority (tests); the system's
  // trust store is always used.
  std::string extra_ca_file;
  // The whole exchange may not take longer, so a server trickling bytes
  // cannot hold the program forever. Zero means no limit.
  std::chrono::milliseconds total_timeout{120000};
};

// Lets another thread give up a download at once: every wait of the client
// ends and Get throws. Cancelling cannot be taken back.
class HttpCancel {
 public:
  HttpCancel();
  ~HttpCancel();
  HttpCancel(const HttpCancel&) = delete;
  HttpCancel& operator=(const HttpCancel&) = delete;

  void Cancel();
  bool Cancelled() const;
  // Readable once cancelled (for poll).
  int fd() const { return fds_[0]; }

 private:
  int fds_[2] = {-1, -1};
};

// A cookie store that several clients may share, each on its own thread
// (the downloads of an update tick use the main window's cookies).
class SharedCookieJar {
 public:
  void Store(std::string_view host, std::string_view header_value,
             bool version2, CookieJar::Clock::time_point now);
  std::string HeaderFor(std::string_view host, bool secure,
                        CookieJar::Clock::time_point now);

 private:
  std::mutex mutex_;
  CookieJar jar_;
};

// What a download delivered.
struct HttpResult {
  std::string body;
  // The address the body was read from: the one asked for, or where its
  // redirects led (absolute, as resolved from the last "Location").
  std::string final_url;
};

// Not thread-safe: one client serves one window, one download at a time.
// Only its cookie store may be shared with other clients.
class HttpClient {
 public:
  explicit HttpClient(HttpClientSettings settings = {});
  // A client that keeps its cookies in `cookies`, shared with other clients.
  HttpClient(HttpClientSettings settings,
             std::shared_ptr<SharedCookieJar> cookies);
  ~HttpClient();
  HttpClient(HttpClient&&) noexcept;
  HttpClient& operator=(HttpClient&&) noexcept;

  // At most this many redirects are followed for one download.
  static constexpr int kMaxRedirects = 5;

  // GETs an absolute http:// or https:// URL and returns the body of the 2xx
  // response byte for byte (never decompressed). A 301, 302, 303, 307 or 308
  // with a "Location" is followed with a GET of the same form, for http and
  // https, but never from https to http, and at most kMaxRedirects times
  // without coming back to an address; the total time-out and the body cap
  // hold for the whole chain. Throws Error on any failure, never returning
  // part of a body: the text names the host and what went wrong, or, for a
  // refused status (not 2xx, a "Location" on another status, a redirect with
  // no usable "Location"), is the status line as received, e.g.
  // "HTTP/1.1 404 Not Found". A refused redirect names where it pointed:
  //   "Redirect from https to http refused: <address>"
  //   "Redirect to <scheme> refused: <address>"  (any scheme but http/https)
  //   "Redirect loop: <address>"                 (an address asked before)
  //   "Too many redirects: <address>"
  // `cancel`, when given, may be cancelled from another thread.
  HttpResult Fetch(std::string_view url, const HttpCancel* cancel = nullptr);
  // Fetch for callers that want the body only.
  std::string Get(std::string_view url, const HttpCancel* cancel = nullptr);

  const HttpClientSettings& settings() const { return settings_; }
  // The client's cookie store, for clients that are to share it.
  std::shared_ptr<SharedCookieJar> cookies();

 private:
  HttpClientSettings settings_;
  std::shared_ptr<SharedCookieJar> cookies_;  // made when first needed
  std::unique_ptr<TlsContext> tls_;           // made at the first https request
};

// The program's one way to download: the body of `url`, its bytes as
// received, and where it was read from. `cancel`, when given, may be
// cancelled from another thread.
HttpResult HttpGet(HttpClient& client, std::string_view url,
                   const HttpCancel* cancel = nullptr);

// The body alone: the feed text the readers take, bytes as received.
std::string HttpGetText(HttpClient& client, std::string_view url,
                        const HttpCancel* cancel = nullptr);

}  // namespace rivolet
