// The HTTP/1.1 client: one connection per GET, the response read by
// HttpResponseParser, cookies kept per host in a store clients may share.
#include "net/http_client.h"

#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <span>

#include "common/ascii.h"
#include "net/http_message.h"
#include "net/http_transport.h"

namespace rivolet {
namespace {

// Small enough to stay in the processor cache between the kernel's copy
// and ours.
constexpr std::size_t kReceiveBuffer = 64 * 1024;

std::string SizeText(std::size_t bytes) {
  constexpr std::size_t kMiB = 1024 * 1024;
  if (bytes >= kMiB && bytes % kMiB == 0) {
    return std::to_string(bytes / kMiB) + " MiB";
  }
  return std::to_string(bytes) + " bytes";
}

}  // namespace

HttpCancel::HttpCancel() {
  if (pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw Error("Cannot start a download (no pipe)");
  }
}

HttpCancel::~HttpCancel() {
  close(fds_[0]);
  close(fds_[1]);
}

void HttpCancel::Cancel() {
  const char byte = 1;
  // A full pipe is readable already.
  [[maybe_unused]] ssize_t ignored = write(fds_[1], &byte, 1);
}

void SharedCookieJar::Store(std::string_view host,
                            std::string_view header_value, bool version2,
                            CookieJar::Clock::time_point now) {
  std::lock_guard lock(mutex_);
  jar_.Store(host, header_value, version2, now);
}

std::string SharedCookieJar::HeaderFor(std::string_view host, bool secure,
                                       CookieJar::Clock::time_point now) {
  std::lock_guard lock(mutex_);
  return jar_.HeaderFor(host, secure, now);
}

HttpClient::HttpClient(HttpClientSettings settings)
    : settings_(std::move(settings)) {}
HttpClient::HttpClient(HttpClientSettings settings,
                       std::shared_ptr<SharedCookieJar> cookies)
    : settings_(std::move(settings)), cookies_(std::move(cookies)) {}
HttpClient::~HttpClient() = default;
HttpClient::HttpClient(HttpClient&&) noexcept = default;
HttpClient& HttpClient::operator=(HttpClient&&) noexcept = default;

std::shared_ptr<SharedCookieJar> HttpClient::cookies() {
  // Made here rather than in the constructor, so that a moved-from client
  // is still a whole client.
  if (!cookies_) cookies_ = std::make_shared<SharedCookieJar>();
  return cookies_;
}

std::string HttpClient::Get(std::string_view url_text,
                            const HttpCancel* cancel) {
  const HttpUrl url = ParseHttpUrl(url_text);
  const std::string where = url.Where();

  HttpTimeouts timeouts;
  timeouts.connect = settings_.connect_timeout;
  timeouts.idle = settings_.idle_timeout;
  if (cancel != nullptr) timeouts.cancel_fd = cancel->fd();
  if (settings_.total_timeout.count() > 0) {
    timeouts.deadline =
        std::chrono::steady_clock::now() + settings_.total_timeout;
  }
  if (url.secure && !tls_) {
    tls_ = std::make_unique<TlsContext>(settings_.extra_ca_file);
  }

  const std::shared_ptr<SharedCookieJar> jar = cookies();
  const std::string request = BuildHttpRequest(
      url, jar->HeaderFor(url.host, url.secure, CookieJar::Clock::now()));
  HttpConnection connection(url, timeouts, tls_.get());
  connection.SendAll(request);

  HttpResponseParser parser(settings_.max_body);
  bool cookies_taken = false;
  auto take_cookies = [&] {
    if (cookies_taken || !parser.HeadDone()) return;
    cookies_taken = true;
    auto now = CookieJar::Clock::now();
    for (const HttpHeader& header : parser.headers()) {
      if (EqualsIgnoreCase(header.name, "Set-Cookie")) {
        jar->Store(url.host, header.value, false, now);
      } else if (EqualsIgnoreCase(header.name, "Set-Cookie2")) {
        jar->Store(url.host, header.value, true, now);
      }
    }
  };

  auto buffer = std::make_unique_for_overwrite<char[]>(kReceiveBuffer);
  try {
    while (!parser.Done()) {
      // Body bytes go straight to their place when the parser allows it.
      std::span<char> window = parser.BodyWindow(kReceiveBuffer);
      std::size_t n;
      if (!window.empty()) {
        n = connection.Receive(window.data(), window.size());
        parser.BodyWindowFilled(n);
      } else {
        n = connection.Receive(buffer.get(), kReceiveBuffer);
        parser.Feed(std::string_view(buffer.get(), n));
        take_cookies();
      }
      if (n == 0) {
        parser.FinishAtEof();
        break;
      }
    }
  } catch (const Error& error) {
    // A refused response fails with its status line whatever became of the
    // body we were only reading to drop.
    if (parser.HeadDone() && parser.refused()) {
      take_cookies();
      throw Error(parser.status_line());
    }
    const auto* protocol = dynamic_cast<const HttpProtocolError*>(&error);
    if (protocol == nullptr) throw;
    switch (protocol->kind()) {
      case HttpProtocolError::Kind::kTooLarge:
        throw Error("The response from " + where + " is larger than " +
                    SizeText(settings_.max_body));
      case HttpProtocolError::Kind::kClosedEarly:
        throw Error(where + " closed the connection early");
      case HttpProtocolError::Kind::kMalformed:
        break;
    }
    throw Error("Bad response from " + where + " (" + error.what() + ")");
  }
  take_cookies();
  if (parser.refused()) throw Error(parser.status_line());
  return parser.TakeBody();
}

std::string HttpGetText(HttpClient& client, std::string_view url,
                        const HttpCancel* cancel) {
  return client.Get(url, cancel);
}

}  // namespace rivolet
