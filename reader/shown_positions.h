// Where a byte of a cleaned document came from in the document as received,
// so that the items the readers cut out of the cleaned text can be read
// again from the bytes the feed wrote.
//
// The clean-up (StripTags, then DecodeEntities) works piece by piece: a
// byte that no step searches for and none writes (a line feed, most
// letters) is never touched, so such separators split the received text
// into pieces that are cleaned on their own, and the cleaned document is
// the cleaned pieces between the same separators, trimmed at both ends.
// Lines are found first (line feeds are quick to count); a cleaned line as
// long as its received line was left as it was, since every step that
// changes a length shortens. In any other line the same holds piece by
// piece, and a changed piece is cleaned again step by step, remembering
// each byte's origin.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "reader/stored_cleanup.h"

namespace rivolet {

class RawPositions {
 public:
  // `cleaned` must be DecodeEntities(StripTags(raw)) in `form`; both must
  // outlive this object.
  RawPositions(std::string_view raw, std::string_view cleaned, TextForm form);

  // The received position of the cleaned byte at `at`; the received size
  // for the cleaned size. Positions asked for in rising order cost about
  // one pass over both texts in all. Throws std::logic_error when the
  // position lies in a changed received piece of over 1 MiB (which only a
  // hostile document has), or if the texts do not belong together.
  std::size_t RawAt(std::size_t at);

 private:
  struct Span {
    std::size_t begin, end;
  };
  struct Cursor {
    std::size_t at = 0;          // scanned up to here
    std::size_t separators = 0;  // separators before `at`
    std::size_t piece = 0;       // where the piece holding `at` begins
  };

  Span CleanedLine(std::size_t at, std::size_t& number);
  Span RawLine(std::size_t number);
  // The position within received line `raw` of the byte at `at` of the
  // cleaned line `line`, untrimmed.
  std::size_t InLine(std::size_t number, std::string_view line,
                     std::string_view raw, std::size_t at);
  void Scan(std::string_view text, Cursor& cursor, std::size_t to,
            std::size_t separators) const;
  std::size_t PieceEnd(std::string_view text, std::size_t from) const;

  std::string_view raw_, cleaned_;
  TextForm form_;
  std::array<bool, 256> separator_{};
  std::size_t lead_lines_ = 0;  // received lines lost to the leading trim
  std::string first_line_;  // the first cleaned line with the trimmed blanks
  std::size_t lead_blanks_ = 0;
  std::size_t cleaned_at_ = 0, cleaned_line_ = 0;  // line feeds before
  std::size_t raw_at_ = 0, raw_line_ = 0;          // start of a line
  std::size_t piece_line_ = static_cast<std::size_t>(-1);
  Cursor line_cursor_, raw_line_cursor_;  // within line piece_line_
  std::string tracked_text_;
  std::vector<std::uint32_t> tracked_origin_;  // per byte, within the piece
};

}  // namespace rivolet
