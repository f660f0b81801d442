// Positions of the cleaned document in the received one.
#include "reader/raw_positions.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "reader/cleanup_tables.h"

namespace rivolet {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool AllBlank(std::string_view text, std::size_t& leading) {
  leading = 0;
  while (leading < text.size() &&
         static_cast<unsigned char>(text[leading]) <= 32) {
    ++leading;
  }
  return leading == text.size();
}

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
  if (cleaned_.empty()) return;
  // The leading trim takes whole lines that clean to blanks, then the
  // blanks that begin the first line that does not.
  std::size_t begin = 0;
  while (true) {
    std::size_t end = raw_.find('\n', begin);
    if (end == kNone) end = raw_.size();
    std::string untrimmed = StripTags(raw_.substr(begin, end - begin));
    EntitySteps(EntityTable::kReader, form_).ApplyInPlace(untrimmed);
    if (!AllBlank(untrimmed, lead_bytes_) || end == raw_.size()) break;
    ++lead_lines_;
    begin = end + 1;
  }
}

RawPositions::Line RawPositions::CleanedLine(std::size_t at,
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

RawPositions::Line RawPositions::RawLine(std::size_t number) {
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

void RawPositions::Track(std::size_t number, Line raw) {
  if (number == tracked_number_) return;
  tracked_number_ = static_cast<std::size_t>(-1);
  tracked_text_.assign(raw_.substr(raw.begin, raw.end - raw.begin));
  tracked_origin_.resize(tracked_text_.size());
  for (std::size_t k = 0; k < tracked_origin_.size(); ++k) {
    tracked_origin_[k] = static_cast<std::uint32_t>(k);
  }
  ApplyTracked(TagSteps(), tracked_text_, tracked_origin_);
  ApplyTracked(EntitySteps(EntityTable::kReader, form_), tracked_text_,
               tracked_origin_);
  tracked_number_ = number;
}

std::size_t RawPositions::RawAt(std::size_t at) {
  if (at >= cleaned_.size()) return raw_.size();
  std::size_t number = 0;
  const Line line = CleanedLine(at, number);
  const std::size_t raw_number = number + lead_lines_;
  const Line raw = RawLine(raw_number);
  const std::size_t offset = at - line.begin;
  const std::size_t skipped = number == 0 ? lead_bytes_ : 0;
  const std::size_t length = line.end - line.begin;
  if (skipped == 0 && length == raw.end - raw.begin) return raw.begin + offset;
  if (offset == length) return raw.end;

  if (raw.end - raw.begin > UINT32_MAX) throw std::length_error("line");
  Track(raw_number, raw);
  if (tracked_text_.size() < skipped + length ||
      std::string_view(tracked_text_).substr(skipped, length) !=
          cleaned_.substr(line.begin, length)) {
    throw std::logic_error("cleaned line differs from its received line");
  }
  return raw.begin + tracked_origin_[skipped + offset];
}

}  // namespace rivolet
