// The minute tick and the notification window, driven through their handlers
// on the whole program against feeds served on the loopback.
#include "update/notification_form.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "dialogs/options_form.h"
#include "platform/desktop.h"
#include "tests/support/loopback_server.h"
#include "tests/support/ui/app_harness.h"

namespace rivolet {
namespace {

using testing::AppHarness;
using testing::LoopbackServer;
using testing::Response;

std::string Feed(const std::string& title, int items = 1) {
  std::string feed = "<rss><channel><title>" + title + "</title>";
  for (int i = 1; i <= items; ++i) {
    feed += "<item><title>" + title + " " + std::to_string(i) +
            "</title><pubDate>Tue, 01 Mar 2005</pubDate></item>";
  }
  return feed + "</channel></rss>";
}

// A desktop that runs `on_message` while its box would be up.
class BoxDesktop : public RecordingDesktop {
 public:
  MessageAnswer ShowMessage(MessageKind kind, const std::string& text,
                            const std::string& caption, QWidget* owner,
                            const std::string& details) override {
    if (on_message) on_message();
    return RecordingDesktop::ShowMessage(kind, text, caption, owner, details);
  }
  std::function<void()> on_message;
};

class UpdateTest : public ::testing::Test {
 protected:
  void SetUp() override { app = &h.Start(); }
  TMainForm& Main() { return h.Main(); }
  TAktualizacjaForm& Note() { return app->AktualizacjaForm(); }
  void AddFeed(const std::string& name, const std::string& period,
               const std::string& target) {
    app->feed_list.Append(name, "c", period, server.Url(target));
  }
  // One minute tick, with its downloads waited for.
  void Tick() {
    Main().timerTimer();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !app->Updater().running(); }, 10000));
  }
  // Each row of `akt` as "caption|title|date".
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (int i = 0; i < Note().akt->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* row = Note().akt->topLevelItem(i);
      rows.push_back((row->text(0) + "|" + row->text(1) + "|" + row->text(2))
                         .toStdString());
    }
    return rows;
  }
  void DoubleClick(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseDClick(Note().akt->viewport(), button, {}, at);
  }

  AppHarness h;
  LoopbackServer server;
  RivoletApp* app = nullptr;
};

TEST_F(UpdateTest, TheWindowAsCreated) {
  TAktualizacjaForm& n = Note();
  EXPECT_EQ(n.windowTitle().toStdString(), "Rivolet");
  EXPECT_EQ(n.size(), QSize(337, 189));
  // Placed from the recording desktop's screen (1024 x 768, with a panel
  // taking its bottom 30 pixels), its frame (none here) included.
  const int title_bar = n.style()->pixelMetric(QStyle::PM_TitleBarHeight);
  EXPECT_EQ(n.pos(), QPoint(1024 - 337 - 20, (738 - title_bar) - 189 + 10));
  EXPECT_TRUE(n.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(n.windowType(), Qt::Tool);
  EXPECT_TRUE(n.akt->isHeaderHidden());
  EXPECT_EQ(n.akt->columnWidth(1), 150);
  EXPECT_TRUE(n.Timer1->isActive());
  EXPECT_EQ(n.Timer1->interval(), 5000);
  EXPECT_TRUE(Main().timer->isActive());
  EXPECT_EQ(Main().timer->interval(), 60000);
  n.show();
  EXPECT_EQ(n.akt->geometry(), n.rect());
}

TEST_F(UpdateTest, TicksFetchTheDueFeedsInListOrder) {
  server.Serve("/a", Response::Ok(Feed("A")));
  server.Serve("/b", Response::Ok(Feed("B")));
  AddFeed("A", "1", "/a");
  AddFeed("Blanks", " 2 ", "/b");
  AddFeed("Empty", "", "/empty");
  AddFeed("Zero", "0", "/zero");
  AddFeed("Text", "abc", "/abc");
  Note().AddRows({{"Old", "", "", ""}});

  app->OptionsForm().noUpdate->click();
  Main().timerTimer();
  EXPECT_EQ(app->Updater().tick(), 0);
  EXPECT_EQ(Rows(), std::vector<std::string>{"Old||"});

  app->OptionsForm().yesUpdate->click();
  Tick();
  EXPECT_EQ(Rows(), std::vector<std::string>{"A|A 1|01.03.2005"});
  EXPECT_TRUE(Note().isVisible());
  EXPECT_EQ(app->session.current_feed_url(), server.Url("/a"));
  Tick();
  EXPECT_EQ(Rows(),
            (std::vector<std::string>{"A|A 1|01.03.2005", "B|B 1|01.03.2005"}));
  EXPECT_EQ(app->session.current_feed_url(), server.Url("/b"));
  // The feeds without a period were never asked for (unserved, they would
  // have been reported).
  EXPECT_EQ(server.RequestCount(), 3u);
  EXPECT_TRUE(h.ErrorTexts().empty());
}

TEST_F(UpdateTest, NoFeedDueEmptiesTheListAndShowsNothing) {
  AddFeed("Hourly", "60", "/h");
  Note().AddRows({{"Old", "", "", ""}});
  Tick();
  EXPECT_EQ(Note().akt->topLevelItemCount(), 0);
  EXPECT_FALSE(Note().isVisible());
  EXPECT_EQ(app->Updater().tick(), 1);
  EXPECT_TRUE(server.Requests().empty());
}

TEST_F(UpdateTest, TicksGoOnUnderAFailedFeedsBoxWhichStaysTheOnlyOne) {
  BoxDesktop desktop;
  ScopedDesktop scoped(&desktop);
  server.Serve("/a", Response::Ok(Feed("A")));
  server.Serve("/c", Response::Ok(Feed("C")));
  AddFeed("A", "1", "/a");
  AddFeed("Gone", "1", "/gone");
  AddFeed("C", "1", "/c");
  desktop.on_message = [&] {
    // Two more minutes pass while the box is up.
    for (int minute = 0; minute < 2; ++minute) Tick();
  };
  Tick();
  // The ticks under the box said the failure in its row.
  EXPECT_EQ(Rows(), (std::vector<std::string>{"A|A 1|01.03.2005",
                                              "Gone|HTTP/1.1 404 Not Found|",
                                              "C|C 1|01.03.2005"}));
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, "Gone: HTTP/1.1 404 Not Found.");
  EXPECT_EQ(app->Updater().tick(), 3);
  EXPECT_EQ(server.RequestCount(), 9u);
  // Another failure is boxed, but not over a dialog: once it has closed.
  desktop.on_message = nullptr;
  server.Serve("/gone", Response::Status("HTTP/1.1 500 Internal Server Error"));
  QDialog dialog;
  dialog.setModal(true);
  dialog.show();
  Tick();
  QTest::qWait(300);
  EXPECT_EQ(desktop.messages.size(), 1u);
  dialog.close();
  ASSERT_TRUE(QTest::qWaitFor([&] { return desktop.messages.size() == 2u; }));
  EXPECT_EQ(desktop.messages[1].text,
            "Gone: HTTP/1.1 500 Internal Server Error.");
}

TEST_F(UpdateTest, AFeedStillDownloadingIsNotStartedAgainButTheTickCounts) {
  server.Serve("/slow",
               Response::Ok(Feed("S")).Slow(20, std::chrono::milliseconds(40)));
  AddFeed("S", "1", "/slow");
  Main().timerTimer();
  EXPECT_TRUE(app->Updater().running());
  Main().timerTimer();
  EXPECT_EQ(app->Updater().tick(), 2);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return !app->Updater().running(); }, 10000));
  EXPECT_EQ(Rows(), std::vector<std::string>{"S|S 1|01.03.2005"});
  EXPECT_EQ(server.RequestCount(), 1u);
}

TEST_F(UpdateTest, ATickEndingAfterALaterOneAddsOnlyWhatTheLaterDidNotRead) {
  server.Serve("/a", Response::Ok(Feed("A")));
  server.Serve("/slow",
               Response::Ok(Feed("S")).Slow(20, std::chrono::milliseconds(60)));
  AddFeed("A", "1", "/a");
  AddFeed("S", "1", "/slow");
  Main().timerTimer();
  ASSERT_TRUE(server.WaitForRequests(2, std::chrono::seconds(5)));
  Tick();  // only A: S is still downloading for the first tick
  EXPECT_EQ(Rows(),
            (std::vector<std::string>{"A|A 1|01.03.2005", "S|S 1|01.03.2005"}));
}

TEST_F(UpdateTest, ATickDueDuringTheUsersDownloadWaitsForItsEnd) {
  server.Serve("/slow",
               Response::Ok(Feed("S")).Slow(20, std::chrono::milliseconds(40)));
  AddFeed("S", "1", "/slow");
  Main().timer->setInterval(5);
  Main().FeedMenuItemClick(0);
  EXPECT_EQ(app->Updater().tick(), 0);
  Main().timer->setInterval(60000);
  // Every minute that fell due meanwhile counts, once the download is over.
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return app->Updater().tick() > 0 && !app->Updater().running(); }));
}

TEST_F(UpdateTest, QuittingDuringATickDoesNotWait) {
  server.Serve("/silent", Response::Silent());
  AddFeed("S", "1", "/silent");
  Main().timerTimer();
  ASSERT_TRUE(server.WaitForRequests(1, std::chrono::seconds(5)));
  QElapsedTimer clock;
  clock.start();
  EXPECT_TRUE(h.Close());
  EXPECT_LT(clock.elapsed(), 1000);
  EXPECT_FALSE(app->Updater().running());
}

TEST_F(UpdateTest, DoubleClickOpensTheRowsOwnFeed) {
  server.ServeSequence("/five", {Response::Ok(Feed("Five", 5)),
                                 Response::Status("HTTP/1.1 404 Not Found"),
                                 Response::Ok(Feed("Five", 5))});
  AddFeed("Renamed", "1", "/five");
  Tick();
  const QPoint row =
      Note().akt->visualItemRect(Note().akt->topLevelItem(0)).center();
  Main().showMinimized();

  // A failed download is reported; the window stays and nothing is restored.
  DoubleClick(row);
  EXPECT_EQ(h.ErrorTexts(),
            std::vector<std::string>{"HTTP/1.1 404 Not Found."});
  EXPECT_TRUE(Note().isVisible());
  EXPECT_TRUE(Main().isMinimized());

  DoubleClick(row, Qt::RightButton);  // only the left button opens
  EXPECT_TRUE(Main().isMinimized());
  // Below the rows: only the program comes back.
  DoubleClick(QPoint(5, Note().akt->viewport()->height() - 5));
  EXPECT_FALSE(Main().isMinimized());
  EXPECT_TRUE(Note().isVisible());
  EXPECT_EQ(server.RequestCount(), 2u);

  DoubleClick(row);
  EXPECT_FALSE(Note().isVisible());
  EXPECT_EQ(Main().main_channels->topLevelItemCount(), 5);
  EXPECT_EQ(Main().Zakladki->currentWidget(), Main().ViewTab);
  EXPECT_EQ(Main().RowMark(0), ReadingSession::kUnread);
  EXPECT_EQ(Main().UnreadCount(), 5);
  EXPECT_EQ(app->session.current_feed_url(), server.Url("/five"));
}

TEST_F(UpdateTest, ShowingTakesTheSecondsAndTheTimerHidesTheWindow) {
  app->OptionsForm().Edit1->setText("10");
  Note().show();
  EXPECT_EQ(Note().Timer1->interval(), 10000);
  Note().Timer1Timer();
  EXPECT_FALSE(Note().isVisible());
  EXPECT_FALSE(Note().Timer1->isActive());

  app->OptionsForm().Edit1->setText("abc");
  Note().show();
  EXPECT_TRUE(Note().isVisible());
  EXPECT_EQ(Note().Timer1->interval(), 10000);
  EXPECT_EQ(h.ErrorTexts(),
            std::vector<std::string>{"'abc' is not a valid integer value."});
}

}  // namespace
}  // namespace rivolet
