// Tests of the update scheduler's rules: periods, due feeds, skipped ticks
// and the rows a tick's downloads give.
#include "update/scheduler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rivolet {
namespace {

TEST(UpdatePeriodTest, WholePositiveNumbersAfterTrimming) {
  struct Case {
    const char* text;
    std::optional<std::int32_t> period;
  } cases[] = {
      {"60", 60},
      {" 5 ", 5},
      {"\t7\r\n", 7},
      {"$10", 16},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"0", std::nullopt},
      {"-5", -5},
      {"abc", std::nullopt},
      {"1.5", std::nullopt},
      {"99999999999", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UpdatePeriod(c.text), c.period) << '"' << c.text << '"';
  }
}

std::vector<DueFeed> Due(UpdateScheduler& s, const FeedList& list) {
  const TickPlan plan = s.BeginTick(true, list);
  EXPECT_EQ(plan.action, TickAction::kRun);
  return plan.due;
}

TEST(UpdateSchedulerTest, DueFeedsInListOrder) {
  FeedList list;
  list.Append("Every", "c", "1", "http://one/");
  list.Append("Never", "c", "", "http://empty/");
  list.Append("Other", "c", " 2 ", "http://two/");
  list.Append("Zero", "c", "0", "http://zero/");
  list.Append("Text", "c", "abc", "http://abc/");
  list.Append("Minus", "c", "-2", "http://minus/");
  UpdateScheduler s;
  EXPECT_EQ(Due(s, list), (std::vector<DueFeed>{{0, "http://one/", "Every"}}));
  EXPECT_EQ(Due(s, list),
            (std::vector<DueFeed>{{0, "http://one/", "Every"},
                                  {2, "http://two/", "Other"},
                                  {5, "http://minus/", "Minus"}}));
  EXPECT_EQ(s.tick(), 2);

  FeedList none;
  none.Append("Hourly", "c", "60", "http://h/");
  UpdateScheduler quiet;
  const TickPlan plan = quiet.BeginTick(true, none);
  EXPECT_EQ(plan.action, TickAction::kRun);  // the list is still emptied
  EXPECT_TRUE(plan.due.empty());
}

TEST(UpdateSchedulerTest, OnlyUpdatingOffStopsTheCountAndFeedsInFlightWait) {
  FeedList list;
  list.Append("Slow", "c", "1", "http://slow/");
  list.Append("Fast", "c", "1", "http://fast/");
  UpdateScheduler s;
  EXPECT_EQ(s.BeginTick(false, list).action, TickAction::kNothing);
  EXPECT_EQ(s.tick(), 0);
  const auto slow_in_flight = [](const std::string& url) {
    return url == "http://slow/";
  };
  const TickPlan plan = s.BeginTick(true, list, slow_in_flight);
  EXPECT_EQ(plan.action, TickAction::kRun);
  EXPECT_EQ(plan.due, (std::vector<DueFeed>{{1, "http://fast/", "Fast"}}));
  EXPECT_EQ(s.tick(), 1);
}

TEST(ApplyDownloadsTest, AFailureBetweenTwoGoodFeeds) {
  const std::vector<DueFeed> due = {{0, "http://a/", "A"},
                                    {3, "http://bad/", "Bad"},
                                    {4, "http://c/", "C"},
                                    {5, "http://d/", "D"}};
  const TickOutcome outcome = ApplyDownloads(
      due, {{true,
             "<title>A</title><item><title>a1</title>"
             "<pubDate>Tue, 01 Mar 2005</pubDate></item>"},
            {false, "Connection refused"},
            {true, "<title>C</title><item><title>c1</title></item>"},
            {false, "Host not found"}});
  EXPECT_EQ(outcome.rows, (std::vector<NotificationRow>{
                              {"A", "a1", "01.03.2005", "http://a/"},
                              {"C", "c1", "", "http://c/"},
                              {"D", "Host not found", "", "http://d/"}}));
  EXPECT_EQ(outcome.first_error, "Bad: Connection refused");
  EXPECT_EQ(outcome.current_feed_url, "http://d/");
  EXPECT_TRUE(outcome.show_window);

  const TickOutcome failed =
      ApplyDownloads({{0, "http://x/", "X"}}, {{false, "E"}});
  EXPECT_TRUE(failed.rows.empty());
  EXPECT_FALSE(failed.show_window);
  EXPECT_EQ(failed.current_feed_url, "http://x/");

  const TickOutcome nothing = ApplyDownloads({}, {});
  EXPECT_FALSE(nothing.current_feed_url);
  EXPECT_FALSE(nothing.first_error);
}

// A dead feed is boxed once; its later ticks say the failure in its row.
TEST(ApplyReadsTest, TheSameFailureIsBoxedOnceUntilItChanges) {
  const std::vector<DueFeed> due = {{0, "http://d/", "D"},
                                    {1, "http://g/", "G"}};
  // Each tick: the two feeds' failures ("" reads well), whether a box is
  // free, the box and the failures put in rows.
  const struct {
    const char* d;
    const char* g;
    bool box_free;
    const char* boxed;
    std::vector<std::string> rows;
  } ticks[] = {
      {"404", "No route", true, "D: 404", {"No route"}},
      {"404", "No route", true, "G: No route", {"404"}},
      {"500", "No route", false, "", {"500", "No route"}},
      {"500", "No route", true, "D: 500", {"No route"}},
      {"", "x", true, "G: x", {}},
      {"500", "x", true, "D: 500", {"x"}},
  };
  ToldFailures told;
  for (const auto& t : ticks) {
    std::vector<FeedRead> reads(2);
    if (*t.d) reads[0].error = t.d;
    reads[1].error = t.g;
    const TickOutcome outcome = ApplyReads(due, reads, &told, t.box_free);
    EXPECT_EQ(outcome.first_error.value_or(""), t.boxed) << t.d << t.g;
    std::vector<std::string> rows;
    for (const NotificationRow& row : outcome.rows) rows.push_back(row.title);
    EXPECT_EQ(rows, t.rows) << t.d << t.g;
  }
}

}  // namespace
}  // namespace rivolet
