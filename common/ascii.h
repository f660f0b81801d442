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

constexpr bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The kinds of blank, each by the bytes it takes.
// A space or a tab (HTTP's optional white space).
constexpr bool IsSpaceOrTab(char c) { return c == ' ' || c == '\t'; }
// XML's white space: space, tab, line feed, carriage return.
constexpr bool IsXmlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
// HTML's white space: XML's and the form feed.
constexpr bool IsHtmlSpace(char c) { return IsXmlSpace(c) || c == '\f'; }
// Any byte with a code of 32 or lower: the space and every control code
// below it (what Trim removes).
constexpr bool IsCodeUpToSpace(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

// `text` with A to Z turned into a to z.
std::string ToLowerAscii(std::string_view text);

// `text` without leading and trailing spaces and tabs.
std::string_view TrimSpacesAndTabs(std::string_view text);

// Equal when A to Z and a to z are taken as the same letters.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// True when `text` begins with `prefix`, A to Z folded as above.
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);

}  // namespace rivolet
