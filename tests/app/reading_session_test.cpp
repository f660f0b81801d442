// The state of reading: the rows of the last reading taken, and the read
// marks that a new reading puts back to unread.
#include "app/reading_session.h"

#include <gtest/gtest.h>

namespace rivolet {
namespace {

TEST(ReadingSessionTest, MarksFollowTheRowsOfTheLastReading) {
  ReadingSession session;
  EXPECT_EQ(session.WindowTitle(), "Rivolet");
  const ShownFeed reading = ReadShownFeed(
      "<feed><title>A &amp; B</title><entry><title>E1</title></entry>"
      "<entry><title>\xC5\xBC</title></entry><entry/></feed>");
  session.TakeReading(reading);
  session.MarkRead(1);
  session.MarkRead(1);
  session.MarkRead(7);  // no such row
  EXPECT_EQ(session.UnreadCount(), 2);
  EXPECT_EQ(session.Mark(1), ReadingSession::kRead);
  EXPECT_EQ(session.Mark(3), -1);
  EXPECT_EQ(session.WindowTitle(), "Rivolet - A & B");
  EXPECT_EQ(session.RowText(1), "\xC5\xBC");
  session.set_current_item_index(1);
  EXPECT_EQ(session.CurrentItem().title, "\xC5\xBC");
  session.set_current_item_index(5);
  EXPECT_EQ(session.CurrentItem().title, "");
  EXPECT_THROW(session.set_current_item_index(100), std::out_of_range);

  session.TakeReading(reading);
  EXPECT_EQ(session.UnreadCount(), 3);
}

}  // namespace
}  // namespace rivolet
