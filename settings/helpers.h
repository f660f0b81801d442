// Helpers the settings and language files share: walking lines with any of
// the three line endings, ASCII-only case folding, and reading a file only
// when it is a regular one.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "common/error.h"
#include "common/file_io.h"

namespace rivolet::settings_text {

// One line of a text: its content is [begin, end), its ending [end, next).
struct Line {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t next = 0;
};

// Walks the lines of a text, split at CR LF, a lone CR and a lone LF, without
// storing them all. A text ending in a line break has no empty last line.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text) {}

  bool Next(Line& line) {
    if (at_ >= text_.size()) return false;
    line.begin = at_;
    line.end = text_.find_first_of("\r\n", at_);
    if (line.end == std::string_view::npos) line.end = text_.size();
    line.next = line.end;
    if (line.next < text_.size()) {
      ++line.next;
      if (text_[line.end] == '\r' && line.next < text_.size() &&
          text_[line.next] == '\n') {
        ++line.next;
      }
    }
    at_ = line.next;
    return true;
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

inline char FoldAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Equal without regard to the letter case of A-Z; other bytes must match.
inline bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// Reads a whole file of at most `max_size` bytes. Anything but a regular file
// (a pipe would block the program forever) fails as unreadable, with
// "Cannot open file <path>".
inline std::string ReadRegularFile(const std::filesystem::path& path,
                                   std::size_t max_size) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    throw Error("Cannot open file " + path.string());
  }
  return ReadWholeFile(path, max_size);
}

}  // namespace rivolet::settings_text
