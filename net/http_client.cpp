// The HTTP/1.1 client: one connection per GET (and per redirect), the
// response read by HttpResponseParser, cookies kept per host in a store
// clients may share.
#include "net/http_client.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <span>
#include <vector>

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

bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 ||
         status == 308;
}

// Two addresses that send the same request to the same server.
std::string RequestKey(const HttpUrl& url) {
  return (url.secure ? "https " : "http ") + ToLowerAscii(url.host) + ":" +
         std::to_string(url.port) + " " + url.target;
}

// What one request came back with: the body of a 2xx response, or a redirect
// with its status line and the one "Location" it gives, if any.
struct Answer {
  bool redirect = false;
  std::string body;
  std::string status_line;
  std::optional<std::string> location;
};

Answer RedirectAnswer(const HttpResponseParser& parser) {
  Answer answer{true, {}, parser.status_line(), std::nullopt};
  for (const HttpHeader& header : parser.headers()) {
    if (!EqualsIgnoreCase(header.name, "Location")) continue;
    // Two different places to go are as good as none.
    if (header.value.empty() ||
        (answer.location && *answer.location != header.value)) {
      answer.location.reset();
      break;
    }
    answer.location = header.value;
  }
  return answer;
}

// Sends the request for `url` and reads the response. A redirect ends the
// exchange as soon as its head is read, since the connection is not kept.
Answer Exchange(const HttpUrl& url, const HttpTimeouts& timeouts,
                TlsContext* tls, SharedCookieJar& jar, std::size_t max_body) {
  const std::string where = url.Where();
  const std::string request = BuildHttpRequest(
      url, jar.HeaderFor(url.host, url.secure, CookieJar::Clock::now()));
  HttpConnection connection(url, timeouts, tls);
  connection.SendAll(request);

  HttpResponseParser parser(max_body);
  bool cookies_taken = false;
  auto take_cookies = [&] {
    if (cookies_taken || !parser.HeadDone()) return;
    cookies_taken = true;
    auto now = CookieJar::Clock::now();
    for (const HttpHeader& header : parser.headers()) {
      if (EqualsIgnoreCase(header.name, "Set-Cookie")) {
        jar.Store(url.host, header.value, false, now);
      } else if (EqualsIgnoreCase(header.name, "Set-Cookie2")) {
        jar.Store(url.host, header.value, true, now);
      }
    }
  };

  auto buffer = std::make_unique_for_overwrite<char[]>(kReceiveBuffer);
  try {
    while (!parser.Done() &&
           !(parser.HeadDone() && IsRedirect(parser.status()))) {
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
    // body we were only reading to drop, and a redirect does not need it.
    if (parser.HeadDone() && parser.refused()) {
      take_cookies();
      if (IsRedirect(parser.status())) return RedirectAnswer(parser);
      throw Error(parser.status_line());
    }
    const auto* protocol = dynamic_cast<const HttpProtocolError*>(&error);
    if (protocol == nullptr) throw;
    switch (protocol->kind()) {
      case HttpProtocolError::Kind::kTooLarge:
        throw Error("The response from " + where + " is larger than " +
                    SizeText(max_body));
      case HttpProtocolError::Kind::kClosedEarly:
        throw Error(where + " closed the connection early");
      case HttpProtocolError::Kind::kMalformed:
        break;
    }
    throw Error("Bad response from " + where + " (" + error.what() + ")");
  }
  take_cookies();
  if (IsRedirect(parser.status())) return RedirectAnswer(parser);
  if (parser.refused()) throw Error(parser.status_line());
  return Answer{false, parser.TakeBody(), {}, std::nullopt};
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

bool HttpCancel::Cancelled() const {
  pollfd p{fds_[0], POLLIN, 0};
  return poll(&p, 1, 0) > 0;
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

HttpResult HttpClient::Fetch(std::string_view url_text,
                             const HttpCancel* cancel) {
  HttpUrl url = ParseHttpUrl(url_text);
  HttpResult result{{}, std::string(url_text)};

  // One deadline for the whole chain of redirects.
  HttpTimeouts timeouts;
  timeouts.connect = settings_.connect_timeout;
  timeouts.idle = settings_.idle_timeout;
  if (cancel != nullptr) timeouts.cancel_fd = cancel->fd();
  if (settings_.total_timeout.count() > 0) {
    timeouts.deadline =
        std::chrono::steady_clock::now() + settings_.total_timeout;
  }
  const std::shared_ptr<SharedCookieJar> jar = cookies();
  std::vector<std::string> asked;  // RequestKey of every address so far

  for (int redirects = 0;; ++redirects) {
    asked.push_back(RequestKey(url));
    if (cancel != nullptr && cancel->Cancelled()) {
      throw Error("The download from " + url.Where() + " was given up");
    }
    if (std::chrono::steady_clock::now() >= timeouts.deadline) {
      throw Error("Downloading from " + url.Where() + " took too long");
    }
    if (url.secure && !tls_) {
      tls_ = std::make_unique<TlsContext>(settings_.extra_ca_file);
    }
    Answer answer =
        Exchange(url, timeouts, tls_.get(), *jar, settings_.max_body);
    if (!answer.redirect) {
      result.body = std::move(answer.body);
      return result;
    }

    if (!answer.location) throw Error(answer.status_line);
    std::string next = ResolveUriReference(result.final_url, *answer.location);
    const UriParts parts = SplitUri(next);
    const std::string_view scheme = parts.scheme.value_or("");
    if (!EqualsIgnoreCase(scheme, "http") &&
        !EqualsIgnoreCase(scheme, "https")) {
      throw Error("Redirect to " + std::string(scheme) + " refused: " + next);
    }
    if (!parts.authority) throw Error(answer.status_line);
    HttpUrl next_url;
    try {
      next_url = ParseHttpUrl(next);
    } catch (const Error&) {
      throw Error(answer.status_line);
    }
    if (url.secure && !next_url.secure) {
      throw Error("Redirect from https to http refused: " + next);
    }
    if (std::ranges::find(asked, RequestKey(next_url)) != asked.end()) {
      throw Error("Redirect loop: " + next);
    }
    if (redirects == kMaxRedirects) {
      throw Error("Too many redirects: " + next);
    }
    // The address is kept as the server wrote it; only the request line
    // needs its raw bytes encoded.
    next_url.target = PercentEncodeTarget(next_url.target);
    url = std::move(next_url);
    result.final_url = std::move(next);
  }
}

std::string HttpClient::Get(std::string_view url, const HttpCancel* cancel) {
  return Fetch(url, cancel).body;
}

HttpResult HttpGet(HttpClient& client, std::string_view url,
                   const HttpCancel* cancel) {
  return client.Fetch(url, cancel);
}

std::string HttpGetText(HttpClient& client, std::string_view url,
                        const HttpCancel* cancel) {
  return client.Fetch(url, cancel).body;
}

}  // namespace rivolet
