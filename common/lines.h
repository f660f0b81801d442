// Walking a text's lines with any of the three line endings, without storing
// them all.
#pragma once

#include <cstddef>
#include <string_view>

namespace rivolet {

// One line of a text: its content is [begin, end), its ending [end, next).
struct Line {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t next = 0;
};

// Splits a text at CR LF, a lone CR and a lone LF. A text ending in a line
// break has no empty last line.
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

}  // namespace rivolet
