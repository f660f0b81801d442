// The rows of new items: dates as shown read back as times, every feed's
// new items newest first, at most a window's worth.
#include "update/new_items.h"

#include <gtest/gtest.h>

namespace rivolet {
namespace {

ShownItem Dated(const std::string& title, const std::string& date) {
  ShownItem item;
  item.title = title;
  item.date = date;
  return item;
}

TEST(ShownDateSecondsTest, TheFormsItemDatesAreShownIn) {
  const std::int64_t noon = 1109678400;  // 2005-03-01 12:00:00 UTC
  const struct {
    const char* date;
    std::optional<std::int64_t> seconds;
  } cases[] = {
      {"01.03.2005 12:00:00 GMT", noon},
      {" 1.03.2005 12:00:00 Z ", noon},
      {"01.03.2005 13:00 +0100", noon},
      {"01.03.2005 07:00:00 EST", noon},
      {"2005-03-01T14:00:00.5+02:00", noon},
      {"2005-03-01", noon - 12 * 3600},
      {"01.03.2005 12:00:00 Whatever", noon},
      {"29.02.2004", 1078012800},
      {"01 March 2005", std::nullopt},
      {"32.01.2005", std::nullopt},
      {"01.03.2005 25:00", std::nullopt},
      {"01.03.2005 12:00 +01", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ShownDateSeconds(c.date), c.seconds) << c.date;
}

TEST(NewItemRowsTest, NewestFirstAcrossFeedsAtMostAWindowful) {
  ShownFeed a;
  a.channel_title = "A";
  for (const char* date : {"02.03.2005", "undated", "04.03.2005"})
    a.items.push_back(Dated(date, date));
  ShownFeed b;
  b.channel_title = "B";
  b.items.push_back(Dated("b", "03.03.2005"));
  const TickOutcome outcome = ApplyReads(
      {{0, "http://a/", "A"}, {1, "http://b/", "B"}},
      {ReadNewItems(a, {true, true, true}), ReadNewItems(b, {true})});
  EXPECT_EQ(outcome.rows, (std::vector<NotificationRow>{
                              {"A", "04.03.2005", "04.03.2005", "http://a/"},
                              {"B", "b", "03.03.2005", "http://b/"},
                              {"A", "02.03.2005", "02.03.2005", "http://a/"},
                              {"A", "undated", "undated", "http://a/"}}));
  EXPECT_TRUE(outcome.show_window);

  // Nothing new: no rows and no window; more than a windowful: the newest.
  EXPECT_FALSE(ApplyReads({{0, "http://a/", "A"}},
                          {ReadNewItems(a, {false, false, false})})
                   .show_window);
  ShownFeed many;
  for (int day = 1; day <= 28; ++day) {
    for (int hour = 0; hour < 5; ++hour) {
      const std::string date =
          std::to_string(day) + ".02.2005 0" + std::to_string(hour) + ":00";
      many.items.push_back(Dated(date, date));
    }
  }
  const TickOutcome capped = ApplyReads(
      {{0, "u", "M"}},
      {ReadNewItems(many, std::vector<bool>(many.items.size(), true))});
  ASSERT_EQ(capped.rows.size(), kMaxNewItemRows);
  EXPECT_EQ(capped.rows.front().title, "28.02.2005 04:00");
  EXPECT_EQ(capped.rows.back().title, "9.02.2005 00:00");
}

}  // namespace
}  // namespace rivolet
