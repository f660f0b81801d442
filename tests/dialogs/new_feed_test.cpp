// Tests of the New feed dialog's rules: the period key rule, the name Read
// proposes and what OK appends.
#include "dialogs/new_feed.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(FeedTitleFromDocumentTest, ShortenedCleanUpThenFirstTitle) {
  struct Case {
    const char* name;
    std::string document;
    std::string title;
  } cases[] = {
      {"entity of the shortened table", "<title>Tom &amp; Jerry</title>",
       "Tom & Jerry"},
      {"entity beyond step 28 stays", "<title>Don&#8217;t</title>",
       "Don&#8217;t"},
      {"no tags stripped, first title wins",
       "<rss><channel><title><b>C</b></title><item><title>I</title>",
       "<b>C</b>"},
      // No bare "<title>": from position 7 up to the first "</title>".
      {"title with attributes", "<rss><title type=\"t\">T</title>",
       "title type=\"t\">T"},
      {"UTF-8 Polish letters",
       "<?xml encoding=\"utf-8\"?><title>Wiadomo\xC5\x9B\xC4\x87 "
       "\xC5\xBC\xC3\xB3\xC5\x82w</title>",
       "Wiadomo\x9C\xE6 \xBF\xF3\xB3w"},
      {"broken UTF-8 gives no name",
       "<?xml encoding=\"UTF-8\"?><title>caf\xE9</title>", ""},
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
      {"", "", true},                                  // empty never occurs
      {" World News", "http://other/", true},          // not trimmed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + std::string(" ") + c.url);
    FeedList list = Stored();
    const NewFeedOutcome outcome =
        AddNewFeed({c.name, c.url, "  Tech  ", ""}, list);
    EXPECT_EQ(outcome.added, c.added);
    EXPECT_EQ(outcome.category, "Tech");  // written back in both outcomes
    ASSERT_EQ(list.Count(), c.added ? 2u : 1u);
    if (c.added) {
      EXPECT_EQ(list.Entry(1).name, c.name);
      EXPECT_EQ(list.Entry(1).fields,
                (std::vector<std::string>{"Tech", "", c.url}));
    }
  }
}

TEST(AddNewFeedTest, BlankCategoryBecomesNoName) {
  for (const char* typed : {" \t\r\n ", ""}) {
    FeedList list;
    EXPECT_EQ(AddNewFeed({"N", "u", typed, "5"}, list).category, "No Name");
    EXPECT_EQ(list.Entry(0).Category(), "No Name");
  }
}

}  // namespace
}  // namespace rivolet
