// Language files in the whole program: the Languages menu, the start-up
// language and its saving at close, a choice applied to the main window, the
// dialogs reading the file again at each showing, and the two shipped files.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <filesystem>
#include <map>
#include <set>

#include "dialogs/catalogue_form.h"
#include "dialogs/import_period_form.h"
#include "dialogs/information_form.h"
#include "dialogs/management_form.h"
#include "dialogs/new_feed_form.h"
#include "dialogs/options_form.h"
#include "platform/text_bridge.h"
#include "settings/language_apply.h"
#include "tests/support/ui/app_harness.h"
#include "widgets/link_label.h"

namespace rivolet {
namespace {

using testing::AppHarness;

const std::filesystem::path kShipped =
    std::filesystem::path(RIVOLET_SOURCE_DIR) / "resources" / "languages";

class LanguageTest : public ::testing::Test {
 protected:
  void AddLanguage(const std::string& file, const std::string& text) {
    std::filesystem::create_directories(h.dir.path() / "languages");
    testing::WriteFileBytes(h.dir.path() / "languages" / file, text);
  }
  void Ship(const std::string& file) {
    std::filesystem::create_directories(h.dir.path() / "languages");
    std::filesystem::copy_file(kShipped / file,
                               h.dir.path() / "languages" / file);
  }
  std::vector<std::string> MenuCaptions() {
    std::vector<std::string> captions;
    for (QAction* item : h.Main().Languages1->actions())
      captions.push_back(FromQt(item->text()));
    return captions;
  }
  QAction* MenuItem(const std::string& caption) {
    for (QAction* item : h.Main().Languages1->actions())
      if (FromQt(item->text()) == caption) return item;
    return nullptr;
  }
  std::string LanguageDat() {
    const auto file = h.dir.path() / "language.dat";
    return std::filesystem::exists(file) ? testing::ReadFileBytes(file)
                                         : "(none)";
  }
  AppHarness h;
};

TEST_F(LanguageTest, WithoutLanguageDatEnglishIsAppliedAndSavedAtClose) {
  AddLanguage("en.lng", "RivoletLanguage=English\r\nChooseButton=Pick\r\n");
  AddLanguage("uk.lng", "RivoletLanguage=English (UK)\r\nChooseButton=UK\r\n");
  h.Start();
  EXPECT_EQ(MenuCaptions(),
            (std::vector<std::string>{"English", "English (UK)"}));
  // The menu shows the language in use.
  EXPECT_TRUE(MenuItem("English")->isChecked());
  EXPECT_FALSE(MenuItem("English (UK)")->isChecked());
  EXPECT_EQ(h.Main().ChooseButton->text(), "Pick");
  ASSERT_TRUE(h.Close());
  EXPECT_EQ(LanguageDat(), "English");
}

TEST_F(LanguageTest, ANameNoFileHasChangesNothingAndIsWrittenBack) {
  AddLanguage("en.lng", "RivoletLanguage=English\r\nChooseButton=Pick\r\n");
  testing::WriteFileBytes(h.dir.path() / "language.dat", "  Klingon\r\n");
  h.Start();
  EXPECT_EQ(h.Main().ChooseButton->text(), "Choose feed");
  h.app->NewForm().show();
  EXPECT_EQ(h.app->NewForm().Label3NF->text(), "URL");
  ASSERT_TRUE(h.Close());
  EXPECT_EQ(LanguageDat(), "Klingon");
}

TEST_F(LanguageTest, AFileWithoutMarkerEmptiesTheNameSoLanguageDatStays) {
  AddLanguage("a.lng", "ChooseButton=Nameless\r\n");
  testing::WriteFileBytes(h.dir.path() / "language.dat", "Polski");
  h.Start();
  ASSERT_EQ(MenuCaptions(), std::vector<std::string>{""});
  h.Main().LanguageItemClick(MenuItem(""));
  EXPECT_TRUE(MenuItem("")->isChecked());
  EXPECT_EQ(h.Main().ChooseButton->text(), "Choose feed");
  ASSERT_TRUE(h.Close());
  EXPECT_EQ(LanguageDat(), "Polski");
}

TEST_F(LanguageTest, AChoiceKeepsTextsTheNewFileDoesNotName) {
  Ship("Polski.lng");
  AddLanguage("z.lng", "RivoletLanguage=Other\r\nChooseButton=Other\r\n");
  h.Start();
  TMainForm& f = h.Main();
  std::string feed = "<rss><channel><title>T</title>";
  for (int i = 0; i < 55; ++i) feed += "<item><title>I</title></item>";
  f.ShowFeedReading("http://a.example/",
                    ReadShownFeed(feed + "</channel></rss>"));
  h.Main().LanguageItemClick(MenuItem("Polski"));
  EXPECT_EQ(FromQt(h.Main().labelWiecej->text()),
            "Wi\xEA"
            "cej...");
  const int a = f.lNewsNoLabel->x() + f.lNewsNoLabel->width();
  EXPECT_EQ(f.lNewsNo->x(), a + 1);
  EXPECT_EQ(f.lUnread->x(), a + f.lNewsNo->width() + 5);
  EXPECT_EQ(f.lUnreadNo->x(), a + f.lNewsNo->width() + f.lUnread->width() + 10);
  EXPECT_EQ(FromQt(f.EmptyListNote->text()),
            "Nie ma jeszcze kana\xB3\xF3w: u\xBFyj Dodaj kana\xB3 lub Katalog");
  h.Main().LanguageItemClick(MenuItem("Other"));
  EXPECT_EQ(h.Main().ChooseButton->text(), "Other");
  EXPECT_EQ(FromQt(h.Main().labelWiecej->text()),
            "Wi\xEA"
            "cej...");
  ASSERT_TRUE(h.Close());
  EXPECT_EQ(LanguageDat(), "Other");
}

// A file older than some entries names only the others: those it leaves
// alone move their keys off the letters it takes.
TEST_F(LanguageTest, EntriesAFileDoesNotNameGiveUpItsKeys) {
  AddLanguage("old.lng",
              "RivoletLanguage=English\r\nN2=&Xopts\r\nExit1=&Exit\r\n");
  h.Start();
  EXPECT_EQ(h.Main().ExportOpml1->text(), "Ex&port OPML...");
}

TEST_F(LanguageTest, DialogsTakeTheFileAtEachShowingAndAKeyReachesEveryWindow) {
  AddLanguage("x.lng",
              "RivoletLanguage=X\r\nEdit1=7\r\nwarning2=Pick one\r\n"
              "DoneWarning=Fine\r\n");
  testing::WriteFileBytes(h.dir.path() / "language.dat", "X");
  h.Start();
  h.app->OptionsForm().show();
  h.app->ManagementForm().show();
  EXPECT_EQ(h.app->OptionsForm().Edit1->text(), "7");
  EXPECT_EQ(h.app->ManagementForm().Edit1->text(), "7");
  EXPECT_EQ(h.app->ManagementForm().select_feed_text, "Pick one");
  // The management list's columns have no keys in this file: no captions.
  EXPECT_EQ(
      h.app->ManagementForm().ManageRssList->horizontalHeaderItem(0)->text(),
      "");

  // A file deleted while the program runs: the dialog reports it and skips
  // the rest of its showing (the Catalogue reads no catalogue).
  std::filesystem::remove(h.dir.path() / "languages" / "x.lng");
  h.app->CatalogueForm().show();
  EXPECT_EQ(h.ErrorTexts(),
            std::vector<std::string>{
                "Cannot open file " +
                (h.dir.path() / "languages" / "x.lng").string() + "."});
  EXPECT_EQ(h.desktop.messages.size(), 1u);  // no "No connection."
}

// Every text a window shows by a component's name, and its title.
std::map<std::string, std::string> Texts(QWidget* window) {
  std::map<std::string, std::string> texts{
      {"(title)", FromQt(window->windowTitle())}};
  for (QObject* child : window->findChildren<QObject*>()) {
    const std::string name = child->objectName().toStdString();
    if (name.empty()) continue;
    if (auto* action = qobject_cast<QAction*>(child)) {
      texts[name] = FromQt(action->text());
    } else if (auto* menu = qobject_cast<QMenu*>(child)) {
      texts[name] = FromQt(menu->title());
    } else if (auto* button = qobject_cast<QAbstractButton*>(child)) {
      texts[name] = FromQt(button->text());
    } else if (auto* label = qobject_cast<QLabel*>(child)) {
      texts[name] = FromQt(label->text());
    } else if (auto* tabs = qobject_cast<QTabWidget*>(child)) {
      for (int i = 0; i < tabs->count(); ++i)
        texts[name + "/" + std::to_string(i)] = FromQt(tabs->tabText(i));
    } else if (auto* table = qobject_cast<QTableWidget*>(child)) {
      for (int i = 0; i < table->columnCount(); ++i) {
        const QTableWidgetItem* item = table->horizontalHeaderItem(i);
        texts[name + "/" + std::to_string(i)] =
            item ? FromQt(item->text()) : "";
      }
    }
  }
  return texts;
}

TEST_F(LanguageTest, ShippedFilesNameOnlyRealKeysAndEnglishIsTheBuiltInText) {
  h.Start();
  RivoletApp& app = *h.app;
  struct Window {
    QWidget* widget;
    const WindowLanguageKeys& keys;
    std::function<void(int, const QString&)> columns;
  };
  const std::vector<Window> windows = {
      {&app.MainForm(), MainFormLanguageKeys(), {}},
      {&app.NewForm(), NewFormLanguageKeys(), {}},
      {&app.ManagementForm(), ManagementFormLanguageKeys(),
       TableColumns(app.ManagementForm().ManageRssList)},
      {&app.OptionsForm(), OptionsFormLanguageKeys(), {}},
      {&app.CatalogueForm(), CatalogueFormLanguageKeys(),
       TableColumns(app.CatalogueForm().katalog)},
      {&app.InformationForm(), InformationFormLanguageKeys(), {}},
      {&app.ImportPeriodForm(), ImportPeriodFormLanguageKeys(), {}},
  };
  std::set<std::string> known = {"rivoletlanguage"};
  for (const Window& w : windows) {
    for (QObject* child : w.widget->findChildren<QObject*>())
      known.insert(child->objectName().toLower().toStdString());
    known.insert(
        QString::fromStdString(w.keys.caption_key).toLower().toStdString());
    for (const std::string& key : w.keys.message_keys)
      known.insert(QString::fromStdString(key).toLower().toStdString());
    for (int i = 0; i < w.keys.column_count; ++i)
      known.insert(QString::fromStdString(ColumnKey(w.keys.column_list, i))
                       .toLower()
                       .toStdString());
  }
  for (const char* file : {"English.lng", "Polski.lng"}) {
    const LanguageLines lines = ReadLanguageFile(kShipped / file);
    EXPECT_GT(lines.size(), 90u) << file;
    for (const LanguageLine& line : lines) {
      EXPECT_TRUE(known.count(ToQt(line.name).toLower().toStdString()))
          << file << ": " << line.name;
    }
  }
  const LanguageLines english = ReadLanguageFile(kShipped / "English.lng");
  EXPECT_EQ(LanguageDisplayName(english), "English");
  EXPECT_EQ(LanguageDisplayName(ReadLanguageFile(kShipped / "Polski.lng")),
            "Polski");
  for (const Window& w : windows) {
    const auto before = Texts(w.widget);
    ApplyLanguageLines({w.widget, w.columns}, english, w.keys);
    EXPECT_EQ(Texts(w.widget), before) << w.widget->objectName().toStdString();
  }
}

}  // namespace
}  // namespace rivolet
