// The two feed readers. Items are cut out of the cleaned document one by one;
// the cuts are kept as a list of surviving ranges over the unchanged bytes, so
// reading 100 items never copies the whole document 100 times.
#include "reader/stored_feed.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/codepage.h"
#include "common/text.h"
#include "reader/stored_cleanup.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rivolet {

namespace {

constexpr std::size_t kNone = std::string_view::npos;
constexpr std::string_view kItemOpen = "<item>";
// With the blank: finds items with attributes, never the plural "<items>".
constexpr std::string_view kItemOpenWithAttributes = "<item ";
constexpr std::string_view kItemClose = "</item>";
// Both date tags are nine bytes long, which the date arithmetic relies on.
constexpr std::int64_t kDateTagLength = 9;

// First occurrence of `needle` (at least two bytes) in `text` at or after
// `from`. Feed text is full of "<", so a search that stops at every first
// byte is slow; this one tests the first and the last byte of the needle
// sixteen positions at a time and compares the rest only where both match.
std::size_t FindBytes(std::string_view text, std::string_view needle,
                      std::size_t from) {
  const std::size_t k = needle.size();
  if (k < 2 || from > text.size() || text.size() - from < k) {
    return text.find(needle, from);
  }
  std::size_t i = from;
#if defined(__SSE2__)
  const char* s = text.data();
  const std::size_t starts = text.size() - k + 1;  // valid starts: [0, starts)
  const __m128i first = _mm_set1_epi8(needle.front());
  const __m128i last = _mm_set1_epi8(needle.back());
  for (; i + 16 <= starts; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i b =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + k - 1));
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
    while (mask != 0) {
      const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
      if (std::memcmp(s + at + 1, needle.data() + 1, k - 2) == 0) return at;
      mask &= mask - 1;
    }
  }
#endif
  return text.find(needle, i);
}

// A text that only ever loses ranges. It behaves exactly like a std::string on
// which Delete is called repeatedly, but keeps the original bytes in place and
// remembers which ranges of them are still there.
class CutText {
 public:
  explicit CutText(std::string text) : text_(std::move(text)) {
    size_ = text_.size();
    if (size_ > 0) segments_.push_back({0, size_});
  }

  std::size_t size() const { return size_; }

  // 0-based position of the first occurrence of `needle` at or after `from`.
  std::size_t Find(std::string_view needle, std::size_t from) const {
    const std::size_t k = needle.size();
    if (k == 0 || from >= size_ || size_ - from < k) return kNone;
    std::size_t start = 0;  // text position where the segment begins
    for (std::size_t i = 0; i < segments_.size(); ++i) {
      const Segment& seg = segments_[i];
      const std::size_t end = start + (seg.end - seg.begin);
      if (end > from) {
        const std::string_view bytes(text_.data() + seg.begin,
                                     seg.end - seg.begin);
        const std::size_t at =
            FindBytes(bytes, needle, std::max(from, start) - start);
        if (at != kNone) return start + at;
        // An occurrence that runs over the join with the next segment.
        if (i + 1 < segments_.size()) {
          const std::size_t hit = FindAcross(needle, end, from);
          if (hit != kNone) return hit;
        }
      }
      start = end;
    }
    return kNone;
  }

  // First occurrence at or after `from` that begins before the join at `join`
  // and ends after it; kNone when there is none.
  std::size_t FindAcross(std::string_view needle, std::size_t join,
                         std::size_t from) const {
    const std::size_t k = needle.size();
    std::size_t lo = join >= k - 1 ? join - (k - 1) : 0;
    lo = std::max(lo, from);
    const std::size_t hi = std::min(size_, join + k - 1);
    if (hi <= lo || hi - lo < k) return kNone;
    char window[64];
    const std::size_t n = std::min(hi - lo, sizeof window);
    CopyTo(lo, n, window);
    const std::size_t at = std::string_view(window, n).find(needle);
    return at == kNone ? kNone : lo + at;
  }

  // Up to `count` bytes from 0-based `pos`.
  std::string Copy(std::size_t pos, std::size_t count) const {
    if (pos >= size_) return {};
    count = std::min(count, size_ - pos);
    std::string out(count, '\0');
    CopyTo(pos, count, out.data());
    return out;
  }

  // Where up to `count` bytes from 0-based `pos` lie in the uncut text.
  void Ranges(std::size_t pos, std::size_t count,
              std::vector<CleanedRange>& out) const {
    std::size_t start = 0;
    for (const Segment& seg : segments_) {
      if (count == 0) return;
      const std::size_t length = seg.end - seg.begin;
      const std::size_t end = start + length;
      if (end > pos) {
        const std::size_t skip = pos > start ? pos - start : 0;
        const std::size_t take = std::min(length - skip, count);
        out.push_back({seg.begin + skip, seg.begin + skip + take});
        count -= take;
        pos += take;
      }
      start = end;
    }
  }

  // The text as it was before any cut.
  std::string Original() && { return std::move(text_); }

  // Removes up to `count` bytes from 0-based `pos`.
  void Erase(std::size_t pos, std::size_t count) {
    if (pos >= size_ || count == 0) return;
    count = std::min(count, size_ - pos);
    const std::size_t cut_end = pos + count;
    std::vector<Segment> kept;
    kept.reserve(segments_.size() + 1);
    std::size_t start = 0;
    for (const Segment& seg : segments_) {
      const std::size_t end = start + (seg.end - seg.begin);
      if (start < pos) {
        kept.push_back({seg.begin, seg.begin + (std::min(end, pos) - start)});
      }
      if (end > cut_end) {
        kept.push_back(
            {seg.begin + (std::max(start, cut_end) - start), seg.end});
      }
      start = end;
    }
    segments_ = std::move(kept);
    size_ -= count;
  }

  // The text as one string. The kept ranges are in byte order, so they are
  // moved down in place rather than copied into a new buffer.
  std::string ToString() && {
    std::size_t out = 0;
    for (const Segment& seg : segments_) {
      if (seg.begin != out) {
        std::memmove(text_.data() + out, text_.data() + seg.begin,
                     seg.end - seg.begin);
      }
      out += seg.end - seg.begin;
    }
    text_.resize(out);
    segments_.clear();
    if (out > 0) segments_.push_back({0, out});
    return std::move(text_);
  }

 private:
  struct Segment {
    std::size_t begin, end;  // byte range of text_
  };

  void CopyTo(std::size_t pos, std::size_t count, char* out) const {
    std::size_t start = 0;
    for (const Segment& seg : segments_) {
      if (count == 0) return;
      const std::size_t length = seg.end - seg.begin;
      const std::size_t end = start + length;
      if (end > pos) {
        const std::size_t skip = pos > start ? pos - start : 0;
        const std::size_t take = std::min(length - skip, count);
        std::copy_n(text_.data() + seg.begin + skip, take, out);
        out += take;
        count -= take;
        pos += take;
      }
      start = end;
    }
  }

  std::string text_;
  std::vector<Segment> segments_;
  std::size_t size_ = 0;
};

// The first occurrence of one needle in a CutText, kept up to date across cuts
// so that the item loop does not search the whole document for every item.
class FirstOccurrence {
 public:
  explicit FirstOccurrence(std::string_view needle) : needle_(needle) {}

  // 1-based position, 0 when absent.
  std::int64_t Pos(const CutText& text) {
    if (!known_) {
      at_ = text.Find(needle_, 0);
      known_ = true;
    }
    return at_ == kNone ? 0 : static_cast<std::int64_t>(at_) + 1;
  }

  // Brings the answer up to date after text.Erase(pos, count).
  void AfterErase(const CutText& text, std::size_t pos, std::size_t count) {
    if (!known_) return;
    const std::size_t k = needle_.size();
    // Untouched, and everything before it is unchanged.
    if (at_ != kNone && at_ + k <= pos) return;
    // Nothing can start before the join but an occurrence that crosses it.
    const std::size_t join_from = pos >= k - 1 ? pos - (k - 1) : 0;
    if (at_ == kNone || at_ >= pos + count) {
      const std::size_t across = text.FindAcross(needle_, pos, join_from);
      if (across != kNone) {
        at_ = across;
      } else if (at_ != kNone) {
        at_ -= count;
      }
      return;
    }
    // The occurrence was cut: look again from the join.
    at_ = text.Find(needle_, join_from);
  }

 private:
  std::string_view needle_;
  bool known_ = false;
  std::size_t at_ = kNone;
};

// The earlier of two 1-based positions, 0 meaning "not found".
std::int64_t FirstFound(std::int64_t a, std::int64_t b) {
  if (a == 0) return b;
  if (b == 0) return a;
  return std::min(a, b);
}

// The item-cutting state shared by both readers: the cleaned document and the
// three tag searches of the item loop.
class ItemCutter {
 public:
  explicit ItemCutter(std::string document)
      : text_(std::move(document)),
        open_(kItemOpen),
        open_with_attributes_(kItemOpenWithAttributes),
        close_(kItemClose) {}

  // Cuts the next item out: p is whichever of "<item>" and "<item " comes
  // first, so a feed that mixes items with and without attributes is read
  // in order; e is the first "</item>"; the item is Substring(p, e - p + 7),
  // removed with Delete(p, e - p + 7). Returns whether anything was removed.
  bool CutNext(std::string& item) {
    const Next next = FindNext();
    if (next.length == 0) {
      item.clear();
    } else {
      item = text_.Copy(next.start, next.length);
    }
    return Remove(next);
  }

  // The same cut, giving where the item's bytes lie in the text as it was
  // before any cut instead of the bytes.
  bool CutNextRanges(std::vector<CleanedRange>& ranges) {
    const Next next = FindNext();
    ranges.clear();
    if (next.length != 0) text_.Ranges(next.start, next.length, ranges);
    return Remove(next);
  }

  std::string Rest() && { return std::move(text_).ToString(); }
  // The text as it was before any cut.
  std::string Original() && { return std::move(text_).Original(); }

 private:
  struct Next {
    std::int64_t p, len, size;
    std::size_t start = 0, length = 0;  // 0-based; length 0: empty item
  };

  Next FindNext() {
    Next next;
    next.p = FirstFound(open_.Pos(text_), open_with_attributes_.Pos(text_));
    const std::int64_t e = close_.Pos(text_);
    next.len = e - next.p + 7;
    next.size = static_cast<std::int64_t>(text_.size());
    const std::int64_t start = std::max<std::int64_t>(next.p, 1);
    if (next.len >= 1 && start <= next.size) {
      next.start = static_cast<std::size_t>(start - 1);
      next.length =
          static_cast<std::size_t>(std::min(next.len, next.size - start + 1));
    }
    return next;
  }

  bool Remove(const Next& next) {
    const std::int64_t p = next.p;
    const std::int64_t len = next.len;
    const std::int64_t size = next.size;
    if (p < 1 || p > size || len < 1) return false;
    const auto pos = static_cast<std::size_t>(p - 1);
    const auto count = static_cast<std::size_t>(std::min(len, size - p + 1));
    text_.Erase(pos, count);
    open_.AfterErase(text_, pos, count);
    open_with_attributes_.AfterErase(text_, pos, count);
    close_.AfterErase(text_, pos, count);
    return true;
  }

  CutText text_;
  FirstOccurrence open_;
  FirstOccurrence open_with_attributes_;
  FirstOccurrence close_;
};

// The raw item date: "<pubDate>" else "<dc:date>" as the opening tag, and
// "</pubDate>" else "</dc:date>" as the closing one, each chosen by itself.
std::string RawItemDate(std::string_view item) {
  std::int64_t o = static_cast<std::int64_t>(Pos("<pubDate>", item));
  if (o == 0) o = static_cast<std::int64_t>(Pos("<dc:date>", item));
  std::int64_t c = static_cast<std::int64_t>(Pos("</pubDate>", item));
  if (c == 0) c = static_cast<std::int64_t>(Pos("</dc:date>", item));
  return Substring(item, o + kDateTagLength, c - o - kDateTagLength);
}

// Fills one record in the order the fields are read, so that a failure leaves
// the fields already set.
void ReadItemFields(const std::string& item, ItemRecord& record) {
  record.title = DecodeEntities(ExtractField(item, "<title>", "</title>"));
  record.description =
      DecodeEntities(ExtractField(item, "<description>", "</description>"));
  record.date = FormatItemDate(RawItemDate(item));
  record.link = DecodeEntities(ExtractField(item, "<link>", "</link>"));
}

}  // namespace

std::string ExtractField(std::string_view text, std::string_view open_tag,
                         std::string_view close_tag) {
  const auto o = static_cast<std::int64_t>(Pos(open_tag, text));
  const auto c = static_cast<std::int64_t>(Pos(close_tag, text));
  const auto l = static_cast<std::int64_t>(open_tag.size());
  return Substring(text, o + l, c - o - l);
}

int CountItems(std::string_view text) {
  // Deleting "</item" leaves its ">" behind, which can complete another
  // "</item>" with the bytes before it; such a new occurrence always ends at
  // that ">". No deletion removes a ">", so only the bytes after the last
  // ">" before an occurrence can take part, and they are all original bytes.
  constexpr std::string_view kDeleted = kItemClose.substr(0, 6);  // "</item"
  int count = 0;
  std::size_t done = 0;
  for (std::size_t at = FindBytes(text, kItemClose, 0); at != kNone;
       at = FindBytes(text, kItemClose, done)) {
    std::string_view before = text.substr(done, at - done);
    const std::size_t last_close = before.rfind('>');
    if (last_close != kNone) before.remove_prefix(last_close + 1);
    ++count;
    while (before.ends_with(kDeleted)) {
      before.remove_suffix(kDeleted.size());
      ++count;
    }
    done = at + kItemClose.size();
  }
  return count;
}

FeedReadResult ReadFeed(std::string document) {
  FeedReadResult result;
  std::string item;
  // Outside the guard, so that what is left of the document survives a failure.
  std::optional<ItemCutter> cutter;
  try {
    // One decision for the whole document, taken on the bytes as received.
    const bool utf8 = IsUtf8Document(document);
    const TextForm form = utf8 ? TextForm::kUtf8 : TextForm::kSingleByte;

    std::string cleaned = DecodeEntities(StripTags(std::move(document)), form);

    result.channel_title = ExtractField(cleaned, "<title>", "</title>");
    const std::string title = DecodeEntities(result.channel_title, form);
    result.window_title = "Rivolet - " + (utf8 ? Utf8ToCp1250(title) : title);

    const int n = CountItems(cleaned);
    result.total = n;

    cutter.emplace(std::move(cleaned));
    const int to_read = std::min(n, kItemTableSize);
    while (result.items.count < to_read) {
      const int k = result.items.count;
      const bool cut = cutter->CutNext(item);
      if (utf8) item = Utf8ToCp1250(item);
      ReadItemFields(item, result.items.records[k]);
      ++result.items.count;
      if (!cut) {
        // Nothing was removed, so every further round reads the same text.
        while (result.items.count < to_read) {
          result.items.records[result.items.count] = result.items.records[k];
          ++result.items.count;
        }
      }
    }
  } catch (...) {
    // The reader reports nothing; what was read so far stays.
  }
  if (cutter) {
    try {
      result.rest = std::move(*cutter).Rest();
    } catch (...) {
    }
  }
  return result;
}

ItemLocations LocateItems(std::string document, bool first_item_only) {
  ItemLocations result;
  result.utf8 = IsUtf8Document(document);
  const TextForm form = result.utf8 ? TextForm::kUtf8 : TextForm::kSingleByte;
  std::string cleaned = DecodeEntities(StripTags(std::move(document)), form);
  result.total = CountItems(cleaned);
  ItemCutter cutter(std::move(cleaned));
  const std::size_t to_read =
      first_item_only
          ? 1
          : static_cast<std::size_t>(std::min(result.total, kItemTableSize));
  std::vector<CleanedRange> ranges;
  while (result.items.size() < to_read) {
    const bool cut = cutter.CutNextRanges(ranges);
    result.items.push_back(ranges);
    // Nothing was removed, so every further round reads the same text.
    if (!cut) result.items.resize(to_read, ranges);
  }
  result.cleaned = std::move(cutter).Original();
  return result;
}

FirstItemResult ReadFirstItem(std::string document) {
  FirstItemResult result;
  result.has_row = false;
  try {
    const bool utf8 = IsUtf8Document(document);
    const TextForm form = utf8 ? TextForm::kUtf8 : TextForm::kSingleByte;

    std::string cleaned = DecodeEntities(StripTags(std::move(document)), form);

    std::string title =
        DecodeEntities(ExtractField(cleaned, "<title>", "</title>"), form);
    result.channel_title = utf8 ? Utf8ToCp1250(title) : std::move(title);

    ItemCutter cutter(std::move(cleaned));
    std::string item;
    cutter.CutNext(item);
    result.rest = std::move(cutter).Rest();
    if (utf8) item = Utf8ToCp1250(item);

    result.caption = result.channel_title;
    result.has_row = true;
    result.title = DecodeEntities(ExtractField(item, "<title>", "</title>"));
    result.date = DecodeEntities(FormatItemDate(RawItemDate(item)));
  } catch (...) {
    // The reader reports nothing; the row stays as far as it was filled.
  }
  return result;
}

}  // namespace rivolet
