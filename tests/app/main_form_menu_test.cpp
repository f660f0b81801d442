// The feed menu, the item list and the item view, driven through the main
// window's handlers against feeds served on the loopback.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <cmath>

#include "dialogs/information_form.h"
#include "tests/support/loopback_server.h"
#include "tests/support/ui/app_harness.h"
#include "tests/support/ui/window_checks.h"
#include "widgets/link_label.h"

namespace rivolet {
namespace {

using testing::AppHarness;
using testing::LoopbackServer;
using testing::Response;

std::string Item(const std::string& title, const std::string& description,
                 const std::string& link = "https://example.com/a",
                 const std::string& date = "Tue, 01 Mar 2005 12:00:00 GMT") {
  std::string item =
      "<item><title>" + title + "</title><link>" + link + "</link>";
  if (!description.empty())
    item += "<description>" + description + "</description>";
  return item + "<pubDate>" + date + "</pubDate></item>\n";
}

std::string Feed(const std::string& title, const std::string& items) {
  return "<?xml version=\"1.0\" "
         "encoding=\"windows-1250\"?>\n<rss><channel><title>" +
         title + "</title><link>https://example.com/</link>\n" + items +
         "</channel></rss>\n";
}

std::string FiveItems() {
  std::string items;
  for (int i = 1; i <= 5; ++i) {
    items += Item("Item " + std::to_string(i), "Text " + std::to_string(i),
                  "https://example.com/" + std::to_string(i));
  }
  return Feed("Five", items);
}

// Headings of the feed menu and, for each, the captions of its entries.
std::vector<std::pair<std::string, std::vector<std::string>>> MenuOf(
    TMainForm& form) {
  std::vector<std::pair<std::string, std::vector<std::string>>> menu;
  for (QAction* heading : form.FeedMenu->actions()) {
    std::vector<std::string> entries;
    if (heading->menu() != nullptr) {
      for (QAction* entry : heading->menu()->actions()) {
        entries.push_back(entry->text().toStdString());
      }
    }
    menu.emplace_back(heading->text().toStdString(), entries);
  }
  return menu;
}

// Triggers the menu entry whose caption is `caption`.
void Choose(TMainForm& form, const std::string& heading,
            const std::string& caption) {
  form.BuildFeedMenu();
  for (QAction* h : form.FeedMenu->actions()) {
    if (h->text().toStdString() != heading || h->menu() == nullptr) continue;
    for (QAction* entry : h->menu()->actions()) {
      if (entry->text().toStdString() == caption) {
        entry->trigger();
        return;
      }
    }
  }
  ADD_FAILURE() << "no menu entry " << heading << " / " << caption;
}

void OpenRow(TMainForm& form, int row) {
  form.main_channels->setCurrentItem(form.main_channels->topLevelItem(row));
  form.main_channelsDblClick();
}

class FeedMenuTest : public ::testing::Test {
 protected:
  RivoletApp& Start() { return h.Start(); }
  TMainForm& Main() { return h.Main(); }
  AppHarness h;
  LoopbackServer server;
};

TEST_F(FeedMenuTest,
       HeadingsInFirstOccurrenceOrderHoldEveryFeedWhateverItsCase) {
  RivoletApp& app = Start();
  EXPECT_TRUE(Main().EmptyListNote->isVisible());  // nothing to list yet
  app.feed_list.Append("A", "Tech", "60", "http://a");
  app.feed_list.Append("B", "News", "60", "http://b");
  app.feed_list.Append("C", "tech", "60", "http://c");
  app.feed_list.Append("D & E", "-", "60", "http://d");
  app.feed_list.Append("", "", "60", "http://e");
  app.SaveFeedList();
  EXPECT_FALSE(Main().EmptyListNote->isVisible());
  Main().BuildFeedMenu();
  using Menu = std::vector<std::pair<std::string, std::vector<std::string>>>;
  EXPECT_EQ(MenuOf(Main()), (Menu{{"Tech", {"A", "C"}},
                                  {"News", {"B"}},
                                  {"-", {"D && E"}},
                                  {"", {""}}}));
  // Rebuilt at every opening: an empty list gives one disabled hint.
  app.feed_list.ReplaceAll({});
  Main().BuildFeedMenu();
  EXPECT_EQ(MenuOf(Main()),
            (Menu{{"No feeds yet: use Add feed or Catalogue", {}}}));
  EXPECT_FALSE(Main().FeedMenu->actions()[0]->isEnabled());
}

TEST_F(FeedMenuTest, ReadingAFeedFillsTheListAndOpeningItemsMarksThemRead) {
  RivoletApp& app = Start();
  server.Serve("/five.xml", Response::Ok(FiveItems()));
  app.feed_list.Append("Five", "Tests", "60", server.Url("/five.xml"));
  Choose(Main(), "Tests", "Five");

  TMainForm& f = Main();
  EXPECT_TRUE(h.desktop.messages.empty());
  EXPECT_EQ(app.session.current_feed_url(), server.Url("/five.xml"));
  ASSERT_EQ(f.main_channels->topLevelItemCount(), 5);
  EXPECT_EQ(f.main_channels->topLevelItem(2)->text(1).toStdString(), "Item 3");
  for (int row = 0; row < 5; ++row) EXPECT_EQ(f.RowMark(row), 0);
  EXPECT_EQ(f.windowTitle().toStdString(), "Rivolet - Five");
  EXPECT_EQ(f.lNewsNo->text().toStdString(), "5");
  EXPECT_EQ(f.lUnreadNo->text().toStdString(), "5");
  EXPECT_FALSE(f.lNewsNoLabel->isHidden());
  EXPECT_FALSE(f.lUnread->isHidden());
  // One row from the left edge of "Total:", with gaps of 1, 5 and 10 pixels.
  const int a = f.lNewsNoLabel->x() + f.lNewsNoLabel->width();
  EXPECT_EQ(f.lNewsNo->x(), a + 1);
  EXPECT_EQ(f.lUnread->x(), a + f.lNewsNo->width() + 5);
  EXPECT_EQ(f.lUnreadNo->x(), a + f.lNewsNo->width() + f.lUnread->width() + 10);

  QTest::keyClick(f.Zakladki, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(f.Zakladki->currentWidget(), f.ChannelsTab);  // no item yet
  // Enter opens the selected item, as Ctrl+D does.
  testing::ShowActive(f);
  f.main_channels->setCurrentItem(f.main_channels->topLevelItem(2));
  f.main_channels->setFocus();
  QTest::keyClick(f.main_channels, Qt::Key_Return);
  EXPECT_EQ(f.RowMark(2), 1);
  EXPECT_EQ(f.lUnreadNo->text().toStdString(), "4");
  EXPECT_EQ(f.session.current_item_index(), 2);
  EXPECT_EQ(f.Zakladki->currentWidget(), f.ViewTab);
  EXPECT_TRUE(f.Zakladki->isTabVisible(1));
  EXPECT_EQ(f.item_title->text().toStdString(), "Item 3");
  EXPECT_EQ(f.item_desc->toPlainText().toStdString(), "Text 3");
  EXPECT_EQ(f.item_date->text().toStdString(), "01.03.2005 12:00:00 GMT");
  EXPECT_EQ(f.item_man->text().toStdString(), "Five");
  OpenRow(f, 2);
  EXPECT_EQ(f.lUnreadNo->text().toStdString(), "4");

  f.Openinbrowser1Click();
  EXPECT_EQ(h.desktop.opened,
            std::vector<std::string>{"https://example.com/3"});

  // A new read: the item tab is gone until one of its items is opened.
  Choose(f, "Tests", "Five");
  ASSERT_EQ(f.main_channels->topLevelItemCount(), 5);
  for (int row = 0; row < 5; ++row) EXPECT_EQ(f.RowMark(row), 0);
  EXPECT_EQ(f.lUnreadNo->text().toStdString(), "5");
  EXPECT_FALSE(f.Zakladki->isTabVisible(1));
  QTest::keyClick(f.Zakladki, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(f.Zakladki->currentWidget(), f.ChannelsTab);
}

TEST_F(FeedMenuTest, AHugeItemShowsItsFirst64KiBAndKeepsTheRest) {
  RivoletApp& app = Start();
  std::string words;
  while (words.size() < 100000) words += "slowo ";
  server.Serve("/huge.xml",
               Response::Ok(Feed("Huge", Item("T" + words, "D" + words))));
  app.feed_list.Append("Huge", "H", "60", server.Url("/huge.xml"));
  Choose(Main(), "H", "Huge");
  TMainForm& f = Main();
  OpenRow(f, 0);
  EXPECT_EQ(f.main_channels->topLevelItem(0)->text(1).size(), 65536);
  // Compared whole, but only sizes are printed when they differ.
  const std::string title = f.item_title->text().toStdString();
  const std::string description = f.item_desc->toPlainText().toStdString();
  EXPECT_TRUE(title == ("T" + words).substr(0, 65536) + "...") << title.size();
  EXPECT_TRUE(description == ("D" + words).substr(0, 65536) + "...")
      << description.size();
  EXPECT_EQ(f.Zakladki->tabText(1).toStdString(),
            ("T" + words).substr(0, 43) + "...");
}

TEST_F(FeedMenuTest, PreformattedTextWrapsAtTheViewsWidth) {
  RivoletApp& app = Start();
  std::string line;
  while (line.size() < 600) line += "int value = compute(value); ";
  server.Serve("/pre.xml",
               Response::Ok(Feed("Pre", Item("Code", "&lt;pre&gt;" + line +
                                                         "&lt;/pre&gt;"))));
  app.feed_list.Append("Pre", "P", "60", server.Url("/pre.xml"));
  Choose(Main(), "P", "Pre");
  TMainForm& f = Main();
  OpenRow(f, 0);
  const QTextDocument* document = f.item_desc->document();
  EXPECT_LE(document->size().width(), f.item_desc->width());
  EXPECT_GT(document->size().height(), 3 * f.item_desc->fontMetrics().height());
  EXPECT_EQ(f.item_desc->height(), std::ceil(document->size().height()));
}

TEST_F(FeedMenuTest, AMenuEntryOpensExactlyItsOwnFeed) {
  RivoletApp& app = Start();
  server.Serve("/news.xml", Response::Ok(Feed("News", Item("n", "d"))));
  server.Serve("/world.xml", Response::Ok(Feed("World News", Item("w", "d"))));
  app.feed_list.Append("News", "All", "60", server.Url("/news.xml"));
  app.feed_list.Append("World News", "All", "60", server.Url("/world.xml"));
  Choose(Main(), "All", "News");
  EXPECT_EQ(Main().windowTitle().toStdString(), "Rivolet - News");
  EXPECT_EQ(server.RequestCount(), 1u);
}

TEST_F(FeedMenuTest, ADownloadErrorReachesTheErrorBoxAndLeavesTheListEmpty) {
  RivoletApp& app = Start();
  server.Serve("/five.xml", Response::Ok(FiveItems()));
  app.feed_list.Append("Five", "T", "60", server.Url("/five.xml"));
  app.feed_list.Append("Gone", "T", "60", server.Url("/gone.xml"));
  Choose(Main(), "T", "Five");
  ASSERT_EQ(Main().main_channels->topLevelItemCount(), 5);
  Choose(Main(), "T", "Gone");
  EXPECT_EQ(h.ErrorTexts(),
            std::vector<std::string>{"HTTP/1.1 404 Not Found."});
  EXPECT_EQ(h.desktop.messages.at(0).caption, "Rivolet");
  EXPECT_EQ(Main().main_channels->topLevelItemCount(), 0);
  EXPECT_EQ(app.session.current_feed_url(), server.Url("/gone.xml"));
}

TEST_F(FeedMenuTest,
       TabCaptionIsCutAfter43CharactersAndAnEmptyDescriptionTakesNoRoom) {
  RivoletApp& app = Start();
  const std::string t43(43, 'a'), t44(44, 'b'), t300(300, 'c');
  server.Serve("/t.xml", Response::Ok(Feed(
                             "T", Item(t43, "desc") + Item(t44, "") +
                                      Item(t300, "x") + Item("A & B", ""))));
  app.feed_list.Append("T", "T", "60", server.Url("/t.xml"));
  Choose(Main(), "T", "T");
  TMainForm& f = Main();
  f.ShowItem(0);
  EXPECT_EQ(f.Zakladki->tabText(1).toStdString(), t43);
  const int title_height = f.item_title->height();
  EXPECT_GT(title_height, 0);
  EXPECT_EQ(f.item_desc->y(), title_height + 5);
  EXPECT_EQ(f.item_date->y(), title_height + f.item_desc->height() + 15);
  EXPECT_EQ(f.item_man->y(), f.item_date->y() + 10);
  EXPECT_EQ(f.item_title->width(), 280);

  f.ShowItem(1);
  EXPECT_EQ(f.Zakladki->tabText(1).toStdString(), std::string(43, 'b') + "...");
  EXPECT_EQ(f.item_desc->toPlainText().toStdString(), "");
  EXPECT_EQ(f.item_date->y(), f.item_title->height() + 15);

  f.ShowItem(2);
  EXPECT_EQ(f.Zakladki->tabText(1).toStdString(), std::string(43, 'c') + "...");
  f.ShowItem(3);
  EXPECT_EQ(f.Zakladki->tabText(1).toStdString(), "A && B");

  // Coming back to the item view fills it again.
  f.Zakladki->setCurrentWidget(f.ChannelsTab);
  f.item_title->setText("stale");
  f.Zakladki->setCurrentWidget(f.ViewTab);
  EXPECT_EQ(f.item_title->text().toStdString(), "A & B");
}

// Each showing lays the item out from its texts alone: a short item after a
// long one looks as it does when shown first.
TEST_F(FeedMenuTest, ItemViewLaysOutEachItemAsIfTheViewWereNew) {
  RivoletApp& app = Start();
  const std::string long_text(900, 'w');
  std::string words;
  for (int i = 0; i < 150; ++i) words += "word ";
  server.Serve("/v.xml",
               Response::Ok(Feed("V", Item(words, words + long_text) +
                                          Item("Short", "Also short"))));
  app.feed_list.Append("V", "V", "60", server.Url("/v.xml"));
  Choose(Main(), "V", "V");
  TMainForm& f = Main();
  auto layout = [&f] {
    return std::vector<QRect>{f.item_title->geometry(), f.item_desc->geometry(),
                              f.item_date->geometry(), f.item_man->geometry()};
  };
  f.ShowItem(1);
  const std::vector<QRect> short_first = layout();
  EXPECT_EQ(f.ItemTextArea->verticalScrollBar()->maximum(), 0);

  // The long item scrolls in its area; the links stay where they are.
  const QRect links = f.labelWiecej->geometry();
  f.ShowItem(0);
  EXPECT_GT(f.ItemTextArea->verticalScrollBar()->maximum(), 0);
  EXPECT_GE(f.labelWiecej->y(), f.ItemTextArea->geometry().bottom());
  EXPECT_GE(f.img_readmore->y(), f.ItemTextArea->geometry().bottom());
  EXPECT_EQ(f.labelWiecej->geometry(), links);

  f.ShowItem(1);
  EXPECT_EQ(layout(), short_first);
  EXPECT_EQ(f.ItemTextArea->verticalScrollBar()->maximum(), 0);
}

TEST_F(FeedMenuTest, ToolbarButtonsGetTheirWholeHeight) {
  Start();
  TMainForm& f = Main();
  f.ToolBar1->layout()->activate();
  for (QToolButton* button :
       {f.ChooseButton, f.AddButton, f.ManagementButton, f.CatalogueButton}) {
    // Shorter, a caption loses the letters that reach below the line.
    EXPECT_GE(button->height(), button->sizeHint().height())
        << button->objectName().toStdString();
  }
}

TEST_F(FeedMenuTest, BothTabsStayInTheTabBarWithALongCaption) {
  RivoletApp& app = Start();
  const std::string title(60, 'M');
  server.Serve("/t.xml", Response::Ok(Feed("T", Item(title, "d"))));
  app.feed_list.Append("T", "T", "60", server.Url("/t.xml"));
  Choose(Main(), "T", "T");
  TMainForm& f = Main();
  f.ShowItem(0);
  EXPECT_EQ(f.Zakladki->tabText(1).toStdString(), std::string(43, 'M') + "...");
  const QTabBar* bar = f.Zakladki->tabBar();
  for (int tab : {0, 1}) {
    EXPECT_TRUE(bar->rect().contains(bar->tabRect(tab))) << tab;
  }
  EXPECT_LE(bar->tabRect(0).right(), bar->tabRect(1).left());
}

TEST_F(FeedMenuTest, ChoosingAFeedShowsItsListEvenFromTheItemView) {
  RivoletApp& app = Start();
  server.Serve("/five.xml", Response::Ok(FiveItems()));
  app.feed_list.Append("Five", "T", "60", server.Url("/five.xml"));
  Choose(Main(), "T", "Five");
  Main().ShowItem(3);
  ASSERT_EQ(Main().Zakladki->currentWidget(), Main().ViewTab);
  Choose(Main(), "T", "Five");
  EXPECT_EQ(Main().Zakladki->currentWidget(), Main().ChannelsTab);
}

TEST_F(FeedMenuTest, OnlyWebLinksAreHandedToTheDesktop) {
  RivoletApp& app = Start();
  server.Serve("/l.xml",
               Response::Ok(Feed(
                   "L", Item("file", "", "file:///etc/passwd") +
                            Item("js", "", "javascript:alert(1)") +
                            Item("web", "", "https://example.com/x?a=1&b=2"))));
  app.feed_list.Append("L", "L", "60", server.Url("/l.xml"));
  Choose(Main(), "L", "L");
  TMainForm& f = Main();
  // Before any item was shown, "Open in browser" opens item 0.
  f.Openinbrowser1Click();
  f.ShowItem(1);
  f.OpenItemLink();
  EXPECT_TRUE(h.desktop.opened.empty());
  f.ShowItem(2);
  f.OpenItemLink();
  EXPECT_EQ(h.desktop.opened,
            std::vector<std::string>{"https://example.com/x?a=1&b=2"});
}

// The window takes the shown reading (whose rules are tested on it): the
// description formatted with its links, and Atom entries.
TEST_F(FeedMenuTest, TheWindowShowsWhatTheFeedWroteAndOpensOnlyWebLinks) {
  RivoletApp& app = Start();
  server.Serve("/u.xml", Response::Ok(Item("\xC3\xA8",
                                           "&lt;a href=\"https://e"
                                           ".org/m\"&gt;more&lt;/a&gt; &lt;a "
                                           "href=\"javascript:f()\"&gt;evil")));
  server.Serve("/a.xml", Response::Ok("<feed><entry><title>E</title><link "
                                      "href=\"https://e.org/e\"/></entry>"));
  app.feed_list.Append("U", "U", "60", server.Url("/u.xml"));
  app.feed_list.Append("A", "U", "60", server.Url("/a.xml"));
  Choose(Main(), "U", "U");
  TMainForm& f = Main();
  OpenRow(f, 0);
  EXPECT_EQ(f.Zakladki->tabText(1), QString::fromUtf8("\xC3\xA8"));
  EXPECT_EQ(f.item_desc->toPlainText(), "more evil");
  QTextCursor more = f.item_desc->document()->find("more");
  more.setPosition(2);
  QTest::mouseClick(f.item_desc->viewport(), Qt::LeftButton, {},
                    f.item_desc->cursorRect(more).center());
  emit f.item_desc->anchorClicked(QUrl("javascript:f()"));
  Choose(f, "U", "A");
  OpenRow(f, 0);
  f.OpenItemLink();
  EXPECT_EQ(h.desktop.opened,
            (std::vector<std::string>{"https://e.org/m", "https://e.org/e"}));
}

TEST_F(FeedMenuTest, AboutFeedDescribesTheFeedFetchedLast) {
  RivoletApp& app = Start();
  server.Serve("/five.xml", Response::Ok(FiveItems()));
  app.feed_list.Append("Five", "T", "60", server.Url("/five.xml"));
  Choose(Main(), "T", "Five");
  Main().AboutFeedClick();
  ASSERT_EQ(h.shown_dialogs.size(), 1u);
  EXPECT_EQ(h.shown_dialogs[0], &app.InformationForm());
  EXPECT_EQ(app.InformationForm().feed_url, server.Url("/five.xml"));
}

TEST_F(FeedMenuTest, HelpAndTheSiteLabelOpenTheHelpPages) {
  RivoletApp& app = Start();
  Main().Help3Click();
  Main().HelpEN1Click();
  // The site label: the help page of the chosen language.
  Main().tarvelsiteClick();
  app.language.current_name = "Polski";
  Main().tarvelsiteClick();
  const std::string en = (app.folders().data / "help.html").string();
  const std::string pl = (app.folders().data / "pomoc.html").string();
  EXPECT_EQ(h.desktop.opened, (std::vector<std::string>{pl, en, en, pl}));
  EXPECT_EQ(Main().tarvelsite->text(), "Rivolet help");
}

TEST_F(FeedMenuTest, LinkLabelsUnderlineWhileTheMouseIsOverThem) {
  Start();
  TMainForm& f = Main();
  for (ClickLabel* label :
       {f.item_title, f.labelWiecej, f.about_feed_l, f.tarvelsite}) {
    const bool bold = label->font().bold();
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(label, &move);
    EXPECT_TRUE(label->font().underline()) << label->objectName().toStdString();
    EXPECT_EQ(label->font().bold(), bold);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(label, &leave);
    EXPECT_FALSE(label->font().underline());
  }
}

}  // namespace
}  // namespace rivolet
