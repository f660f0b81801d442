// Feeds arbitrary bytes as a server's response to the HTTP client's parser and
// cookie store. Each input is read twice, whole and in uneven pieces, and both
// readings must agree: the parser may not depend on how the bytes arrive.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "common/ascii.h"
#include "net/http_cookies.h"
#include "net/http_message.h"

namespace {

struct Outcome {
  bool threw = false;
  int kind = -1;
  bool done = false;
  bool head_done = false;
  int status = 0;
  bool refused = false;
  std::string status_line;
  std::string body;
  std::size_t consumed = 0;

  bool operator==(const Outcome&) const = default;
};

constexpr std::size_t kMaxBody = 4096;

Outcome Read(std::string_view input, std::uint32_t seed, bool split,
             rivolet::CookieJar* jar) {
  rivolet::HttpResponseParser parser(kMaxBody);
  Outcome out;
  try {
    std::size_t pos = 0;
    while (pos < input.size() && !parser.Done()) {
      std::size_t n = input.size() - pos;
      if (split) {
        seed = seed * 1103515245u + 12345u;
        n = std::min<std::size_t>(n, 1 + (seed >> 16) % 7);
      }
      if (split) {
        // The in-place path must agree with Feed as well.
        std::span<char> window = parser.BodyWindow(n);
        if (!window.empty()) {
          if (window.size() > n) std::abort();
          std::memcpy(window.data(), input.data() + pos, window.size());
          parser.BodyWindowFilled(window.size());
          pos += window.size();
          continue;
        }
      }
      std::size_t used = parser.Feed(input.substr(pos, n));
      if (used > n) std::abort();
      if (used < n && !parser.Done()) std::abort();
      pos += used;
    }
    out.consumed = pos;
    if (!parser.Done()) parser.FinishAtEof();
  } catch (const rivolet::HttpProtocolError& e) {
    out.threw = true;
    out.kind = static_cast<int>(e.kind());
  }
  out.done = parser.Done();
  out.head_done = parser.HeadDone();
  if (out.head_done) {
    out.status = parser.status();
    out.refused = parser.refused();
    out.status_line = parser.status_line();
    if (out.refused && !parser.body().empty()) std::abort();
    if (parser.body().size() > kMaxBody) std::abort();
    if (jar) {
      auto now = rivolet::CookieJar::Clock::time_point() +
                 std::chrono::hours(24 * 365 * 50);
      for (const rivolet::HttpHeader& h : parser.headers()) {
        if (rivolet::EqualsIgnoreCase(h.name, "Set-Cookie")) {
          jar->Store("example.com", h.value, false, now);
        } else if (rivolet::EqualsIgnoreCase(h.name, "Set-Cookie2")) {
          jar->Store("example.com", h.value, true, now);
        }
      }
      std::string header = jar->HeaderFor("EXAMPLE.com", false, now);
      // The header goes into a request: no line breaks may reach it.
      if (header.find_first_of("\r\n") != std::string::npos) std::abort();
    }
  }
  out.body = parser.TakeBody();
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  rivolet::CookieJar jar;
  Outcome whole = Read(input, 0, false, &jar);
  Outcome pieces = Read(input, static_cast<std::uint32_t>(size), true, nullptr);
  if (!(whole == pieces)) std::abort();

  // The same bytes as a stored address, a "Location" and a cookie date.
  rivolet::CookieJar::ParseCookieDate(input);
  try {
    rivolet::HttpUrl url = rivolet::ParseHttpUrl(input);
    std::string request = rivolet::BuildHttpRequest(url, "");
    if (request.find("\r\n\r\n") != request.size() - 4) std::abort();
  } catch (const rivolet::Error&) {
  }
  try {
    rivolet::ParseHttpUrl(rivolet::ResolveUriReference("https://a/b?c", input));
  } catch (const rivolet::Error&) {
  }
  return 0;
}
