// Duplicate tests and category grouping over the feed list.
#include "feeds/feed_rules.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <random>
#include <unordered_map>

#include "common/text.h"

namespace rivolet {
namespace {

// Field k, or an empty text when a hand-made file left the entry without
// it: one short entry must not stop the menu or the dialogs from working.
std::string_view FieldOrEmpty(const FeedEntry& e, std::size_t k) {
  return k < e.fields.size() ? std::string_view(e.fields[k])
                             : std::string_view();
}

// The category as the menu compares it: "&" markers gone ("&&" is a literal
// "&"), letters folded to lower case.
std::string CategoryKey(std::string_view text) {
  std::string key;
  key.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') {
        key.push_back('&');
        ++i;
      }
      continue;
    }
    key.push_back(LowerCp1250(text[i]));
  }
  return key;
}

// Finds, for many patterns at once, the first of a sequence of texts that
// each occurs in. Windows are compared by hash first: a polynomial modulo the
// prime 2^61 - 1 at a base drawn at random for each search, so that no input
// can be made to give many windows the same hash. A window whose hash matches
// is then compared byte by byte.
class FirstOccurrences {
 public:
  static constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

  explicit FirstOccurrences(const std::vector<std::string_view>& patterns)
      : patterns_(patterns), first_text_(patterns.size(), kNotFound) {
    std::random_device random;
    const std::uint64_t drawn =
        (static_cast<std::uint64_t>(random()) << 32) | random();
    base_ = 256 + drawn % (kPrime - 512);

    std::unordered_map<std::size_t, std::vector<std::size_t>> by_length;
    for (std::size_t p = 0; p < patterns.size(); ++p) {
      by_length[patterns[p].size()].push_back(p);
    }
    for (const auto& [length, members] : by_length) {
      Length& group = lengths_.emplace_back();
      group.length = length;
      group.weight = 1;
      for (std::size_t i = 0; i < length; ++i) {
        group.weight = MulMod(group.weight, base_);
      }
      // Most windows match no pattern; one bit per hash class says so.
      group.classes =
          std::bit_ceil(std::max<std::size_t>(members.size() * 64, 1024));
      group.maybe.resize(group.classes / 64);
      for (std::size_t p : members) {
        const std::uint64_t h = HashOf(patterns[p]);
        group.waiting.emplace(h, p);
        group.maybe[(h & (group.classes - 1)) / 64] |= std::uint64_t{1}
                                                       << (h % 64);
      }
    }
    std::sort(
        lengths_.begin(), lengths_.end(),
        [](const Length& a, const Length& b) { return a.length < b.length; });
  }

  // Looks for the patterns not found yet in `text`, text number `t`.
  void Search(std::string_view text, std::size_t t) {
    prefix_.resize(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
      prefix_[i + 1] = Add(MulMod(prefix_[i], base_), Byte(text[i]));
    }
    for (Length& group : lengths_) {
      if (group.length > text.size()) break;
      for (std::size_t at = 0;
           at + group.length <= text.size() && !group.waiting.empty(); ++at) {
        const std::uint64_t h =
            Sub(prefix_[at + group.length], MulMod(prefix_[at], group.weight));
        if (!((group.maybe[(h & (group.classes - 1)) / 64] >> (h % 64)) & 1)) {
          continue;
        }
        auto [it, end] = group.waiting.equal_range(h);
        while (it != end) {
          if (text.substr(at, group.length) == patterns_[it->second]) {
            first_text_[it->second] = t;
            it = group.waiting.erase(it);
          } else {
            ++it;
          }
        }
      }
    }
  }

  // For each pattern, the number of the first text it occurs in.
  const std::vector<std::size_t>& first_text() const { return first_text_; }

 private:
  static constexpr std::uint64_t kPrime = (std::uint64_t{1} << 61) - 1;

  // The patterns of one length not found yet.
  struct Length {
    std::size_t length = 0;
    std::uint64_t weight = 0;  // base^length
    std::unordered_multimap<std::uint64_t, std::size_t> waiting;
    std::size_t classes = 0;
    std::vector<std::uint64_t> maybe;
  };

  static std::uint64_t Byte(char c) { return static_cast<unsigned char>(c); }
  static std::uint64_t Add(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t sum = a + b;
    return sum >= kPrime ? sum - kPrime : sum;
  }
  static std::uint64_t Sub(std::uint64_t a, std::uint64_t b) {
    return a >= b ? a - b : a + kPrime - b;
  }
  static std::uint64_t MulMod(std::uint64_t a, std::uint64_t b) {
    __extension__ using Wide = unsigned __int128;
    const Wide product = static_cast<Wide>(a) * b;
    std::uint64_t r = static_cast<std::uint64_t>(product & kPrime) +
                      static_cast<std::uint64_t>(product >> 61);
    r = (r & kPrime) + (r >> 61);
    return r >= kPrime ? r - kPrime : r;
  }
  std::uint64_t HashOf(std::string_view text) const {
    std::uint64_t h = 0;
    for (char c : text) h = Add(MulMod(h, base_), Byte(c));
    return h;
  }

  const std::vector<std::string_view>& patterns_;
  std::vector<std::size_t> first_text_;
  std::uint64_t base_ = 0;
  std::vector<Length> lengths_;           // shortest first
  std::vector<std::uint64_t> prefix_{0};  // hashes of the text's beginnings
};

}  // namespace

bool IsNewFeedDuplicate(const FeedList& list, std::string_view name,
                        std::string_view url) {
  for (const FeedEntry& e : list.entries()) {
    if (Contains(e.name, name) || Contains(FieldOrEmpty(e, 2), url))
      return true;
  }
  return false;
}

bool IsCatalogueDuplicate(const FeedList& list, std::string_view url) {
  for (const FeedEntry& e : list.entries()) {
    if (Contains(FieldOrEmpty(e, 2), url)) return true;
  }
  return false;
}

// A URL is refused when it occurs in a stored URL or in an earlier URL of the
// batch. That earlier URL need not have been appended: one that was refused
// lies inside a text before it, and so does everything inside it.
std::vector<bool> CatalogueDuplicates(const FeedList& list,
                                      const std::vector<std::string>& urls) {
  std::vector<std::string_view> texts;  // in the order they join the list
  texts.reserve(list.Count() + urls.size());
  for (const FeedEntry& e : list.entries()) texts.push_back(FieldOrEmpty(e, 2));
  const std::size_t first_new = texts.size();
  texts.insert(texts.end(), urls.begin(), urls.end());

  // Each distinct URL is searched for once.
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::vector<std::string_view> patterns;
  std::vector<std::size_t> pattern_of(urls.size(), kNone);
  std::unordered_map<std::string_view, std::size_t> seen;
  for (std::size_t i = 0; i < urls.size(); ++i) {
    if (urls[i].empty()) continue;  // occurs nowhere
    auto [it, added] = seen.emplace(urls[i], patterns.size());
    if (added) patterns.push_back(urls[i]);
    pattern_of[i] = it->second;
  }
  FirstOccurrences search(patterns);
  for (std::size_t t = 0; t < texts.size(); ++t) search.Search(texts[t], t);
  const std::vector<std::size_t>& first_text = search.first_text();

  std::vector<bool> refused(urls.size(), false);
  for (std::size_t i = 0; i < urls.size(); ++i) {
    refused[i] =
        pattern_of[i] != kNone && first_text[pattern_of[i]] < first_new + i;
  }
  return refused;
}

std::size_t AddFeedEntries(const std::vector<FeedEntry>& entries,
                           FeedList& list) {
  std::vector<std::string> urls;
  urls.reserve(entries.size());
  for (const FeedEntry& e : entries) urls.emplace_back(FieldOrEmpty(e, 2));
  const std::vector<bool> refused = CatalogueDuplicates(list, urls);
  std::size_t added = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (refused[i]) continue;
    list.AppendEntry(entries[i]);
    ++added;
  }
  return added;
}

bool SameCategory(std::string_view a, std::string_view b) {
  return CategoryKey(a) == CategoryKey(b);
}

std::vector<MenuHeading> GroupByCategory(const FeedList& list) {
  std::vector<MenuHeading> headings;
  std::unordered_map<std::string, std::size_t> heading_of_key;
  const auto& entries = list.entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::string_view category = FieldOrEmpty(entries[i], 0);
    auto [it, added] =
        heading_of_key.try_emplace(CategoryKey(category), headings.size());
    if (added) headings.push_back({std::string(category), {}});
    headings[it->second].entries.push_back(i);
  }
  return headings;
}

}  // namespace rivolet
