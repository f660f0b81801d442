// Rows of new items.
#include "update/new_items.h"

#include <algorithm>
#include <string>
#include <utility>

#include "common/ascii.h"

namespace rivolet {
namespace {

// Reads `count` digits at `at` into `value`; false when they are not there.
bool Digits(std::string_view text, std::size_t& at, std::size_t count,
            int& value) {
  if (at + count > text.size()) return false;
  value = 0;
  for (std::size_t k = 0; k < count; ++k) {
    const char c = text[at + k];
    if (!IsAsciiDigit(c)) return false;
    value = value * 10 + (c - '0');
  }
  at += count;
  return true;
}

bool Skip(std::string_view text, std::size_t& at, char c) {
  if (at >= text.size() || text[at] != c) return false;
  ++at;
  return true;
}

void SkipBlanks(std::string_view text, std::size_t& at) {
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
}

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// The zone's offset east of UTC in seconds.
std::optional<std::int64_t> ZoneOffset(std::string_view zone) {
  if (zone.empty()) return 0;
  if (zone[0] == '+' || zone[0] == '-') {
    std::size_t at = 1;
    int hours = 0, minutes = 0;
    if (!Digits(zone, at, 2, hours)) return std::nullopt;
    Skip(zone, at, ':');
    if (!Digits(zone, at, 2, minutes) || at != zone.size()) return std::nullopt;
    const std::int64_t offset = hours * 3600 + minutes * 60;
    return zone[0] == '-' ? -offset : offset;
  }
  static const std::pair<std::string_view, int> kLetters[] = {
      {"EST", -5}, {"EDT", -4}, {"CST", -6}, {"CDT", -5},
      {"MST", -7}, {"MDT", -6}, {"PST", -8}, {"PDT", -7}};
  for (const auto& [name, hours] : kLetters) {
    if (zone == name) return hours * 3600;
  }
  return 0;
}

}  // namespace

std::optional<std::int64_t> ShownDateSeconds(std::string_view date) {
  std::size_t at = 0;
  SkipBlanks(date, at);
  int year = 0, month = 0, day = 0;
  const std::size_t start = at;
  if (Digits(date, at, 4, year) && Skip(date, at, '-')) {
    if (!Digits(date, at, 2, month) || !Skip(date, at, '-') ||
        !Digits(date, at, 2, day)) {
      return std::nullopt;
    }
  } else {
    at = start;
    if (!Digits(date, at, 2, day)) {
      at = start;
      if (!Digits(date, at, 1, day)) return std::nullopt;
    }
    if (!Skip(date, at, '.') || !Digits(date, at, 2, month) ||
        !Skip(date, at, '.') || !Digits(date, at, 4, year)) {
      return std::nullopt;
    }
  }
  if (month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
  int hour = 0, minute = 0, second = 0;
  if (at < date.size() && (date[at] == 'T' || date[at] == 't')) {
    ++at;
  } else {
    SkipBlanks(date, at);
  }
  const std::size_t time_start = at;
  if (Digits(date, at, 2, hour) && Skip(date, at, ':') &&
      Digits(date, at, 2, minute)) {
    if (Skip(date, at, ':') && !Digits(date, at, 2, second))
      return std::nullopt;
    if (at < date.size() && (date[at] == '.' || date[at] == ',')) {
      ++at;
      while (at < date.size() && IsAsciiDigit(date[at])) ++at;
    }
    if (hour > 23 || minute > 59 || second > 60) return std::nullopt;
  } else {
    at = time_start;
    hour = minute = second = 0;
  }
  SkipBlanks(date, at);
  std::string_view zone = date.substr(at);
  while (!zone.empty() && (zone.back() == ' ' || zone.back() == '\t'))
    zone.remove_suffix(1);
  const std::optional<std::int64_t> offset = ZoneOffset(zone);
  if (!offset) return std::nullopt;
  return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 +
         second - *offset;
}

FeedRead ReadNewItems(const ShownFeed& feed,
                      const std::vector<bool>& first_seen) {
  FeedRead read;
  read.only_new = true;
  const std::size_t n = std::min(feed.items.size(), first_seen.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (!first_seen[i]) continue;
    const ShownItem& item = feed.items[i];
    read.new_items.push_back({{feed.channel_title, item.title, item.date, {}},
                              ShownDateSeconds(item.date)});
  }
  return read;
}

std::vector<NotificationRow> NewestFirst(std::vector<NewItemRow> items) {
  std::stable_sort(items.begin(), items.end(),
                   [](const NewItemRow& a, const NewItemRow& b) {
                     if (!b.time) return a.time.has_value();
                     return a.time && *a.time > *b.time;
                   });
  std::vector<NotificationRow> rows;
  const std::size_t n = std::min(items.size(), kMaxNewItemRows);
  rows.reserve(n);
  for (std::size_t i = 0; i < n; ++i) rows.push_back(std::move(items[i].row));
  return rows;
}

}  // namespace rivolet
