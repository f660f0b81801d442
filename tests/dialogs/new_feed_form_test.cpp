// The New Feed dialog on the offscreen platform: its layout, the period
// field's key rule through real key events, Read against a loopback server,
// and OK. The rules themselves are tested on the core (new_feed_test.cpp).
#include "dialogs/new_feed_form.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "platform/text_bridge.h"
#include "tests/support/loopback_server.h"
#include "tests/support/ui/app_harness.h"
#include "tests/support/ui/window_checks.h"
#include "widgets/keys.h"

namespace rivolet {
namespace {

using testing::AppHarness;
using testing::LoopbackServer;
using testing::Response;

class NewFeedFormTest : public ::testing::Test {
 protected:
  NewFeedFormTest() : scoped_(&desktop), form(list, AppHarness::FastHttp()) {
    list.Append("World News", "News", "60", "http://example.org/world.xml");
  }

  void Open() { testing::ShowActive(form); }

  RecordingDesktop desktop;
  ScopedDesktop scoped_;
  FeedList list;
  TNewForm form;
  LoopbackServer server;
};

TEST_F(NewFeedFormTest, LayoutLimitsTabOrderAndKeys) {
  EXPECT_EQ(form.windowTitle(), "New Feed");
  EXPECT_EQ(form.size(), QSize(465, 300));
  EXPECT_EQ(form.new_feed_label->font().pixelSize(), 13);
  const std::vector<testing::Placed> placed = {
      {"new_feed_label", {128, 8, 0, 0}},
      {"Label3NF", {128, 48, 0, 0}},
      {"UrlEdit", {128, 64, 313, 0}},
      {"Label5NF", {128, 96, 0, 0}},
      {"CategoryEdit", {129, 112, 313, 0}},
      {"Label2NF", {128, 144, 0, 0}},
      {"FeedNameEdit", {128, 160, 225, 0}},
      {"ReadButtonNF", {360, 160, 82, 21}},
      {"Label4NF", {128, 192, 0, 0}},
      {"UpdateEdit", {128, 208, 97, 0}},
      {"Label6NF", {232, 211, 0, 0}},
      {"Button2NF", {294, 268, 80, 25}},
      {"Button1NF", {377, 268, 80, 25}},
  };
  testing::ExpectPlaced(form, placed);
  for (QPushButton* button :
       {form.ReadButtonNF, form.Button2NF, form.Button1NF}) {
    EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
  }
  EXPECT_EQ(form.CategoryEdit->maxLength(), 100);
  EXPECT_EQ(form.FeedNameEdit->maxLength(), 100);
  EXPECT_EQ(form.UpdateEdit->maxLength(), 5);

  Open();
  std::vector<QWidget*> order = {QApplication::focusWidget()};
  while (order.size() < 8) {
    QTest::keyClick(order.back(), Qt::Key_Tab);
    order.push_back(QApplication::focusWidget());
  }
  EXPECT_EQ(order, (std::vector<QWidget*>{form.UrlEdit, form.FeedNameEdit,
                                          form.UpdateEdit, form.Button1NF,
                                          form.Button2NF, form.CategoryEdit,
                                          form.ReadButtonNF, form.UrlEdit}));

  // Escape leaves the dialog open; Enter in a field presses OK.
  QTest::keyClick(form.UrlEdit, Qt::Key_Escape);
  EXPECT_TRUE(form.isVisible());
  QTest::keyClicks(form.UrlEdit, "http://a.example/");
  QTest::keyClick(form.UrlEdit, Qt::Key_Return);
  EXPECT_FALSE(form.isVisible());
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(list.Entry(1).Url(), "http://a.example/");
}

TEST_F(NewFeedFormTest, OpeningEmptiesAllButTheCategory) {
  EXPECT_EQ(form.UpdateEdit->text(), "60");
  form.CategoryEdit->setText("Kultura");
  form.FeedNameEdit->setText("Gazeta");
  form.UrlEdit->setText("http://g.example/");
  Open();
  EXPECT_EQ(form.UpdateEdit->text(), "");
  EXPECT_EQ(form.FeedNameEdit->text(), "");
  EXPECT_EQ(form.UrlEdit->text(), "");
  EXPECT_EQ(form.CategoryEdit->text(), "Kultura");
}

TEST_F(NewFeedFormTest, PeriodFieldKeepsOnlyMainDigitsAndBackspace) {
  Open();
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* left;
  } cases[] = {
      {Qt::Key_Shift, Qt::ShiftModifier, ""},
      {Qt::Key_Control, Qt::ControlModifier, ""},
      {Qt::Key_5, Qt::KeypadModifier, ""},
      {Qt::Key_Delete, Qt::NoModifier, ""},
      {Qt::Key_V, Qt::ControlModifier, ""},  // Ctrl+V
      {Qt::Key_1, Qt::NoModifier, "601"},
      {Qt::Key_Backspace, Qt::NoModifier, "6"},
  };
  for (const Case& c : cases) {
    form.UpdateEdit->setText("60");
    QTest::keyClick(form.UpdateEdit, c.key, c.modifiers);
    EXPECT_EQ(form.UpdateEdit->text().toStdString(), c.left) << c.key;
  }
  // Tab is released in the field it has just moved to.
  form.UpdateEdit->setText("60");
  form.FeedNameEdit->setFocus();
  QTest::keyPress(form.FeedNameEdit, Qt::Key_Tab);
  QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_TRUE(form.UpdateEdit->hasFocus());
  EXPECT_EQ(form.UpdateEdit->text(), "");
}

TEST_F(NewFeedFormTest, ReadFillsTheNameOrReportsAConnectionError) {
  Open();
  form.FeedNameEdit->setText("Mine");
  form.UrlEdit->setText(ToQt(server.Url("/missing.xml")));
  QTest::mouseClick(form.ReadButtonNF, Qt::LeftButton);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].kind, MessageKind::kInformation);
  EXPECT_EQ(desktop.messages[0].text, "Connection error");
  EXPECT_EQ(desktop.messages[0].caption, "Rivolet");
  EXPECT_EQ(form.FeedNameEdit->text(), "Mine");

  server.Serve("/feed.xml",
               Response::Ok("<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                            "<rss><channel><title>Wiadomo\xC5\x9B\x63i &amp; "
                            "Kultura</title></channel></rss>"));
  form.UrlEdit->setText(ToQt(server.Url("/feed.xml")));
  QTest::mouseClick(form.ReadButtonNF, Qt::LeftButton);
  EXPECT_EQ(FromQt(form.FeedNameEdit->text()), "Wiadomo\x9C\x63i & Kultura");
  EXPECT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(server.RequestCount(), 2u);

  const std::string long_title(150, 'T');  // the limit is for typing only
  server.Serve("/feed.xml", Response::Ok("<title>" + long_title + "</title>"));
  QTest::mouseClick(form.ReadButtonNF, Qt::LeftButton);
  EXPECT_EQ(FromQt(form.FeedNameEdit->text()), long_title);
  QTest::keyClicks(form.FeedNameEdit, "x");
  EXPECT_EQ(form.FeedNameEdit->text().size(), 150);  // nor lengthened
  form.FormShow();
  EXPECT_EQ(form.FeedNameEdit->maxLength(), 100);  // once emptied
}

TEST_F(NewFeedFormTest, OkRefusesWhatCannotBeReadOrIsThereAndStaysOpen) {
  Open();
  form.FeedNameEdit->setText("News");
  form.CategoryEdit->setText("  ");
  QTest::keyClick(form.UrlEdit, Qt::Key_Return);  // no address yet
  form.UrlEdit->setText("http://other.example/");
  QTest::mouseClick(form.Button2NF, Qt::LeftButton);
  ASSERT_EQ(desktop.messages.size(), 2u);
  EXPECT_EQ(desktop.messages[0].kind, MessageKind::kInformation);
  EXPECT_EQ(desktop.messages[0].text, "Not an absolute web address: ");
  EXPECT_EQ(desktop.messages[1].text,
            "This feed has been already added. Check Feeds' Management.");
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.CategoryEdit->text(), "No Name");
  EXPECT_EQ(list.Count(), 1u);

  form.FeedNameEdit->setText("Gazeta Wyborcza");
  QTest::mouseClick(form.Button1NF, Qt::LeftButton);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(list.Count(), 1u);
}

}  // namespace
}  // namespace rivolet
