// Tests of the feed list and the text rules the dialogs and the menu use.
#include "feeds/feed_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/error.h"
#include "feeds/feed_rules.h"
#include "tests/support/error_text.h"

namespace rivolet {
namespace {

using testing::ErrorText;

FeedList ListOf(const std::vector<std::vector<std::string>>& rows) {
  FeedList list;
  for (const auto& r : rows) list.Append(r[0], r[1], r[2], r[3]);
  return list;
}

TEST(FeedListTest, AppendGivesThreeFieldsAndDefaultAttributes) {
  FeedList list;
  list.Append("N", "C", "60", "U");
  ASSERT_EQ(list.Count(), 1u);
  const FeedEntry& e = list.Entry(0);
  EXPECT_EQ(e.name, "N");
  EXPECT_EQ(e.Category(), "C");
  EXPECT_EQ(e.Period(), "60");
  EXPECT_EQ(e.Url(), "U");
  EXPECT_EQ(e.image_index, 0);
  EXPECT_EQ(e.state_index, -1);
  EXPECT_EQ(e.overlay_index, -1);
  EXPECT_EQ(e.data, 0);
  EXPECT_EQ(e.field_images, (std::vector<std::int16_t>{-1, -1, -1}));
}

TEST(FeedListTest, MissingPositionsFailWithTheirIndex) {
  FeedList list;
  FeedEntry short_entry;
  short_entry.name = "only a name";
  short_entry.fields = {"cat"};
  list.AppendEntry(short_entry);
  EXPECT_EQ(ErrorText([&] { list.Entry(0).Url(); }),
            "List index out of bounds (2)");
  EXPECT_EQ(ErrorText([&] { list.Entry(0).Period(); }),
            "List index out of bounds (1)");
  EXPECT_EQ(list.Entry(0).Category(), "cat");
  EXPECT_EQ(ErrorText([&] { list.Entry(1); }), "List index out of bounds (1)");
}

TEST(FeedListTest, CopyOutAndReplaceAllKeepWholeEntriesInOrder) {
  FeedList list = ListOf({{"A", "a", "1", "u1"}, {"B", "b", "2", "u2"}});
  std::vector<FeedEntry> copy = list.CopyOut();
  copy[0].image_index = 7;
  copy[0].field_images = {1, 2, 3};
  copy[0].data = 99;
  std::swap(copy[0], copy[1]);
  EXPECT_EQ(list.Entry(0).image_index, 0);  // a copy, not a view
  list.ReplaceAll(copy);
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(list.Entry(0).name, "B");
  EXPECT_EQ(list.Entry(1), copy[1]);
  EXPECT_EQ(list.Entry(1).data, 99);
}

TEST(FeedRulesTest, NewFeedDuplicateTest) {
  FeedList list =
      ListOf({{"World News", "News", "60", "http://example.com/rss?x=1"}});
  struct Case {
    const char* name;
    const char* url;
    bool duplicate;
  };
  const Case cases[] = {
      {"News", "http://other/", true},  // name inside an existing name
      {"World News Daily", "http://other/", false},  // not inside the old one
      {"world news", "http://other/", false},        // case-sensitive
      {"", "", false},                            // empty texts occur nowhere
      {"Other", "http://example.com/rss", true},  // a leading part of the URL
      {"Other", "HTTP://EXAMPLE.COM/rss", false},
      {"Other", "http://example.com/rss?x=1&y", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsNewFeedDuplicate(list, c.name, c.url), c.duplicate)
        << c.name << " " << c.url;
  }
  EXPECT_FALSE(IsNewFeedDuplicate(FeedList(), "News", "http://x"));

  FeedList news = ListOf({{"News", "", "", ""}});
  EXPECT_FALSE(IsNewFeedDuplicate(news, "World News", "http://x"));
}

TEST(FeedRulesTest, EntriesWithoutUrlOrCategoryDoNotBreakTheRules) {
  FeedList list;
  FeedEntry bare;
  bare.name = "Bare";
  list.AppendEntry(bare);
  list.Append("Full", "Tech", "60", "http://full/");
  EXPECT_TRUE(IsNewFeedDuplicate(list, "x", "http://full/"));
  EXPECT_TRUE(IsNewFeedDuplicate(list, "Bar", "zzz"));
  EXPECT_TRUE(IsCatalogueDuplicate(list, "full"));
  std::vector<MenuHeading> h = GroupByCategory(list);
  ASSERT_EQ(h.size(), 2u);
  EXPECT_EQ(h[0].caption, "");
  EXPECT_EQ(h[0].entries, (std::vector<std::size_t>{0}));
}

TEST(FeedRulesTest, CatalogueDuplicateLooksForTheUrlInsideStoredUrls) {
  FeedList list = ListOf(
      {{"A", "c", "60", "http://a.example/feed?lang=en"}, {"B", "c", "", ""}});
  EXPECT_TRUE(IsCatalogueDuplicate(list, "http://a.example/feed"));
  EXPECT_TRUE(IsCatalogueDuplicate(list, "lang=en"));
  EXPECT_FALSE(IsCatalogueDuplicate(list, "http://a.example/feed?lang=en&x"));
  EXPECT_FALSE(IsCatalogueDuplicate(list, "HTTP://A.EXAMPLE"));
  EXPECT_FALSE(IsCatalogueDuplicate(list, ""));
  EXPECT_FALSE(IsCatalogueDuplicate(FeedList(), "http://a.example/feed"));
}

// The batch form must answer exactly as adding one URL after another would.
TEST(FeedRulesTest, CatalogueDuplicatesOfABatchAreThoseOfTheWalk) {
  const FeedList stored =
      ListOf({{"A", "c", "", "http://a.example/feed?lang=en"}});
  const std::vector<std::vector<std::string>> batches = {
      {"http://a.example/feed", "lang=en", "http://b/", "http://b/", "b/"},
      {"ab", "abc", "b", "abc", "xabcx", "bcx", "", "xx", "x", "aab", "ba"},
      {"aa", std::string("a\0", 2), "aaa", "a", std::string("a\0b", 3)},
  };
  for (const auto& urls : batches) {
    FeedList walked = stored;
    std::vector<bool> expected;
    for (const std::string& url : urls) {
      expected.push_back(IsCatalogueDuplicate(walked, url));
      if (!expected.back()) walked.Append("n", "c", "", url);
    }
    EXPECT_EQ(CatalogueDuplicates(stored, urls), expected) << urls[0];
  }
}

TEST(FeedRulesTest, GroupingFollowsFirstOccurrenceAndIgnoresCaseAndMarkers) {
  FeedList list = ListOf({
      {"t1", "Tech", "", ""},
      {"n1", "News", "", ""},
      {"t2", "tech", "", ""},
      {"t3", "Tech", "", ""},
      {"t4", "&Tech", "", ""},
      {"a1", "R&&D", "", ""},
      {"a2", "r&d", "", ""},  // a lone "&" is a marker: this is "rd"
      {"p1",
       "\x8C"
       "wiat",
       "", ""},  // Świat
      {"p2",
       "\x9C"
       "WIAT",
       "", ""},  // śWIAT
      {"e1", "", "", ""},
  });
  std::vector<MenuHeading> h = GroupByCategory(list);
  ASSERT_EQ(h.size(), 6u);
  EXPECT_EQ(h[0].caption, "Tech");
  EXPECT_EQ(h[0].entries, (std::vector<std::size_t>{0, 2, 3, 4}));
  EXPECT_EQ(h[1].caption, "News");
  EXPECT_EQ(h[2].caption, "R&&D");
  EXPECT_EQ(h[2].entries, (std::vector<std::size_t>{5}));
  EXPECT_EQ(h[3].caption, "r&d");
  EXPECT_EQ(h[4].caption,
            "\x8C"
            "wiat");
  EXPECT_EQ(h[4].entries, (std::vector<std::size_t>{7, 8}));
  EXPECT_EQ(h[5].caption, "");
  EXPECT_TRUE(GroupByCategory(FeedList()).empty());

  EXPECT_TRUE(
      SameCategory("\xC1"
                   "B",
                   "\xE1"
                   "b"));                      // Á / á
  EXPECT_FALSE(SameCategory("\xD7", "\xF7"));  // × and ÷ are not a pair
  EXPECT_TRUE(SameCategory("Tech&", "tech"));
}

}  // namespace
}  // namespace rivolet
