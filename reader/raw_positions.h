// Where a byte of a cleaned document came from in the document as received,
// so that the items the readers cut out of the cleaned text can be read
// again from the bytes the feed wrote.
//
// The clean-up (StripTags, then DecodeEntities) works line by line: no
// searched text holds a line feed and no replacement makes one, so the
// cleaned document is the received lines, each cleaned, joined and trimmed
// at both ends. A cleaned line as long as its received line was left as it
// was (every step that changes a length shortens); any other line is cleaned
// again step by step, remembering each byte's origin.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "reader/cleanup.h"

namespace rivolet {

class RawPositions {
 public:
  // `cleaned` must be DecodeEntities(StripTags(raw)) in `form`; both must
  // outlive this object.
  RawPositions(std::string_view raw, std::string_view cleaned, TextForm form);

  // The received position of the cleaned byte at `at`, or of the line feed
  // or end that follows it when `at` is at a line's end. Positions asked for
  // in rising order cost one pass over both texts in all.
  std::size_t RawAt(std::size_t at);

 private:
  struct Line {
    std::size_t begin, end;  // [begin, end), without the line feed
  };
  // The cleaned line around `at` and its number.
  Line CleanedLine(std::size_t at, std::size_t& number);
  // Received line `number`.
  Line RawLine(std::size_t number);
  // Cleans received line `number` step by step into tracked_.
  void Track(std::size_t number, Line raw);

  std::string_view raw_, cleaned_;
  TextForm form_;
  std::size_t lead_lines_ = 0;  // received lines lost to the leading trim
  std::size_t lead_bytes_ = 0;  // bytes the trim took from the next line
  std::size_t cleaned_at_ = 0, cleaned_line_ = 0;  // cursor: line of a pos
  std::size_t raw_at_ = 0, raw_line_ = 0;          // cursor: start of a line
  std::size_t tracked_number_ = static_cast<std::size_t>(-1);
  std::string tracked_text_;
  std::vector<std::uint32_t> tracked_origin_;  // per byte, within the line
};

}  // namespace rivolet
