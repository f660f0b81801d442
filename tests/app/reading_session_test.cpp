// The state of reading: the shortened item texts, and the read marks that a
// new read of a feed puts back to unread.
#include "app/reading_session.h"

#include <gtest/gtest.h>

namespace rivolet {
namespace {

TEST(ReadingSessionTest, TheChannelIsTheWindowTitleAfterItsPrefix) {
  EXPECT_EQ(ChannelFromWindowTitle("Rivolet - News"), "News");
  EXPECT_EQ(ChannelFromWindowTitle("Rivolet"), "");
  EXPECT_EQ(ChannelFromWindowTitle("Rivolet - "), "");
}

TEST(ReadingSessionTest, MarksFollowTheRowsOfTheLastRead) {
  ReadingSession session;
  EXPECT_EQ(session.window_title(), "Rivolet");
  FeedReadResult read;
  read.items.count = 3;
  read.total = 3;
  session.TakeFeedRead(read);
  session.MarkRead(1);
  session.MarkRead(1);
  session.MarkRead(7);  // no such row
  EXPECT_EQ(session.UnreadCount(), 2);
  EXPECT_EQ(session.Mark(1), ReadingSession::kRead);
  EXPECT_EQ(session.Mark(3), -1);
  session.TakeFeedRead(read);
  EXPECT_EQ(session.UnreadCount(), 3);

  // With the shown reading the rows are its items: an Atom feed's entries,
  // where the stored reading found none.
  session.ReadDocument(
      "<feed><title>A &amp; B</title><entry><title>E1</title></entry>"
      "<entry><title>\xC5\xBC</title></entry></feed>");
  EXPECT_EQ(session.items().count, 0);
  EXPECT_EQ(session.RowCount(), 2);
  EXPECT_EQ(session.total(), 2);
  EXPECT_EQ(session.UnreadCount(), 2);
  EXPECT_EQ(session.ShownWindowTitle(), "Rivolet - A & B");
  EXPECT_EQ(session.ShownRowText(1), "\xC5\xBC");
  session.set_current_item_index(1);
  EXPECT_EQ(session.CurrentShownItem().title, "\xC5\xBC");
  session.set_current_item_index(5);
  EXPECT_EQ(session.CurrentShownItem().title, "");
}

}  // namespace
}  // namespace rivolet
