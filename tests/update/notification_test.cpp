// Tests of the notification window's close interval.
#include "update/notification.h"

#include <gtest/gtest.h>

#include <limits>

#include "common/error.h"

namespace rivolet {
namespace {

TEST(NotificationCloseIntervalTest, SecondsToMillisecondsWithinATimersRange) {
  struct Case {
    const char* text;
    int ms;
  } cases[] = {
      {"5", 5000},
      {"10", 10000},
      {"0", 0},
      {"-3", 0},
      {"2147483647", std::numeric_limits<int>::max()},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NotificationCloseInterval(c.text), c.ms) << c.text;
  }
  try {
    NotificationCloseInterval("abc");
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
  }
}

}  // namespace
}  // namespace rivolet
