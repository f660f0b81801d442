// Tests of the rewriting of item dates into the display form.
#include <gtest/gtest.h>

#include "reader/stored_cleanup.h"

namespace rivolet {
namespace {

TEST(FormatItemDateTest, Table) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"Tue, 01 Mar 2005 12:00:00 GMT", " 01.03.2005 12:00:00 GMT"},
      {"1 Mar 2005", "1.03.2005"},
      {"2005-03-01T12:00:00+01:00", "2005-03-01T12:00:00+01:00"},
      {"01 Mar 2005 10:00:00 +0100", "01.03.2005 10:00:00 +0100"},
      {"01 March 2005", "01 March 2005"},
      {"01 MAR 2005", "01 MAR 2005"},
      {"Mon, 01 Jan 2005, 10:00", " 01.01.2005, 10:00"},
      {"", ""},
      // Every month, every occurrence.
      {"1 Jan 2 Feb 3 Mar 4 Apr 5 May 6 Jun ",
       "1.01.2.02.3.03.4.04.5.05.6.06."},
      {"7 Jul 8 Aug 9 Sep 10 Oct 11 Nov 12 Dec ",
       "7.07.8.08.9.09.10.10.11.11.12.12."},
      {"a month needs a blank on both sides: 1 Mar",
       "a month needs a blank on both sides: 1 Mar"},
      {"1 Jan Jan 2", "1.01.Jan 2"},  // the consumed blank is not shared
      // Each day name at its first occurrence only, wherever it stands.
      {"Sun Sun", " Sun"},
      {"Monday, 3 May 2024", "day 3.05.2024"},
      {"Wed Thu Fri Sat Sun Mon Tue", "      "},
      {"01 Jan 2005 Tuesday", "01.01.2005 sday"},
      {"Sat,,", ","},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatItemDate(c.in), c.out) << "'" << c.in << "'";
  }
}

}  // namespace
}  // namespace rivolet
