// The cookie store of one HTTP client: cookies kept per host for the life of
// the client (never written to disk) and sent back to the host that set them.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rivolet {

class CookieJar {
 public:
  using Clock = std::chrono::system_clock;

  // Bounds on what one server can make us keep.
  static constexpr std::size_t kMaxCookiesPerHost = 50;
  static constexpr std::size_t kMaxCookieBytes = 4096;

  // Takes the value of a "Set-Cookie" header (`version2` false) or of a
  // "Set-Cookie2" header (`version2` true: several cookies, comma-separated)
  // sent by `host`. Malformed cookies are ignored; a cookie that has already
  // expired removes the one of that name.
  void Store(std::string_view host, std::string_view header_value,
             bool version2, Clock::time_point now);

  // The "Cookie" header value for a request to `host` ("name=value; ..."),
  // empty when there is nothing to send. Cookies marked Secure go only over
  // https.
  std::string HeaderFor(std::string_view host, bool secure,
                        Clock::time_point now);

  // Reads a cookie date ("Expires") leniently, as browsers do.
  static std::optional<Clock::time_point> ParseCookieDate(
      std::string_view text);

 private:
  struct Cookie {
    std::string name;
    std::string value;
    bool secure = false;
    std::optional<Clock::time_point> expires;
  };
  void StoreOne(std::string_view host, std::string_view set_cookie,
                Clock::time_point now);

  std::map<std::string, std::vector<Cookie>> hosts_;  // key: lower-case host
};

}  // namespace rivolet
