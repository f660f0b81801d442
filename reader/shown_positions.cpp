// Positions of the cleaned document in the received one.
#include "reader/shown_positions.h"

#include <algorithm>
#include <stdexcept>

#include "common/ascii.h"
#include "reader/stored_cleanup_tables.h"

namespace rivolet {
namespace {

constexpr std::size_t kNone = std::string_view::npos;
constexpr std::size_t kLongestTrackedPiece = 1024 * 1024;

// The steps of one table over text and origins alike: each step replaces
// every occurrence left to right without rescanning, and the bytes it
// writes take the origin of the first byte they replace.
void ApplyTracked(const StepTable& table, std::string& text,
                  std::vector<std::uint32_t>& origin) {
  std::string next_text;
  std::vector<std::uint32_t> next_origin;
  for (const Step& step : table.steps()) {
    std::size_t at = text.find(step.from);
    if (at == kNone) continue;
    next_text.clear();
    next_origin.clear();
    std::size_t read = 0;
    while (at != kNone) {
      next_text.append(text, read, at - read);
      next_origin.insert(next_origin.end(), origin.begin() + read,
                         origin.begin() + at);
      next_text += step.to;
      next_origin.insert(next_origin.end(), step.to.size(), origin[at]);
      read = at + step.from.size();
      at = text.find(step.from, read);
    }
    next_text.append(text, read);
    next_origin.insert(next_origin.end(), origin.begin() + read, origin.end());
    text.swap(next_text);
    origin.swap(next_origin);
  }
}

}  // namespace

RawPositions::RawPositions(std::string_view raw, std::string_view cleaned,
                           TextForm form)
    : raw_(raw), cleaned_(cleaned), form_(form) {
  separator_.fill(true);
  for (const StepTable* table : {&TagSteps(), &EntitySteps(form)}) {
    for (const Step& step : table->steps()) {
      for (char c : step.from + step.to) {
        separator_[static_cast<unsigned char>(c)] = false;
      }
    }
  }
  if (cleaned_.empty()) return;
  // The leading trim takes whole lines that clean to blanks, then the
  // blanks that begin the first line that does not.
  std::size_t begin = 0;
  while (true) {
    std::size_t end = raw_.find('\n', begin);
    if (end == kNone) end = raw_.size();
    first_line_ = StripTags(raw_.substr(begin, end - begin));
    EntitySteps(form_).ApplyInPlace(first_line_);
    lead_blanks_ = 0;
    while (lead_blanks_ < first_line_.size() &&
           IsCodeUpToSpace(first_line_[lead_blanks_])) {
      ++lead_blanks_;
    }
    if (lead_blanks_ < first_line_.size() || end == raw_.size()) break;
    ++lead_lines_;
    begin = end + 1;
  }
  if (lead_blanks_ == 0) std::string().swap(first_line_);
}

std::size_t RawPositions::PieceEnd(std::string_view text,
                                   std::size_t from) const {
  while (from < text.size() &&
         !separator_[static_cast<unsigned char>(text[from])]) {
    ++from;
  }
  return from;
}

// Moves the cursor on to `to`, or until it has passed `separators`
// separators, whichever comes first.
void RawPositions::Scan(std::string_view text, Cursor& cursor, std::size_t to,
                        std::size_t separators) const {
  while (cursor.at < to && cursor.separators < separators) {
    if (separator_[static_cast<unsigned char>(text[cursor.at])]) {
      ++cursor.separators;
      cursor.piece = cursor.at + 1;
    }
    ++cursor.at;
  }
}

RawPositions::Span RawPositions::CleanedLine(std::size_t at,
                                             std::size_t& number) {
  if (at < cleaned_at_) {
    cleaned_at_ = 0;
    cleaned_line_ = 0;
  }
  cleaned_line_ += static_cast<std::size_t>(
      std::count(cleaned_.begin() + static_cast<std::ptrdiff_t>(cleaned_at_),
                 cleaned_.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
  cleaned_at_ = at;
  number = cleaned_line_;
  const std::size_t before = at == 0 ? kNone : cleaned_.rfind('\n', at - 1);
  const std::size_t begin = before == kNone ? 0 : before + 1;
  std::size_t end = cleaned_.find('\n', at);
  if (end == kNone) end = cleaned_.size();
  return {begin, end};
}

RawPositions::Span RawPositions::RawLine(std::size_t number) {
  if (number < raw_line_) {
    raw_at_ = 0;
    raw_line_ = 0;
  }
  while (raw_line_ < number) {
    const std::size_t feed = raw_.find('\n', raw_at_);
    if (feed == kNone) throw std::logic_error("cleaned text has more lines");
    raw_at_ = feed + 1;
    ++raw_line_;
  }
  std::size_t end = raw_.find('\n', raw_at_);
  if (end == kNone) end = raw_.size();
  return {raw_at_, end};
}

std::size_t RawPositions::RawAt(std::size_t at) {
  if (at >= cleaned_.size()) return raw_.size();
  std::size_t number = 0;
  const Span line = CleanedLine(at, number);
  const Span raw = RawLine(number + lead_lines_);
  const std::string_view raw_line = raw_.substr(raw.begin, raw.end - raw.begin);
  if (at == line.end) return raw.end;  // the line feed
  if (number == 0 && lead_blanks_ > 0) {
    // The first line lost its leading blanks: work on it whole.
    return raw.begin + InLine(number, first_line_, raw_line,
                              lead_blanks_ + (at - line.begin));
  }
  if (line.end - line.begin == raw_line.size()) {
    return raw.begin + (at - line.begin);
  }
  return raw.begin + InLine(number,
                            cleaned_.substr(line.begin, line.end - line.begin),
                            raw_line, at - line.begin);
}

std::size_t RawPositions::InLine(std::size_t number, std::string_view line,
                                 std::string_view raw, std::size_t at) {
  if (number != piece_line_ || at < line_cursor_.at) {
    piece_line_ = number;
    line_cursor_ = Cursor();
    raw_line_cursor_ = Cursor();
  }
  Scan(line, line_cursor_, at, kNone);
  Scan(raw, raw_line_cursor_, raw.size(), line_cursor_.separators);
  if (raw_line_cursor_.separators < line_cursor_.separators) {
    throw std::logic_error("cleaned line has more pieces");
  }
  const std::size_t raw_begin = raw_line_cursor_.piece;
  const std::size_t raw_end = PieceEnd(raw, raw_begin);
  // A separator is the one that ends the received piece.
  if (at >= line.size() || separator_[static_cast<unsigned char>(line[at])]) {
    return raw_end;
  }
  const std::size_t begin = line_cursor_.piece;
  const std::size_t end = PieceEnd(line, at);
  if (end - begin == raw_end - raw_begin) return raw_begin + (at - begin);
  if (raw_end - raw_begin > kLongestTrackedPiece) {
    throw std::logic_error("received piece too long to follow");
  }
  tracked_text_.assign(raw.substr(raw_begin, raw_end - raw_begin));
  tracked_origin_.resize(tracked_text_.size());
  for (std::size_t k = 0; k < tracked_origin_.size(); ++k) {
    tracked_origin_[k] = static_cast<std::uint32_t>(k);
  }
  ApplyTracked(TagSteps(), tracked_text_, tracked_origin_);
  ApplyTracked(EntitySteps(form_), tracked_text_, tracked_origin_);
  // The trailing trim may have shortened the last piece.
  if (tracked_text_.size() < end - begin ||
      std::string_view(tracked_text_).substr(0, end - begin) !=
          line.substr(begin, end - begin)) {
    throw std::logic_error("cleaned piece differs from its received piece");
  }
  return raw_begin + tracked_origin_[at - begin];
}

}  // namespace rivolet
