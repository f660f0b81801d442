// Tests of the New feed dialog's rules: the period key rule, the name Read
// proposes and what OK appends.
#include "dialogs/new_feed.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "feeds/opml.h"

namespace rivolet {
namespace {

TEST(PeriodKeyKeepsTextTest, OnlyMainDigitsAndBackspace) {
  // Backspace, 0, 9; then Tab, Shift, Ctrl, Delete, V (of Ctrl+V), keypad 0
  // and 9, and the codes just outside the digits.
  for (int kept : {8, 48, 57}) EXPECT_TRUE(PeriodKeyKeepsText(kept)) << kept;
  for (int emptied : {9, 16, 17, 46, 86, 96, 105, 47, 58}) {
    EXPECT_FALSE(PeriodKeyKeepsText(emptied)) << emptied;
  }
}

TEST(FeedTitleFromDocumentTest, ChannelTitleAsShownThenWindows1250) {
  struct Case {
    const char* name;
    std::string document;
    std::string title;
  } cases[] = {
      {"entity", "<title>Tom &amp; Jerry</title>", "Tom & Jerry"},
      {"every reference decoded", "<title>Don&#8217;t &eacute;</title>",
       "Don\x92t \xE9"},
      {"markup left out, the channel's title wins",
       "<rss><channel><title><b>C</b></title><item><title>I</title>", "C"},
      {"title with attributes", "<rss><title type=\"t\">T</title>", "T"},
      {"UTF-8 Polish letters",
       "<?xml encoding=\"utf-8\"?><title>Wiadomo\xC5\x9B\xC4\x87 "
       "\xC5\xBC\xC3\xB3\xC5\x82w</title>",
       "Wiadomo\x9C\xE6 \xBF\xF3\xB3w"},
      // The title is taken before it is converted: a bad byte elsewhere
      // costs nothing, one inside costs one character.
      {"bad UTF-8 after the title",
       "<?xml encoding=\"UTF-8\"?><title>Caf\xC3\xA9</title><item>\xE9</item>",
       "Caf\xE9"},
      {"bad UTF-8 inside the title",
       "<?xml encoding=\"UTF-8\"?><title>caf\xE9</title>", "caf?"},
      {"letters the list cannot hold",
       "<?xml version=\"1.0\" encoding=\"windows-1251\"?><title>\xCC\xE8\xF0"
       "</title>",
       "???"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FeedTitleFromDocument(c.document), c.title) << c.name;
  }
}

FeedList Stored() {
  FeedList list;
  list.Append("World News", "News", "60", "http://example.org/world.xml");
  return list;
}

TEST(AddNewFeedTest, DuplicateTestOnTheTextsAsTyped) {
  struct Case {
    const char* name;
    const char* url;
    bool added;
  } cases[] = {
      {"News", "http://other/", false},                // inside World News
      {"World News Daily", "http://other/", true},     // not inside
      {"Mine", "http://example.org/world", false},     // leading part
      {"Mine", "http://EXAMPLE.org/world.xml", true},  // case differs
      {"", "http://new/", true},                       // named by its URL
      {" World News", "http://other/", true},          // not trimmed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + std::string(" ") + c.url);
    FeedList list = Stored();
    const NewFeedOutcome outcome =
        AddNewFeed({c.name, c.url, "  Tech  ", ""}, list);
    EXPECT_EQ(outcome.result == NewFeedResult::kAdded, c.added);
    EXPECT_EQ(outcome.category, "Tech");  // written back in both outcomes
    ASSERT_EQ(list.Count(), c.added ? 2u : 1u);
    if (c.added) {
      EXPECT_EQ(list.Entry(1).name, *c.name ? c.name : c.url);
      EXPECT_EQ(list.Entry(1).fields,
                (std::vector<std::string>{"Tech", "", c.url}));
    }
  }
}

TEST(AddNewFeedTest, BlankCategoryBecomesNoName) {
  for (const char* typed : {" \t\r\n ", ""}) {
    FeedList list;
    EXPECT_EQ(AddNewFeed({"N", "http://u/", typed, "5"}, list).category,
              "No Name");
    EXPECT_EQ(list.Entry(0).Category(), "No Name");
  }
}

TEST(AddNewFeedTest, NothingThatCanNeverBeReadIsAdded) {
  for (const char* url : {"", "   ", "example.org/a", " http://a/", "ftp://a/",
                          "http:///a", "http://a:99999/", "http://a/b c"})
    EXPECT_FALSE(IsFeedAddress(url)) << url;
  FeedList list;
  EXPECT_EQ(AddNewFeed({"N", "a", "", ""}, list).message,
            "Not an absolute web address: a");
  EXPECT_EQ(list.Count(), 0u);
}

// An OPML import takes only what New feed would take, never cut, and no
// period the list could not keep.
TEST(OpmlImportTest, TakesOnlyWhatNewFeedWouldTake) {
  const std::string long_url = "http://x.example/" + std::string(306, 'a');
  const std::vector<OpmlFeed> feeds = {
      {"  Kept  ", "C", " http://ok.example/ ", "7"},
      {"p1", "C", "http://p1.example/", "-5"},
      {"p2", "C", "http://p2.example/", "99999999999999999999"},
      {"p3", "C", "http://p3.example/", "abc\ndef"},
      {"j", "C", "javascript:alert(1)", {}},
      {"f", "C", "file:///etc/passwd", {}},
      {"d", "C", "data:text/html,x", {}},
      {"r", "C", "feed.xml", {}},
      {"t", "C", "http://a.example/\tb", {}},
      {"v", "C", "vfolder", {}},
      {"long", "C", long_url, {}},
      {std::string(256, 'n'), "C", "http://n.example/", {}},
  };
  FeedList list;
  const OpmlImportCounts counts =
      AddOpmlFeeds(feeds, "60", list, IsFeedAddress);
  EXPECT_EQ(counts.added, 4u);
  EXPECT_EQ(counts.refused, 8u);
  EXPECT_EQ(counts.refused_addresses.front(), "javascript:alert(1)");
  ASSERT_EQ(list.Count(), 4u);
  EXPECT_EQ(list.Entry(0).fields,
            (std::vector<std::string>{"C", "7", "http://ok.example/"}));
  EXPECT_EQ(list.Entry(0).name, "Kept");
  for (std::size_t k = 1; k < 4; ++k) EXPECT_EQ(list.Entry(k).fields[1], "60");
  EXPECT_FALSE(HasOwnPeriod(feeds[1]));
}

}  // namespace
}  // namespace rivolet
