// Cookie store of the HTTP client: reading "Set-Cookie" and "Set-Cookie2"
// values and writing the "Cookie" header.
#include "net/http_cookies.h"

#include <algorithm>

#include "common/ascii.h"

namespace rivolet {
namespace {

bool HasControl(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) {
    auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
  });
}

// Splits on `sep`, except inside double quotes.
std::vector<std::string_view> SplitOutsideQuotes(std::string_view s, char sep) {
  std::vector<std::string_view> parts;
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '"') {
      quoted = !quoted;
    } else if (s[i] == sep && !quoted) {
      parts.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  parts.push_back(s.substr(start));
  return parts;
}

bool IsDateDelimiter(unsigned char c) {
  return c == 0x09 || (c >= 0x20 && c <= 0x2f) || (c >= 0x3b && c <= 0x40) ||
         (c >= 0x5b && c <= 0x60) || (c >= 0x7b && c <= 0x7e);
}

// Leading digits of `token`: between `min` and `max` of them, and then no
// further digit. Returns -1 when the token does not start that way.
int LeadingNumber(std::string_view token, std::size_t min, std::size_t max,
                  std::size_t* used = nullptr) {
  std::size_t i = 0;
  int value = 0;
  while (i < token.size() && IsAsciiDigit(token[i])) {
    if (i == max) return -1;
    value = value * 10 + (token[i] - '0');
    ++i;
  }
  if (i < min) return -1;
  if (used) *used = i;
  return value;
}

bool ParseTime(std::string_view token, int& h, int& m, int& s) {
  int fields[3];
  for (int k = 0; k < 3; ++k) {
    std::size_t used = 0;
    fields[k] = LeadingNumber(token, 1, 2, &used);
    if (fields[k] < 0) return false;
    token.remove_prefix(used);
    if (k < 2) {
      if (token.empty() || token.front() != ':') return false;
      token.remove_prefix(1);
    }
  }
  h = fields[0];
  m = fields[1];
  s = fields[2];
  return true;
}

}  // namespace

std::optional<CookieJar::Clock::time_point> CookieJar::ParseCookieDate(
    std::string_view text) {
  static constexpr const char* kMonths[] = {"jan", "feb", "mar", "apr",
                                            "may", "jun", "jul", "aug",
                                            "sep", "oct", "nov", "dec"};
  bool found_time = false, found_day = false, found_month = false,
       found_year = false;
  int hour = 0, minute = 0, second = 0, day = 0, month = 0, year = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() &&
           IsDateDelimiter(static_cast<unsigned char>(text[i]))) {
      ++i;
    }
    std::size_t start = i;
    while (i < text.size() &&
           !IsDateDelimiter(static_cast<unsigned char>(text[i]))) {
      ++i;
    }
    std::string_view token = text.substr(start, i - start);
    if (token.empty()) continue;
    int h, m, s;
    if (!found_time && ParseTime(token, h, m, s)) {
      found_time = true;
      hour = h;
      minute = m;
      second = s;
    } else if (int d; !found_day && (d = LeadingNumber(token, 1, 2)) >= 0) {
      found_day = true;
      day = d;
    } else if (!found_month && token.size() >= 3 && [&] {
                 std::string prefix = ToLowerAscii(token.substr(0, 3));
                 for (int k = 0; k < 12; ++k) {
                   if (prefix == kMonths[k]) {
                     month = k + 1;
                     return true;
                   }
                 }
                 return false;
               }()) {
      found_month = true;
    } else if (int y; !found_year && (y = LeadingNumber(token, 2, 4)) >= 0) {
      found_year = true;
      year = y;
    }
  }
  if (year >= 70 && year <= 99) year += 1900;
  if (year >= 0 && year <= 69) year += 2000;
  if (!found_time || !found_day || !found_month || !found_year || year < 1601 ||
      hour > 23 || minute > 59 || second > 59) {
    return std::nullopt;
  }
  std::chrono::year_month_day date{
      std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
      std::chrono::day(static_cast<unsigned>(day))};
  if (!date.ok()) return std::nullopt;
  // The clock counts nanoseconds and spans only 1677 to 2262; sites send
  // dates as far as 9999 to mean "never", so later dates stay the latest
  // time the clock has and earlier ones the earliest.
  using std::chrono::seconds;
  const std::chrono::sys_seconds when =
      std::chrono::sys_days(date) + std::chrono::hours(hour) +
      std::chrono::minutes(minute) + seconds(second);
  constexpr auto kLatest =
      std::chrono::floor<seconds>(Clock::time_point::max());
  constexpr auto kEarliest =
      std::chrono::ceil<seconds>(Clock::time_point::min());
  if (when >= kLatest) return Clock::time_point::max();
  if (when <= kEarliest) return Clock::time_point::min();
  return Clock::time_point(when);
}

void CookieJar::Store(std::string_view host, std::string_view header_value,
                      bool version2, Clock::time_point now) {
  if (!version2) {
    StoreOne(host, header_value, now);
    return;
  }
  for (std::string_view one : SplitOutsideQuotes(header_value, ',')) {
    StoreOne(host, one, now);
  }
}

void CookieJar::StoreOne(std::string_view host, std::string_view set_cookie,
                         Clock::time_point now) {
  std::vector<std::string_view> parts = SplitOutsideQuotes(set_cookie, ';');
  std::string_view pair = parts.front();
  std::size_t eq = pair.find('=');
  if (eq == std::string_view::npos) return;
  std::string_view name = TrimSpacesAndTabs(pair.substr(0, eq));
  std::string_view value = TrimSpacesAndTabs(pair.substr(eq + 1));
  if (name.empty() || name.size() + value.size() > kMaxCookieBytes ||
      HasControl(name) || HasControl(value)) {
    return;
  }

  Cookie cookie{std::string(name), std::string(value), false, std::nullopt};
  std::optional<Clock::time_point> expires;
  std::optional<Clock::time_point> max_age;
  for (std::size_t k = 1; k < parts.size(); ++k) {
    std::string_view attribute = parts[k];
    std::size_t aeq = attribute.find('=');
    std::string key = ToLowerAscii(TrimSpacesAndTabs(attribute.substr(0, aeq)));
    std::string_view arg = aeq == std::string_view::npos
                               ? std::string_view()
                               : TrimSpacesAndTabs(attribute.substr(aeq + 1));
    if (key == "secure") {
      cookie.secure = true;
    } else if (key == "expires") {
      if (auto when = ParseCookieDate(arg)) expires = when;
    } else if (key == "max-age") {
      bool negative = !arg.empty() && arg.front() == '-';
      std::string_view digits = negative ? arg.substr(1) : arg;
      if (digits.empty() ||
          !std::all_of(digits.begin(), digits.end(), IsAsciiDigit)) {
        continue;
      }
      // Anything past ten years is as good as forever here.
      constexpr long long kCap = 10LL * 366 * 24 * 3600;
      long long seconds = 0;
      for (char c : digits) {
        seconds = std::min(kCap, seconds * 10 + (c - '0'));
      }
      max_age = negative || seconds == 0 ? Clock::time_point::min()
                                         : now + std::chrono::seconds(seconds);
    }
  }
  cookie.expires = max_age ? max_age : expires;

  std::vector<Cookie>& jar = hosts_[ToLowerAscii(host)];
  auto same = std::find_if(jar.begin(), jar.end(), [&](const Cookie& c) {
    return c.name == cookie.name;
  });
  if (cookie.expires && *cookie.expires <= now) {
    if (same != jar.end()) jar.erase(same);
    return;
  }
  if (same != jar.end()) {
    *same = std::move(cookie);
    return;
  }
  if (jar.size() >= kMaxCookiesPerHost) jar.erase(jar.begin());
  jar.push_back(std::move(cookie));
}

std::string CookieJar::HeaderFor(std::string_view host, bool secure,
                                 Clock::time_point now) {
  auto it = hosts_.find(ToLowerAscii(host));
  if (it == hosts_.end()) return {};
  std::vector<Cookie>& jar = it->second;
  std::erase_if(
      jar, [&](const Cookie& c) { return c.expires && *c.expires <= now; });
  std::string header;
  for (const Cookie& c : jar) {
    if (c.secure && !secure) continue;
    if (!header.empty()) header += "; ";
    header += c.name;
    header += '=';
    header += c.value;
  }
  return header;
}

}  // namespace rivolet
