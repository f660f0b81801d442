// Text primitives shared by every part of the program. Texts are single-byte
// Windows-1250 byte strings; positions are 1-based with 0 meaning "not found".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rivolet {

// 1-based position of the first occurrence of `needle` in `text`, byte-wise and
// case-sensitive; 0 when absent or when `needle` is empty.
std::size_t Pos(std::string_view needle, std::string_view text);

// At most `count` bytes of `text` from the 1-based `start`. A start below 1
// counts as 1; empty when `count` < 1 or `start` lies beyond the end.
std::string Substring(std::string_view text, std::int64_t start,
                      std::int64_t count);

// Removes at most `count` bytes from the 1-based `start`. Nothing happens when
// `start` < 1, `start` lies beyond the end, or `count` < 1.
void Delete(std::string& text, std::int64_t start, std::int64_t count);

// Removes every leading and trailing byte with a code of 32 or lower.
std::string Trim(std::string_view text);

// `text` with every control byte (codes below 32: a tab, a line break) as a
// blank, for one line of a menu or a list: a stored name may hold them, and
// a tab would push the rest of it into a menu's shortcut column.
std::string ControlsAsBlanks(std::string_view text);

// Replaces every occurrence of `from`, left to right, without overlap and
// without rescanning inserted text. An empty `from` changes nothing.
std::string ReplaceAll(std::string_view text, std::string_view from,
                       std::string_view to);

// True when `pattern` occurs in `text` (case-sensitive). An empty pattern
// occurs nowhere and nothing occurs in an empty text.
bool Contains(std::string_view text, std::string_view pattern);

// The whole-number conversion used for numbers typed by the user: leading
// blanks skipped, then either an optional sign and decimal digits, or a
// hexadecimal number introduced by "$", "x", "X", "0x" or "0X" (no sign);
// nothing may follow. Result must fit a 32-bit signed integer. Empty when the
// text is not such a number.
std::optional<std::int32_t> TryStrToInt(std::string_view text);

// As TryStrToInt, but fails with "'%s' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);

}  // namespace rivolet
