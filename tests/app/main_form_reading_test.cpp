// Remembered reading in the main window: marks that come back with the
// feed and with the next start, the commands that change them, the next
// unread item, the counts in the feed menu and the tray's tooltip; with the
// switch off, none of it and no store.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTreeWidget>

#include "app/tray_icon.h"
#include "tests/support/loopback_server.h"
#include "tests/support/ui/app_harness.h"
#include "tests/support/ui/window_checks.h"

namespace rivolet {
namespace {

using testing::AppHarness;
using testing::LoopbackServer;
using testing::Response;

std::string FourItems() {
  std::string feed = "<rss><channel><title>Four</title>";
  for (int i = 1; i <= 4; ++i) {
    feed += "<item><title>Item " + std::to_string(i) + "</title><guid>g" +
            std::to_string(i) + "</guid></item>";
  }
  return feed + "</channel></rss>";
}

class RememberedReadingTest : public ::testing::Test {
 protected:
  RivoletApp& Start(const std::string& ini) {
    testing::WriteFileBytes(h.dir / "rivolet.ini", ini);
    RivoletApp& app = h.Start();
    server.Serve("/four.xml", Response::Ok(FourItems()));
    app.feed_list.Append("Four", "Tests", "60", server.Url("/four.xml"));
    return app;
  }
  void Open() {
    h.Main().FeedMenuItemClick(0);
    ASSERT_EQ(h.Main().main_channels->topLevelItemCount(), 4);
  }
  std::vector<int> Marks() {
    std::vector<int> marks;
    for (int row = 0; row < 4; ++row) marks.push_back(h.Main().RowMark(row));
    return marks;
  }
  void Select(int row) {
    h.Main().main_channels->setCurrentItem(
        h.Main().main_channels->topLevelItem(row));
  }
  std::string MenuEntry() {
    h.Main().BuildFeedMenu();
    const QMenu* heading = h.Main().FeedMenu->actions()[0]->menu();
    return heading->actions()[0]->text().toStdString();
  }

  AppHarness h;
  LoopbackServer server;
};

TEST_F(RememberedReadingTest, MarksComeBackWithTheFeedAndTheNextStart) {
  RivoletApp& app = Start("[reading]\r\nremember=1\r\n");
  TMainForm& f = h.Main();
  EXPECT_EQ(MenuEntry(), "Four");  // not read or updated yet
  Open();
  EXPECT_EQ(MenuEntry(), "Four (4)");
  Select(1);
  f.main_channelsDblClick();
  f.MarkAllRead1->trigger();
  EXPECT_EQ(Marks(), (std::vector<int>{1, 1, 1, 1}));
  Select(2);
  f.MarkUnread1->trigger();
  EXPECT_EQ(f.lUnreadNo->text(), "1");
  EXPECT_EQ(MenuEntry(), "Four (1)");
  EXPECT_EQ(f.tray->Hint, "Rivolet: 1 unread");

  // N and Space: the next unread row is opened; past the last, a note.
  testing::ShowActive(f);
  Select(0);
  QTest::keyClick(&f, Qt::Key_N);
  EXPECT_EQ(f.session.current_item_index(), 2);
  EXPECT_EQ(Marks(), (std::vector<int>{1, 1, 1, 1}));
  QTest::keyClick(&f, Qt::Key_Space);
  EXPECT_EQ(f.StatusNote->text(), "No more unread items");
  Select(3);
  f.MarkUnread1->trigger();

  // The next start shows the same marks and counts.
  app.remembered.keeper()->Flush();
  h.app.reset();
  Start("[reading]\r\nremember=1\r\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return MenuEntry() == "Four (1)"; }, 5000))
      << MenuEntry();
  Open();
  EXPECT_EQ(Marks(), (std::vector<int>{1, 1, 1, 0}));
}

TEST_F(RememberedReadingTest, SwitchedOffNothingShowsAndNoStoreIsMade) {
  Start("");
  TMainForm& f = h.Main();
  Open();
  Select(0);
  f.main_channelsDblClick();
  testing::ShowActive(f);
  QTest::keyClick(&f, Qt::Key_N);  // no command behind it
  EXPECT_EQ(f.session.current_item_index(), 0);
  EXPECT_EQ(f.StatusNote, nullptr);
  EXPECT_FALSE(f.File1->actions().contains(f.MarkAllRead1));
  EXPECT_EQ(MenuEntry(), "Four");
  EXPECT_EQ(f.tray->Hint, "");
  EXPECT_EQ(h.app->remembered.keeper(), nullptr);
}

}  // namespace
}  // namespace rivolet
