// The Catalogue dialog on the offscreen platform: where it takes the
// catalogue from, what an opening keeps of the last one, the mouse-only
// fields, Add, and the keys. The record grammar and the list rules are tested
// on the core (catalogue_test.cpp).
#include "dialogs/catalogue_form.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/text_bridge.h"
#include "tests/support/loopback_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/ui/recording_desktop.h"

namespace rivolet {
namespace {

using testing::LoopbackServer;
using testing::ReadFileBytes;
using testing::Response;
using testing::TempDir;
using testing::WriteFileBytes;
using Texts = std::vector<std::string>;

HttpClientSettings FastHttp() {
  HttpClientSettings settings;
  settings.connect_timeout = std::chrono::milliseconds(2000);
  settings.idle_timeout = std::chrono::milliseconds(3000);
  return settings;
}

const char kCatalogue[] =
    "<c>Help || rivolet || http://h/help.xml || http://h/</c>\n"
    "<c>News A || News || http://a/rss || http://a/</c>\n"
    "<c>News B || NEWS || http://b/rss || http://b/</c>\n"
    "<c>Blog || Rivolet || http://h/blog.xml || http://h/blog</c>\n";

class CatalogueFormTest : public ::testing::Test {
 protected:
  CatalogueFormTest()
      : scoped_(&desktop),
        form(feeds, PortableFolders(dir.path()), FastHttp()) {}

  // Points rivolet.ini at the server's catalogue, which says `body`.
  void Serve(const std::string& body) {
    server.Serve("/cat.txt", Response::Ok(body));
    WriteFileBytes(dir / "rivolet.ini",
                   "[general]\ncatalogue_url=" + server.Url("/cat.txt") + "\n");
  }

  // Opens the dialog as the main window does (again, when it was open).
  void Open() {
    form.hide();
    form.show();
  }

  Texts Categories() const {
    Texts texts;
    for (int i = 0; i < form.catList->count(); ++i) {
      texts.push_back(FromQt(form.catList->item(i)->text()));
    }
    return texts;
  }
  std::string SelectedCategory() const {
    const auto selected = form.catList->selectedItems();
    return selected.isEmpty() ? "" : FromQt(selected.front()->text());
  }
  // The name column of katalog.
  Texts Rows() const {
    Texts texts;
    for (int row = 0; row < form.katalog->rowCount(); ++row) {
      texts.push_back(FromQt(form.katalog->item(row, 0)->text()));
    }
    return texts;
  }
  Texts Fields() const {
    return {FromQt(form.kat1edit->text()), FromQt(form.kat2edit->text()),
            FromQt(form.kat3edit->text()), FromQt(form.kat4edit->text())};
  }
  void ClickRow(int row) {
    const QRect cell =
        form.katalog->visualRect(form.katalog->model()->index(row, 0));
    QTest::mouseClick(form.katalog->viewport(), Qt::LeftButton, {},
                      cell.center());
  }
  void ClickCategory(int row) {
    QTest::mouseClick(
        form.catList->viewport(), Qt::LeftButton, {},
        form.catList->visualItemRect(form.catList->item(row)).center());
  }
  Texts Notices() const {
    Texts texts;
    for (const auto& m : desktop.messages) texts.push_back(m.text);
    return texts;
  }

  TempDir dir;
  FeedList feeds;
  RecordingDesktop desktop;
  LoopbackServer server;
  ScopedDesktop scoped_;
  TCatalogueForm form;
};

TEST_F(CatalogueFormTest, ServedCatalogueShowsRivoletAndEveryCaseOfACategory) {
  Serve(kCatalogue);
  const std::string settings = ReadFileBytes(dir / "rivolet.ini");
  Open();
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Requests()[0].rfind("GET /cat.txt HTTP/1.1\r\n", 0), 0u);
  EXPECT_EQ(Categories(), (Texts{"News", "rivolet"}));
  EXPECT_EQ(SelectedCategory(), "rivolet");
  EXPECT_EQ(Rows(), (Texts{"Help", "Blog"}));
  ClickCategory(0);
  EXPECT_EQ(Rows(), (Texts{"News A", "News B"}));
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(ReadFileBytes(dir / "rivolet.ini"), settings);
}

TEST_F(CatalogueFormTest, ShippedFileWithoutAnAddressInTheSettings) {
  std::filesystem::copy_file(RIVOLET_SOURCE_DIR "/resources/rss_pl.txt",
                             dir / "rss_pl.txt");
  Open();
  std::vector<std::string> expected;
  MergeCategories(expected, ParseCatalogue(ReadFileBytes(dir / "rss_pl.txt")));
  EXPECT_EQ(Categories(), expected);
  EXPECT_EQ(form.entries().size(),
            ParseCatalogue(ReadFileBytes(dir / "rss_pl.txt")).size());
  EXPECT_EQ(server.RequestCount(), 0u);
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(CatalogueFormTest, FailureSaysNoConnectionAndKeepsTheCategories) {
  Serve(kCatalogue);
  Open();
  ClickRow(0);
  const Texts fields = Fields();
  EXPECT_EQ(fields,
            (Texts{"Help", "rivolet", "http://h/help.xml", "http://h/"}));

  server.Serve("/cat.txt", Response::Status("HTTP/1.1 404 Not Found"));
  Open();
  // No settings address and no shipped file.
  std::filesystem::remove(dir / "rivolet.ini");
  Open();
  ASSERT_EQ(desktop.messages.size(), 2u);
  for (const auto& m : desktop.messages) {
    EXPECT_EQ(m.kind, MessageKind::kWarning);
    EXPECT_EQ(m.text, "No connection.");
    EXPECT_EQ(m.caption, "Rivolet");
  }
  EXPECT_EQ(Categories(), (Texts{"News", "rivolet"}));
  EXPECT_EQ(SelectedCategory(), "rivolet");
  EXPECT_TRUE(Rows().empty());
  EXPECT_TRUE(form.entries().empty());
  EXPECT_EQ(Fields(), fields);
}

TEST_F(CatalogueFormTest, AddTakesTheFieldsThatOnlyTheMouseFills) {
  Serve(kCatalogue);
  Open();
  QSignalSpy changes(&form, &TCatalogueForm::feedListChanged);
  QTest::mouseClick(form.catAdd, Qt::LeftButton);  // no row selected
  EXPECT_TRUE(desktop.messages.empty());

  ClickRow(1);
  QTest::mouseClick(form.catAdd, Qt::LeftButton);
  QTest::mouseClick(form.catAdd, Qt::LeftButton);
  // The keys move the selection; the fields still show "Blog".
  form.katalog->setFocus();
  QTest::keyClick(form.katalog, Qt::Key_Up);
  EXPECT_EQ(form.katalog->currentRow(), 0);
  EXPECT_EQ(FromQt(form.kat1edit->text()), "Blog");
  QTest::mouseClick(form.catAdd, Qt::LeftButton);

  EXPECT_EQ(Notices(),
            (Texts{"Done", kFeedAlreadyAddedText, kFeedAlreadyAddedText}));
  for (const auto& m : desktop.messages) {
    EXPECT_EQ(m.kind, MessageKind::kInformation);
  }
  ASSERT_EQ(feeds.Count(), 1u);
  EXPECT_EQ(changes.count(), 1);
  EXPECT_EQ(feeds.Entry(0).name, "Blog");
  EXPECT_EQ(feeds.Entry(0).fields, (Texts{"Rivolet", "", "http://h/blog.xml"}));
  EXPECT_TRUE(form.isVisible());
}

TEST_F(CatalogueFormTest, LayoutFieldsAndKeys) {
  EXPECT_EQ(form.windowTitle(), "Catalogue");
  EXPECT_EQ(form.size(), QSize(539, 493));
  struct Placed {
    const char* name;
    QRect at;  // width and height 0: not checked
  };
  for (const Placed& p : {
           Placed{"catCat", {8, 8, 0, 0}},
           Placed{"catFeeds", {168, 8, 0, 0}},
           Placed{"catList", {8, 24, 151, 302}},
           Placed{"katalog", {168, 24, 367, 302}},
           Placed{"catView", {8, 334, 528, 123}},
           Placed{"kat1", {8, 5, 0, 0}},
           Placed{"kat1edit", {8, 21, 245, 21}},
           Placed{"kat2", {8, 48, 0, 0}},
           Placed{"kat2edit", {8, 64, 245, 21}},
           Placed{"kat3", {264, 5, 0, 0}},
           Placed{"kat3edit", {264, 21, 245, 21}},
           Placed{"kat4", {264, 48, 0, 0}},
           Placed{"kat4edit", {264, 64, 245, 21}},
           Placed{"catAdd", {368, 462, 80, 25}},
           Placed{"CatClose", {452, 462, 80, 25}},
       }) {
    const QWidget* w = form.findChild<QWidget*>(p.name);
    ASSERT_NE(w, nullptr) << p.name;
    EXPECT_EQ(w->pos(), p.at.topLeft()) << p.name;
    if (p.at.width() > 0) {
      EXPECT_EQ(w->size(), p.at.size()) << p.name;
    }
  }
  Texts columns;
  for (int c = 0; c < form.katalog->columnCount(); ++c) {
    columns.push_back(FromQt(form.katalog->horizontalHeaderItem(c)->text()) +
                      " " + std::to_string(form.katalog->columnWidth(c)));
  }
  EXPECT_EQ(columns,
            (Texts{"Feed Name 240", "Category 150", "Feed URL 80", "URL 50"}));
  EXPECT_EQ(form.catView->tabText(0), "Feed");
  EXPECT_EQ(form.Catalogues->objectName(), "Catalogues");
  EXPECT_TRUE(form.kat3edit->isReadOnly());
  EXPECT_EQ(form.CatClose->cursor().shape(), Qt::PointingHandCursor);

  // Tab order of the named components.
  Texts order;
  QWidget* w = form.katalog;
  do {
    const std::string name = w->objectName().toStdString();
    if (name == "katalog" || name == "CatClose" || name == "catView" ||
        name == "catList" || name == "catAdd") {
      order.push_back(name);
    }
    w = w->nextInFocusChain();
  } while (w != form.katalog);
  EXPECT_EQ(order,
            (Texts{"katalog", "CatClose", "catView", "catList", "catAdd"}));

  Serve(kCatalogue);
  Open();
  ClickRow(0);
  // A click on a field selects its whole text.
  QTest::mouseClick(form.kat3edit, Qt::LeftButton);
  EXPECT_EQ(form.kat3edit->selectedText(), "http://h/help.xml");
  // Enter presses Add while it has the focus, Close anywhere else.
  form.catAdd->setFocus();
  QTest::keyClick(form.catAdd, Qt::Key_Return);
  EXPECT_EQ(Notices(), Texts{"Done"});
  EXPECT_TRUE(form.isVisible());
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_TRUE(form.isVisible());
  form.katalog->setFocus();
  QTest::keyClick(form.katalog, Qt::Key_Return);
  EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace rivolet
