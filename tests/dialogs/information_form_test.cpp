// The About Feed dialog on the offscreen platform: it downloads the feed from
// a loopback server each time it is shown and fills its fields. What it reads
// out of a document is tested on its core (feed_information_test.cpp).
#include "dialogs/information_form.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "platform/text_bridge.h"
#include "tests/support/loopback_server.h"
#include "tests/support/ui/recording_desktop.h"
#include "widgets/link_label.h"

namespace rivolet {
namespace {

using testing::LoopbackServer;
using testing::Response;

HttpClientSettings FastHttp() {
  HttpClientSettings settings;
  settings.connect_timeout = std::chrono::milliseconds(2000);
  settings.idle_timeout = std::chrono::milliseconds(3000);
  return settings;
}

class InformationFormTest : public ::testing::Test {
 protected:
  InformationFormTest() : scoped_(&desktop), form(FastHttp()) {}

  // Opens the dialog on `target` of the server, as the main window does.
  void Open(const std::string& target) {
    form.feed_url = server.Url(target);
    form.show();
  }

  // Every value the dialog shows, as Windows-1250 bytes, in the order title,
  // link, feed URL, description, copyright, language, last build date.
  std::vector<std::string> Shown() const {
    return {FromQt(form.infTitle->text()), FromQt(form.LinkEdit->text()),
            FromQt(form.URLEdit->text()),  FromQt(form.DescBox->toPlainText()),
            FromQt(form.cops->text()),     FromQt(form.EditLang->text()),
            FromQt(form.edit_last->text())};
  }

  RecordingDesktop desktop;
  LoopbackServer server;
  ScopedDesktop scoped_;
  TInformationForm form;
};

const char kRss2[] =
    "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n"
    "<rss version=\"2.0\"><channel>\n"
    "<title>Kronika</title>\n"
    "<link>https://kronika.example/</link>\n"
    "<description>Wie\x9C\xE6 &#322;&#243;dzka</description>\n"
    "<copyright>&#169; 2024 Kronika</copyright>\n"
    "<language>pl</language>\n"
    "<lastBuildDate>Tue, 02 Jan 2024 10:00:00 +0100</lastBuildDate>\n"
    "<item><title>First</title><link>https://kronika.example/1</link></item>\n"
    "</channel></rss>\n";

TEST_F(InformationFormTest, Rss2ChannelFillsEveryField) {
  server.Serve("/feed.xml", Response::Ok(kRss2));
  Open("/feed.xml");
  EXPECT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(Shown(),
            (std::vector<std::string>{
                "Kronika", "https://kronika.example/", server.Url("/feed.xml"),
                "Wie\x9C\xE6 \xB3\xF3"
                "dzka",
                "\xA9 2024 Kronika", "pl", "Tue, 02 Jan 2024 10:00:00 +0100"}));
  EXPECT_EQ(form.link(), "https://kronika.example/");
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(InformationFormTest, FailedDownloadReportsAndKeepsThePreviousValues) {
  // The first opening fails: the dialog still shows its initial texts.
  Open("/missing");
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].kind, MessageKind::kError);
  EXPECT_EQ(desktop.messages[0].text, "HTTP/1.1 404 Not Found.");
  EXPECT_EQ(desktop.messages[0].caption, "Rivolet");
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(Shown(),
            (std::vector<std::string>{"infTitle", "", "", "", "", "", ""}));

  form.hide();
  server.Serve("/feed.xml", Response::Ok(kRss2));
  Open("/feed.xml");
  EXPECT_FALSE(form.ReadFromAddress->isVisible());
  form.hide();
  // A moved feed: its own address above, where it was read from below.
  server.Serve("/old.xml", Response::Status("HTTP/1.1 301 Moved Permanently")
                               .Header("Location", "/feed.xml"));
  Open("/old.xml");
  const std::vector<std::string> good = Shown();
  EXPECT_EQ(good[2], server.Url("/old.xml"));
  EXPECT_EQ(FromQt(form.ReadFromAddress->text()), server.Url("/feed.xml"));
  form.hide();

  // Another address, so the feed URL field is seen to keep the old one.
  server.Serve("/gone.xml", Response::Status("HTTP/1.1 404 Not Found", "gone"));
  Open("/gone.xml");
  ASSERT_EQ(desktop.messages.size(), 2u);
  EXPECT_EQ(desktop.messages[1].text, "HTTP/1.1 404 Not Found.");
  EXPECT_EQ(Shown(), good);
  EXPECT_EQ(form.link(), "https://kronika.example/");
}

TEST_F(InformationFormTest, TitleClickOpensOnlyWebLinks) {
  struct Case {
    const char* link;
    std::vector<std::string> opened;
  };
  const std::vector<Case> cases = {
      {"file:///etc/passwd", {}},
      {"https://kronika.example/a?b=1", {"https://kronika.example/a?b=1"}},
  };
  for (const Case& c : cases) {
    desktop.opened.clear();
    server.Serve("/feed.xml",
                 Response::Ok(std::string("<title>T</title><link>") + c.link +
                              "</link>"));
    Open("/feed.xml");
    QTest::mouseClick(form.infTitle, Qt::LeftButton);
    EXPECT_EQ(desktop.opened, c.opened) << c.link;
    form.hide();
  }
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(InformationFormTest, LayoutNamesAndKeys) {
  EXPECT_EQ(form.windowTitle(), "About Feed");
  EXPECT_EQ(form.size(), QSize(398, 388));
  EXPECT_TRUE(form.infTitle->font().bold());
  EXPECT_EQ(form.infTitle->font().pixelSize(), 13);
  EXPECT_EQ(form.infTitle->textFormat(), Qt::PlainText);
  struct Placed {
    const char* name;
    QPoint at;
  };
  for (const Placed& p :
       {Placed{"infTitle", {128, 8}}, Placed{"infLink", {128, 40}},
        Placed{"LinkEdit", {128, 56}}, Placed{"infUR", {128, 88}},
        Placed{"URLEdit", {128, 104}}, Placed{"infDesc", {128, 136}},
        Placed{"DescBox", {128, 152}}, Placed{"infCops", {128, 210}},
        Placed{"cops", {128, 226}}, Placed{"infLang", {128, 256}},
        Placed{"EditLang", {128, 272}}, Placed{"inf_last", {128, 304}},
        Placed{"edit_last", {128, 320}}, Placed{"CloseInf", {312, 357}}}) {
    const QWidget* widget = form.findChild<QWidget*>(p.name);
    ASSERT_NE(widget, nullptr) << p.name;
    EXPECT_EQ(widget->pos(), p.at) << p.name;
  }
  EXPECT_EQ(form.DescBox->size(), QSize(265, 49));

  // Escape does not close the dialog; Enter presses Close.
  server.Serve("/feed.xml", Response::Ok(kRss2));
  Open("/feed.xml");
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_TRUE(form.isVisible());
  QTest::keyClick(form.URLEdit, Qt::Key_Return);
  EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace rivolet
