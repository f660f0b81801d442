// Our own reader and writer of INI settings files: key=value lines under
// [section] headers, matched without regard to ASCII letter case. A write
// changes one line (or adds one) and keeps every other byte of the file.
//
// Reading rules:
// - Lines end in CR LF, a lone CR or a lone LF. A UTF-8 byte-order mark in
//   front of the first line is skipped.
// - A line whose first non-blank byte is "[" and which holds a "]" later is a
//   section header; the name lies between "[" and the first "]", without the
//   blanks around it. Whatever follows the "]" is ignored.
// - A line whose first non-blank byte is ";" is a comment.
// - Any other line holding "=" is a key line: the key is the text before the
//   first "=", the value the text after it, both without surrounding blanks
//   (space and tab). No quotes are removed and there are no inline comments.
// - Key lines before the first header belong to no section and are never
//   found. When a section or a key occurs more than once, the first key line
//   found in file order wins, for reading and for rewriting alike.
//
// Writing rules:
// - An existing key line becomes `key=value`, the key spelt as it was found;
//   its line ending is kept.
// - A missing key goes right after the last key line of the first section of
//   that name (right after its header when it has none), so comments and blank
//   lines that close a section stay where they are.
// - A missing section goes at the end of the file, as "[section]" and then the
//   key line.
// - New lines end like the file's first line ending (CR LF in a file that has
//   none), except that a key inserted after an ended line takes that line's
//   ending, so mixed endings can never merge two lines into one.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace rivolet {

// Settings files are outside input: a larger file reads as all defaults and is
// never rewritten.
inline constexpr std::size_t kMaxIniFileSize = 1024 * 1024;

// The value of `key` in `section` of an INI text, or nothing.
std::optional<std::string> GetIniValue(std::string_view file_text,
                                       std::string_view section,
                                       std::string_view key);

// The INI text with `key` in `section` set to `value`. Throws
// std::invalid_argument for a name or value the format cannot hold back: an
// empty name, a line break anywhere, blanks at either end, "]" in a section,
// "=" in a key or a key starting with "[" or ";".
std::string SetIniValue(std::string_view file_text, std::string_view section,
                        std::string_view key, std::string_view value);

// One settings file on disk. Nothing is cached: every read opens the file,
// every write replaces it whole (temporary file, flush, rename).
class IniFile {
 public:
  explicit IniFile(std::filesystem::path path);

  const std::filesystem::path& path() const { return path_; }

  // Nothing when the file is missing, unreadable or too large, or lacks the
  // key.
  std::optional<std::string> ReadString(std::string_view section,
                                        std::string_view key) const;
  // The value converted by TryStrToInt ("0x1E" is 30), else `default_value`.
  int ReadInteger(std::string_view section, std::string_view key,
                  int default_value) const;
  // A whole number, true when not 0; `default_value` as for ReadInteger.
  bool ReadBool(std::string_view section, std::string_view key,
                bool default_value) const;

  // Fail with "Unable to write to <path>" and leave the file as it was when
  // the file exists but cannot be read (or is too large), or when it cannot
  // be replaced.
  void WriteString(std::string_view section, std::string_view key,
                   std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

 private:
  std::filesystem::path path_;
};

}  // namespace rivolet
