// Duplicate tests and category grouping over the feed list.
#include "feeds/feed_rules.h"

#include <array>
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

// Windows-1250 lower case of every byte; bytes without a case map to
// themselves.
constexpr std::array<unsigned char, 256> MakeLowerTable() {
  std::array<unsigned char, 256> t{};
  for (int b = 0; b < 256; ++b) t[b] = static_cast<unsigned char>(b);
  for (int b = 'A'; b <= 'Z'; ++b) t[b] = static_cast<unsigned char>(b + 32);
  // Š Ś Ť Ž Ź, Ł, Ą, Ş, Ż, Ľ and the accented block (× has no pair).
  constexpr std::array<std::array<int, 2>, 10> kPairs = {{{0x8A, 0x9A},
                                                          {0x8C, 0x9C},
                                                          {0x8D, 0x9D},
                                                          {0x8E, 0x9E},
                                                          {0x8F, 0x9F},
                                                          {0xA3, 0xB3},
                                                          {0xA5, 0xB9},
                                                          {0xAA, 0xBA},
                                                          {0xAF, 0xBF},
                                                          {0xBC, 0xBE}}};
  for (const auto& p : kPairs) t[p[0]] = static_cast<unsigned char>(p[1]);
  for (int b = 0xC0; b <= 0xDE; ++b) {
    if (b != 0xD7) t[b] = static_cast<unsigned char>(b + 0x20);
  }
  return t;
}

constexpr std::array<unsigned char, 256> kLower = MakeLowerTable();

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
    key.push_back(
        static_cast<char>(kLower[static_cast<unsigned char>(text[i])]));
  }
  return key;
}

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

std::string FoldLetterCase(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) {
    c = static_cast<char>(kLower[static_cast<unsigned char>(c)]);
  }
  return folded;
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
