// ASCII-only character helpers for protocol text (HTTP headers, cookie
// attributes, URL schemes, property names of the feed list file), where
// letter case is folded for A to Z only, whatever the code page.
#pragma once

#include <string>
#include <string_view>

namespace rivolet {

constexpr char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// `text` with A to Z turned into a to z.
std::string ToLowerAscii(std::string_view text);

// `text` without leading and trailing blanks and tabs.
std::string_view TrimBlanks(std::string_view text);

// Equal when A to Z and a to z are taken as the same letters.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// True when `text` begins with `prefix`, A to Z folded as above.
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);

}  // namespace rivolet
