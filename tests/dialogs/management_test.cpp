// Tests of the Feeds' Management dialog's working copy.
#include "dialogs/management.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace rivolet {
namespace {

FeedList MakeList(const std::vector<FeedEditTexts>& feeds) {
  FeedList list;
  for (const FeedEditTexts& f : feeds) {
    list.Append(f.name, f.category, f.period, f.url);
  }
  return list;
}

std::vector<std::string> Names(const ManagementList& m) {
  std::vector<std::string> names;
  for (const FeedEntry& e : m.rows()) names.push_back(e.name);
  return names;
}

TEST(CompareSortTextsTest, FoldsOnlyAsciiLettersAndShorterFirst) {
  struct Case {
    const char* a;
    const char* b;
    int sign;
  } cases[] = {
      {"news", "NEWS", 0}, {"120", "60", -1},
      {"60", "9", -1},     {"Tech", "Technology", -1},
      {"", "a", -1},       {"\xB9", "\xA5", 1},  // ą and Ą are not folded
      {"_", "a", 1},     // '_' (95) sorts after 'A' (65), the folded 'a'
      {"\xE9", "z", 1},  // unsigned: é after z
  };
  for (const Case& c : cases) {
    const int r = CompareSortTexts(c.a, c.b);
    EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
    const int back = CompareSortTexts(c.b, c.a);
    EXPECT_EQ((back > 0) - (back < 0), -c.sign) << c.b << " vs " << c.a;
  }
}

TEST(ManagementListTest, HeaderClicksFlipTheDirectionAcrossColumns) {
  const FeedList list = MakeList({{"A", "tech", "9", "http://b/"},
                                  {"B", "Arts", "120", "http://c/"},
                                  {"C", "News", "60", "http://a/"}});
  ManagementSort sort;  // as a fresh run starts
  ManagementList m(list);
  m.SortByHeader(1, sort);
  EXPECT_TRUE(sort.ascending);
  EXPECT_EQ(Names(m), (std::vector<std::string>{"B", "C", "A"}));
  m.SortByHeader(1, sort);
  EXPECT_EQ(Names(m), (std::vector<std::string>{"A", "C", "B"}));
  m.SortByHeader(2, sort);  // ascending again: textual 120, 60, 9
  EXPECT_EQ(Names(m), (std::vector<std::string>{"B", "C", "A"}));

  // The settings outlive the working copy: the next opening's first click
  // on URL descends.
  ManagementList reopened(list);
  reopened.SortByHeader(3, sort);
  EXPECT_FALSE(sort.ascending);
  EXPECT_EQ(sort.column, 3);
  EXPECT_EQ(Names(reopened), (std::vector<std::string>{"B", "A", "C"}));
  reopened.SortByHeader(7, sort);  // no such column
  EXPECT_EQ(sort.column, 3);
}

TEST(ManagementListTest, EqualRowsKeepTheirOrderAndTheSelectionFollows) {
  ManagementList m(MakeList(
      {{"news", "1", "", ""}, {"Zed", "2", "", ""}, {"NEWS", "3", "", ""}}));
  ASSERT_TRUE(m.Select(1));
  ManagementSort sort;
  m.SortByHeader(0, sort);
  EXPECT_EQ(Names(m), (std::vector<std::string>{"news", "NEWS", "Zed"}));
  EXPECT_EQ(m.selection(), 2u);
  m.SortByHeader(0, sort);
  EXPECT_EQ(Names(m), (std::vector<std::string>{"Zed", "news", "NEWS"}));
  EXPECT_EQ(m.selection(), 0u);
}

TEST(ManagementListTest, SelectApplyAndWriteBack) {
  FeedList list = MakeList({{"A", "c", "5", "u"}, {"B", "d", "6", "v"}});
  ManagementList m(list);
  EXPECT_FALSE(m.ApplyEdits({"X", "", "", ""}));  // "Please select feed!"
  EXPECT_FALSE(m.Select(std::nullopt));
  EXPECT_FALSE(m.Select(2));
  EXPECT_EQ(m.Select(1), (FeedEditTexts{"B", "d", "6", "v"}));

  EXPECT_TRUE(m.ApplyEdits({" B2 ", "", "abc", "w"}));  // exactly as typed
  m.WriteBack(list);
  EXPECT_EQ(list.Entry(1).name, " B2 ");
  EXPECT_EQ(list.Entry(1).fields, (std::vector<std::string>{"", "abc", "w"}));
}

TEST(ManagementListTest, MovesStopAtTheEndsAndWalkTheSelection) {
  const FeedList list =
      MakeList({{"A", "", "", ""}, {"B", "", "", ""}, {"C", "", "", ""}});
  ManagementList m(list);
  EXPECT_FALSE(m.MoveUp());  // no selection
  m.Select(0);
  EXPECT_FALSE(m.MoveUp());
  m.Select(2);
  EXPECT_FALSE(m.MoveDown());
  EXPECT_TRUE(m.MoveUp());
  EXPECT_TRUE(m.MoveUp());
  EXPECT_FALSE(m.MoveUp());
  EXPECT_EQ(Names(m), (std::vector<std::string>{"C", "A", "B"}));
  EXPECT_EQ(m.selection(), 0u);
  EXPECT_TRUE(m.MoveDown());
  EXPECT_EQ(Names(m), (std::vector<std::string>{"A", "C", "B"}));
  EXPECT_EQ(m.selection(), 1u);
}

TEST(ManagementListTest, DeleteNeedsASelection) {
  FeedList list = MakeList({{"A", "", "", ""}, {"B", "", "", ""}});
  ManagementList m(list);
  EXPECT_FALSE(m.DeleteSelected());
  EXPECT_EQ(m.rows(), list.entries());
  m.Select(1);
  EXPECT_TRUE(m.DeleteSelected());
  EXPECT_EQ(m.selection(), 0u);  // the last row gone: the one before it
  EXPECT_TRUE(m.DeleteSelected());
  EXPECT_FALSE(m.selection());
  EXPECT_EQ(list.Count(), 2u);  // only OK writes back
}

// The edits go back into the feed they came from, wherever it went since.
TEST(ManagementListTest, EditsFollowTheirFeed) {
  const FeedList list =
      MakeList({{"B", "", "", ""}, {"A", "", "", ""}, {"C", "", "", ""}});
  ManagementSort sort;
  const std::vector<
      std::pair<std::function<void(ManagementList&)>, std::vector<std::string>>>
      cases = {
          {[&](ManagementList& m) { m.SortByHeader(0, sort); },
           {"A", "X", "C"}},
          {[](ManagementList& m) { m.Select(std::nullopt); }, {"X", "A", "C"}},
          {[](ManagementList& m) { m.DeleteSelected(); }, {"X", "C"}},
      };
  for (const auto& [moves, names] : cases) {
    ManagementList m(list);
    m.Select(0);
    moves(m);
    m.ApplyEdits({"X", "", "", ""});
    EXPECT_EQ(Names(m), names);
  }
  EXPECT_EQ(DeleteQuestion(kDeleteFeedQuestionText, "?", "Tech & Co"),
            "Delete the feed \"Tech & Co\"?");
  EXPECT_EQ(DeleteQuestion(std::nullopt, "Czy na pewno?", "Tech"),
            "Czy na pewno?\nTech");
}

// A hand-made file may give an entry fewer than three fields; it reads as
// empty texts, sorts, and gains the fields it is edited or moved into.
TEST(ManagementListTest, EntriesShortOfFieldsNeverFail) {
  FeedList list;
  FeedEntry short_entry;
  short_entry.name = "Short";
  short_entry.fields = {"cat"};
  short_entry.field_images = {-1};
  list.AppendEntry(short_entry);
  list.Append("Full", "c", "5", "u");

  ManagementList m(list);
  ManagementSort sort;
  m.SortByHeader(3, sort);
  EXPECT_EQ(Names(m), (std::vector<std::string>{"Short", "Full"}));
  EXPECT_EQ(m.Select(0), (FeedEditTexts{"Short", "cat", "", ""}));
  EXPECT_TRUE(m.MoveDown());
  EXPECT_EQ(m.Texts(0), (FeedEditTexts{"Full", "c", "5", "u"}));
  EXPECT_EQ(m.Texts(1), (FeedEditTexts{"Short", "cat", "", ""}));
  EXPECT_EQ(m.rows()[0].field_images.size(), 3u);
}

}  // namespace
}  // namespace rivolet
