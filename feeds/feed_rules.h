// The text rules the dialogs and the feed menu apply to the feed list:
// duplicate tests and the grouping of feeds under category headings.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/codepage.h"  // FoldLetterCase, which the rules share
#include "feeds/feed_list.h"

namespace rivolet {

// The category a feed gets when none is given.
inline constexpr char kNoCategoryText[] = "No Name";

// The New feed dialog's test: walking from the first entry, an entry matches
// when `name` occurs in its name or, failing that, `url` occurs in its URL.
// Occurrence is case-sensitive containment; an empty text occurs nowhere and
// nothing occurs in an empty text. An entry without a URL field is tested by
// name only.
bool IsNewFeedDuplicate(const FeedList& list, std::string_view name,
                        std::string_view url);

// The Catalogue dialog's test: some entry's URL is not empty and contains
// `url` (same containment as above).
bool IsCatalogueDuplicate(const FeedList& list, std::string_view url);

// The Catalogue dialog's test for many feeds added one after another: entry i
// tells whether IsCatalogueDuplicate refuses urls[i] once every earlier URL of
// `urls` that it did not refuse has been appended to `list`. The answers are
// those of that walk, found in time that grows with the total length of the
// texts rather than with the square of their number.
std::vector<bool> CatalogueDuplicates(const FeedList& list,
                                      const std::vector<std::string>& urls);

// Appends `entries`, whole and in order, to the end of `list`, but for those
// whose URL the list already holds by the Catalogue's containment test
// (IsCatalogueDuplicate), the ones added before them included. Returns how
// many were appended.
std::size_t AddFeedEntries(const std::vector<FeedEntry>& entries,
                           FeedList& list);

// One heading of the feed menu and the feeds under it.
struct MenuHeading {
  std::string caption;               // the category as first met, unchanged
  std::vector<std::size_t> entries;  // positions in the FeedList, list order
};

// Headings in the order their categories first occur; categories that differ
// only in letter case or "&" markers share one heading, and every entry is
// placed under the heading its category shares. An entry without a category
// field counts as having an empty category.
std::vector<MenuHeading> GroupByCategory(const FeedList& list);

// The comparison that makes the headings: equal after dropping "&" markers
// ("&&" stands for one "&") and folding Windows-1250 letter case.
bool SameCategory(std::string_view a, std::string_view b);

}  // namespace rivolet
