// Reads any bytes both ways and checks that the shown reading keeps the
// stored reading's items, and that every item boundary it maps back into
// the received bytes is where a step-by-step clean-up, tracking each byte,
// says it is.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "reader/shown_feed.h"
#include "reader/shown_positions.h"
#include "reader/shown_text.h"
#include "reader/stored_cleanup_tables.h"
#include "reader/stored_feed.h"

namespace {

// Step-by-step clean-up slows down on long inputs.
constexpr std::size_t kCompareLimit = 8192;

void Check(bool ok) {
  if (!ok) std::abort();
}

void Track(const rivolet::StepTable& table, std::string& text,
           std::vector<std::size_t>& origin) {
  for (const rivolet::Step& step : table.steps()) {
    std::string next;
    std::vector<std::size_t> next_origin;
    std::size_t read = 0;
    for (std::size_t at = text.find(step.from); at != std::string::npos;
         at = text.find(step.from, read)) {
      for (; read < at; ++read) {
        next += text[read];
        next_origin.push_back(origin[read]);
      }
      next += step.to;
      next_origin.insert(next_origin.end(), step.to.size(), origin[at]);
      read = at + step.from.size();
    }
    for (; read < text.size(); ++read) {
      next += text[read];
      next_origin.push_back(origin[read]);
    }
    text.swap(next);
    origin.swap(next_origin);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rivolet;
  const std::string doc(reinterpret_cast<const char*>(data), size);

  const ShownFeed shown = ReadShownFeed(doc);
  Check(shown.items.size() <= static_cast<std::size_t>(kItemTableSize));
  Check(IsValidUtf8(shown.window_title));
  for (const ShownItem& item : shown.items) {
    Check(IsValidUtf8(item.title) && IsValidUtf8(item.date) &&
          IsValidUtf8(item.link) && IsValidUtf8(item.description));
  }
  const ShownFirstItem first = ReadShownFirstItem(doc);
  Check(first.caption == shown.channel_title);
  (void)ReadShownChannel(doc);

  const ShownEncoding encoding = DetectShownEncoding(doc);
  if (shown.read_by_entries || encoding.kind == ShownEncoding::Kind::kWide)
    return 0;
  const FeedReadResult stored = ReadFeed(doc);
  Check(shown.total == stored.total);
  Check(static_cast<int>(shown.items.size()) == stored.items.count);

  if (size > kCompareLimit) return 0;
  const ItemLocations located = LocateItems(doc);
  const TextForm form = located.utf8 ? TextForm::kUtf8 : TextForm::kSingleByte;
  std::string text = doc;
  std::vector<std::size_t> origin(size);
  for (std::size_t k = 0; k < size; ++k) origin[k] = k;
  Track(TagSteps(), text, origin);
  Track(EntitySteps(form), text, origin);
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (end > 0 && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
  Check(text.substr(begin, end - begin) == located.cleaned);

  RawPositions positions(doc, located.cleaned, form);
  for (const std::vector<CleanedRange>& ranges : located.items) {
    for (const CleanedRange& range : ranges) {
      for (const std::size_t at : {range.begin, range.end}) {
        const std::size_t expected =
            at < located.cleaned.size() ? origin[begin + at] : size;
        Check(positions.RawAt(at) == expected);
      }
    }
  }
  return 0;
}
