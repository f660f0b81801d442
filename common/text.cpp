// Text primitives shared by every part of the program: 1-based search and
// cut, trimming, replace-all, containment and the whole-number conversion.
#include "common/text.h"

#include <algorithm>
#include <limits>

#include "common/ascii.h"
#include "common/error.h"

namespace rivolet {

std::size_t Pos(std::string_view needle, std::string_view text) {
  if (needle.empty()) return 0;
  const std::size_t at = text.find(needle);
  return at == std::string_view::npos ? 0 : at + 1;
}

std::string Substring(std::string_view text, std::int64_t start,
                      std::int64_t count) {
  if (start < 1) start = 1;
  const auto size = static_cast<std::int64_t>(text.size());
  if (count < 1 || start > size) return {};
  const std::int64_t available = size - start + 1;
  return std::string(
      text.substr(static_cast<std::size_t>(start - 1),
                  static_cast<std::size_t>(std::min(count, available))));
}

void Delete(std::string& text, std::int64_t start, std::int64_t count) {
  const auto size = static_cast<std::int64_t>(text.size());
  if (start < 1 || start > size || count < 1) return;
  const std::int64_t available = size - start + 1;
  text.erase(static_cast<std::size_t>(start - 1),
             static_cast<std::size_t>(std::min(count, available)));
}

namespace {}  // namespace

std::string Trim(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsCodeUpToSpace(text[first])) ++first;
  while (last > first && IsCodeUpToSpace(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}

std::string ControlsAsBlanks(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 32) c = ' ';
  }
  return out;
}

std::string ReplaceAll(std::string_view text, std::string_view from,
                       std::string_view to) {
  if (from.empty()) return std::string(text);
  std::size_t at = text.find(from);
  if (at == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t done = 0;
  while (at != std::string_view::npos) {
    out.append(text, done, at - done);
    out.append(to);
    done = at + from.size();
    at = text.find(from, done);
  }
  out.append(text, done, std::string_view::npos);
  return out;
}

bool Contains(std::string_view text, std::string_view pattern) {
  return Pos(pattern, text) != 0;
}

namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::int32_t> TryStrToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  const std::string_view rest = text.substr(i);
  if (rest.empty()) return std::nullopt;

  // Hexadecimal: a prefix, then at least one hex digit and nothing else. A
  // sign belongs to decimal numbers only.
  std::size_t prefix = 0;
  if (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X') {
    prefix = 1;
  } else if (rest.size() >= 2 && rest[0] == '0' &&
             (rest[1] == 'x' || rest[1] == 'X')) {
    prefix = 2;
  }
  if (prefix != 0) {
    const std::string_view digits = rest.substr(prefix);
    if (digits.empty()) return std::nullopt;
    std::int64_t value = 0;
    for (char c : digits) {
      const int d = HexDigitValue(c);
      if (d < 0) return std::nullopt;
      value = value * 16 + d;
      if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
  }

  std::size_t j = 0;
  bool negative = false;
  if (rest[0] == '+' || rest[0] == '-') {
    negative = rest[0] == '-';
    j = 1;
  }
  if (j == rest.size()) return std::nullopt;
  // The magnitude may reach 2^31 for a negative number.
  const std::int64_t limit =
      negative
          ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
          : std::numeric_limits<std::int32_t>::max();
  std::int64_t value = 0;
  for (; j < rest.size(); ++j) {
    const char c = rest[j];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

std::int32_t StrToInt(std::string_view text) {
  if (auto value = TryStrToInt(text)) return *value;
  throw Error("'" + std::string(text) + "' is not a valid integer value");
}

}  // namespace rivolet
