// The main window's life: what it loads when made and first shown, and what
// it saves when it closes.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <csignal>
#include <filesystem>
#include <vector>

#include "dialogs/catalogue_form.h"
#include "dialogs/import_period_form.h"
#include "dialogs/management_form.h"
#include "dialogs/new_feed_form.h"
#include "feeds/feed_stream.h"
#include "feeds/opml.h"
#include "tests/support/ui/app_harness.h"
#include "widgets/keys.h"

namespace rivolet {
namespace {

using testing::AppHarness;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

FeedList ThreeFeeds() {
  FeedList list;
  list.Append("News", "General", "60", "http://example.com/news.xml");
  list.Append("Za\xBF\xF3\xB3\xE6", "Polska", "15",
              "http://example.com/pl.xml");
  list.Append("Tech", "tech", "", "https://example.com/tech.rss?x=1");
  return list;
}

TEST(MainFormLife, FirstStartInEmptyFolderSavesAnEmptyListAndIsCentred) {
  AppHarness h;
  h.Start();
  EXPECT_EQ(h.Main().windowTitle().toStdString(), "Rivolet");
  EXPECT_EQ(h.app->feed_list.Count(), 0u);
  const QSize size = h.Main().sizeHint();
  EXPECT_EQ(h.Main().pos(),
            QPoint((1024 - size.width()) / 2, (768 - size.height()) / 2));
  EXPECT_EQ(h.Main().centralWidget()->size(), QSize(312, 430));
  // Once the window is on the screen.
  ASSERT_TRUE(QTest::qWaitFor([&] { return h.Main().RegistrationDone(); }));
  ASSERT_EQ(h.desktop.registrations.size(), 1u);
  EXPECT_EQ(h.desktop.registrations[0], h.dir.path() / "rivolet");

  WriteFileBytes(h.dir / "temp.xml", "left over");
  ASSERT_TRUE(h.Close());
  const std::string saved = ReadFileBytes(h.dir / "feeds.che");
  EXPECT_EQ(saved, WriteFeedFile(FeedList(), FeedListControl()));
  EXPECT_EQ(saved.find("Items.Data"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(h.dir / "temp.xml"));
  for (const auto& entry : std::filesystem::directory_iterator(h.dir.path()))
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
  EXPECT_TRUE(h.desktop.messages.empty());
}

TEST(MainFormLife, StoredListIsLoadedAndWrittenBackByteForByte) {
  AppHarness h;
  const std::string stored = WriteFeedFile(ThreeFeeds(), FeedListControl());
  WriteFileBytes(h.dir / "feeds.che", stored);
  h.Start();
  ASSERT_EQ(h.app->feed_list.Count(), 3u);
  EXPECT_EQ(h.app->feed_list.Entry(1).name, "Za\xBF\xF3\xB3\xE6");
  ASSERT_TRUE(h.Close());
  EXPECT_EQ(ReadFileBytes(h.dir / "feeds.che"), stored);
  EXPECT_FALSE(std::filesystem::exists(h.dir / "feeds.che.bak"));
}

TEST(MainFormLife, TheStartRemovesOnlyTheTemporaryFilesOfItsOwnSaves) {
  AppHarness h;
  const std::vector<std::string> ours = {"feeds.che.a1B2c3.tmp",
                                         "rivolet.ini.Zz9999.tmp",
                                         "language.dat.q0q0q0.tmp"};
  const std::vector<std::string> others = {"feeds.che.a1B2c.tmp",
                                           "other.txt.a1B2c3.tmp"};
  for (const auto& name : ours) {
    WriteFileBytes(h.dir / name, "x");
    std::filesystem::permissions(h.dir / name,
                                 std::filesystem::perms::owner_read |
                                     std::filesystem::perms::owner_write);
  }
  for (const auto& name : others) WriteFileBytes(h.dir / name, "x");
  h.Start();
  for (const auto& name : ours)
    EXPECT_FALSE(std::filesystem::exists(h.dir / name)) << name;
  for (const auto& name : others)
    EXPECT_TRUE(std::filesystem::exists(h.dir / name)) << name;
}

// A list named on the command line goes into an empty list as it is; over a
// list with feeds the user is asked, and the list is kept first whatever
// the answer (the answers' own roads are the end-to-end test's).
TEST(MainFormLife, CommandLineFileIsTakenOrAddedAsTheUserSays) {
  FeedList other;
  other.Append("Other", "Misc", "5", "http://other.example/rss");
  other.Append("Dup", "Misc", "5", "http://example.com/news.xml");
  const std::string stored = WriteFeedFile(ThreeFeeds(), FeedListControl());
  for (const bool empty : {true, false}) {
    AppHarness h;
    if (!empty) WriteFileBytes(h.dir / "feeds.che", stored);
    WriteFileBytes(h.dir / "other.che",
                   WriteFeedFile(other, FeedListControl()));
    h.desktop.choice_answers.push_back(0);  // add
    h.Start({(h.dir / "other.che").string()});
    QCoreApplication::processEvents();  // once the window is on the screen
    EXPECT_EQ(h.app->feed_list.Count(), empty ? 2u : 4u);  // Dup is listed
    EXPECT_EQ(ReadFileBytes(h.dir / "feeds.che"),          // written at once
              WriteFeedFile(h.app->feed_list, h.app->feed_list_control));
    std::vector<std::string> kept;
    for (const auto& entry : std::filesystem::directory_iterator(h.dir.path()))
      if (entry.path().extension() == ".bak") kept.push_back(entry.path());
    ASSERT_EQ(kept.size(), empty ? 0u : 1u);
    if (empty) continue;
    EXPECT_EQ(ReadFileBytes(kept[0]), stored);
    EXPECT_EQ(h.desktop.messages[0].text.substr(0, 45),
              "Feeds in other.che: 2. Feeds in your list: 3.");
  }
}

TEST(MainFormLife, CommandLineArgumentThatIsNoFileChangesNothing) {
  AppHarness h;
  WriteFileBytes(h.dir / "feeds.che",
                 WriteFeedFile(ThreeFeeds(), FeedListControl()));
  h.Start({(h.dir / "missing.che").string()});
  QCoreApplication::processEvents();
  EXPECT_EQ(h.app->feed_list.Count(), 3u);
  EXPECT_TRUE(h.desktop.messages.empty());
}

TEST(MainFormLife, BrokenCommandLineFileIsReportedAndTheStoredListKept) {
  AppHarness h;
  const std::string stored = WriteFeedFile(ThreeFeeds(), FeedListControl());
  WriteFileBytes(h.dir / "feeds.che", stored);
  WriteFileBytes(h.dir / "bad.che", "not an object stream");
  h.Start({(h.dir / "bad.che").string()});
  QCoreApplication::processEvents();
  EXPECT_EQ(h.ErrorTexts(), std::vector<std::string>{"Invalid stream format."});
  ASSERT_TRUE(h.Close());
  EXPECT_EQ(ReadFileBytes(h.dir / "feeds.che"), stored);
}

TEST(MainFormLife, UnreadableStoredFileStartsEmptyAndSurvivesAsBackup) {
  AppHarness h;
  std::string garbage;
  for (int i = 0; i < 4096; ++i)
    garbage += static_cast<char>((i * 7919 + 13) % 256);
  WriteFileBytes(h.dir / "feeds.che", garbage);
  h.Start();
  EXPECT_EQ(h.app->feed_list.Count(), 0u);
  ASSERT_TRUE(h.Close());
  EXPECT_EQ(ReadFileBytes(h.dir / "feeds.che.bak"), garbage);
  EXPECT_EQ(ReadFileBytes(h.dir / "feeds.che"),
            WriteFeedFile(FeedList(), FeedListControl()));
}

TEST(MainFormLife, AFailedSaveKeepsTheOldFileAndTheWindowOpen) {
  AppHarness h;
  const std::string stored = WriteFeedFile(ThreeFeeds(), FeedListControl());
  WriteFileBytes(h.dir / "feeds.che", stored);
  h.Start();
  h.app->feed_list.Append("New", "c", "1", "http://new.example/");
  // A file size limit fails the write: not even root escapes it.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit before = limit;
  // Room for the settings and the language, not for the feed list.
  limit.rlim_cur = 128;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  // The window stays open, so that the user can make room and close again.
  EXPECT_FALSE(h.Close());
  setrlimit(RLIMIT_FSIZE, &before);
  EXPECT_EQ(h.ErrorTexts(),
            std::vector<std::string>{"Cannot create file " +
                                     (h.dir / "feeds.che").string() + "."});
  EXPECT_EQ(ReadFileBytes(h.dir / "feeds.che"), stored);
  EXPECT_TRUE(h.Close());
  EXPECT_NE(ReadFileBytes(h.dir / "feeds.che"), stored);
}

TEST(MainFormLife, AFeedsCheNoSaveCanReplaceIsToldAndTheCloseGoesOn) {
  AppHarness h;
  std::filesystem::create_directory(h.dir / "feeds.che");
  h.Start();
  QCoreApplication::processEvents();  // the message of the start
  ASSERT_EQ(h.desktop.messages.size(), 1u);
  EXPECT_EQ(h.desktop.messages[0].text,
            "feeds.che could not be read (Cannot open file " +
                (h.dir / "feeds.che").string() +
                "); nothing could be kept of it.");
  EXPECT_TRUE(h.Close());
  EXPECT_EQ(h.ErrorTexts(),
            std::vector<std::string>{"Cannot create file " +
                                     (h.dir / "feeds.che").string() + "."});
  EXPECT_TRUE(std::filesystem::is_directory(h.dir / "feeds.che"));
}

TEST(MainFormLife, EachChangeIsWrittenAtOnceAndAFailedWriteIsToldAndRetried) {
  AppHarness h;
  h.Start();
  const std::filesystem::path file = h.dir / "feeds.che";
  const auto on_disk = [&] {
    return ReadFileBytes(file) ==
           WriteFeedFile(h.app->feed_list, h.app->feed_list_control);
  };
  h.app->NewForm().UrlEdit->setText("http://example.com/a.xml");
  h.app->NewForm().Button2NFClick();
  EXPECT_TRUE(on_disk());
  // A read-only file is not replaced: the change stays in memory.
  std::filesystem::permissions(file, std::filesystem::perms::owner_read);
  h.app->feed_list.Append("B", "c", "5", "http://b/");
  h.app->ManagementForm().FormShow();
  h.app->ManagementForm().ManageOKClick();
  EXPECT_EQ(h.ErrorTexts(), std::vector<std::string>{"Cannot create file " +
                                                     file.string() + "."});
  EXPECT_FALSE(on_disk());
  std::filesystem::permissions(file, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  emit h.app->CatalogueForm().feedListChanged();
  EXPECT_TRUE(on_disk());
}

// The import's good road is the end-to-end test's.
TEST(MainFormLife, ImportRefusesANonOpmlFileExportProposesTheHomeFolder) {
  AppHarness h;
  h.Start();
  h.app->feed_list.Append("B", "c", "5", "http://b/");
  h.desktop.chosen_files = {h.dir / "missing.opml", h.dir / "out.opml"};
  h.Main().ImportOpml1->trigger();
  EXPECT_EQ(h.ErrorTexts(),
            std::vector<std::string>{"This is not an OPML file: " +
                                     (h.dir / "missing.opml").string() + "."});
  EXPECT_TRUE(h.shown_dialogs.empty());  // no period asked
  h.Main().ExportOpml1->trigger();
  EXPECT_EQ(ReadFileBytes(h.dir / "out.opml"), WriteOpml(h.app->feed_list));
  ASSERT_EQ(h.desktop.file_questions.size(), 2u);
  EXPECT_EQ(h.desktop.file_questions[1].caption, "Export OPML");
  EXPECT_EQ(
      h.desktop.file_questions[1].proposed,
      std::filesystem::path(QDir::homePath().toStdString()) / "feeds.opml");
  // The period question: the Enter that chose the file, let go in its
  // field, is no typing; a letter typed empties it.
  TImportPeriodForm& form = h.app->ImportPeriodForm();
  form.show();
  QTest::keyRelease(form.ImportPeriodEdit, Qt::Key_Return);
  EXPECT_EQ(form.ImportPeriodEdit->text(), "60");
  QTest::keyClicks(form.ImportPeriodEdit, "1a");
  EXPECT_EQ(form.ImportPeriodEdit->text(), "");

  // Names the list cannot keep whole are told first; Cancel imports
  // nothing.
  WriteFileBytes(h.dir / "ru.opml",
                 "<opml><body><outline text=\"\xD0\xAF\" "
                 "xmlUrl=\"http://r/\"/></body></opml>");
  h.desktop.chosen_files = {h.dir / "ru.opml"};
  h.Main().ImportOpml1->trigger();
  EXPECT_EQ(h.desktop.choice_questions.size(), 1u);
  EXPECT_EQ(h.app->feed_list.Count(), 1u);
}

TEST(MainFormLife, FailedRegistrationIsReportedAndTheListStillLoads) {
  AppHarness h;
  WriteFileBytes(h.dir / "feeds.che",
                 WriteFeedFile(ThreeFeeds(), FeedListControl()));
  h.desktop.registration_error = "Failed to set data for ''";
  h.Start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !h.ErrorTexts().empty(); }));
  // The closing quote is below the full stop: no full stop is added.
  EXPECT_EQ(h.ErrorTexts(),
            std::vector<std::string>{"Failed to set data for ''"});
  EXPECT_EQ(h.app->feed_list.Count(), 3u);
}

TEST(MainFormLife, MenusAndToolbarCarryTheirNamesAndCaptions) {
  AppHarness h;
  h.Start();
  TMainForm& f = h.Main();
  const std::vector<std::pair<QAction*, const char*>> actions = {
      {f.Newchannel1, "&New feed"},
      {f.N2, "&Options"},
      {f.ChannelsManagement1, "&Feeds' Management"},
      {f.Catalogue1, "Catalogue"},
      {f.Exit1, "&Exit"},
      {f.Help3, "Pomoc (PL)"},
      {f.HelpEN1, "Help (EN)"},
      {f.AboutRivolet1, "&About Rivolet"},
      {f.Shortdescription1, "Short description"},
      {f.Openinbrowser1, "Open in browser"}};
  for (const auto& [action, caption] : actions) {
    EXPECT_EQ(action->text().toStdString(), caption);
    EXPECT_EQ(f.findChild<QAction*>(action->objectName()), action);
  }
  EXPECT_EQ(f.Newchannel1->shortcut(), QKeySequence("Ctrl+N"));
  EXPECT_EQ(f.ChannelsManagement1->shortcut(), QKeySequence("Ctrl+M"));
  EXPECT_EQ(f.Shortdescription1->shortcut(), QKeySequence("Ctrl+D"));
  EXPECT_EQ(f.Openinbrowser1->shortcut(), QKeySequence("Ctrl+B"));
  EXPECT_EQ(f.File1->title().toStdString(), "&File");
  EXPECT_EQ(f.Languages1->title().toStdString(), "&Languages");
  EXPECT_EQ(f.Help1->title().toStdString(), "&Help");
  EXPECT_EQ(f.ChooseButton->text().toStdString(), "Choose feed");
  EXPECT_EQ(f.AddButton->text().toStdString(), "Add feed");
  EXPECT_EQ(f.ManagementButton->text().toStdString(), "Feeds");
  EXPECT_EQ(f.CatalogueButton->text().toStdString(), "Catalogue");
  EXPECT_EQ(f.Zakladki->currentWidget(), f.ChannelsTab);
  EXPECT_FALSE(f.Zakladki->isTabVisible(1));
  EXPECT_FALSE(f.lNewsNoLabel->isVisible());
}

TEST(MainFormLife, MenuAndToolbarOpenTheFeedDialogsOverTheProgramsList) {
  AppHarness h;
  h.Start();
  TMainForm& f = h.Main();
  f.Newchannel1->trigger();
  f.AddButton->click();
  f.ChannelsManagement1->trigger();
  f.ManagementButton->click();
  QDialog* new_form = &h.app->NewForm();
  QDialog* management = &h.app->ManagementForm();
  EXPECT_EQ(h.shown_dialogs, (std::vector<QDialog*>{new_form, new_form,
                                                    management, management}));

  h.app->NewForm().UrlEdit->setText("http://example.com/a.xml");
  h.app->NewForm().Button2NFClick();
  ASSERT_EQ(h.app->feed_list.Count(), 1u);
  EXPECT_EQ(h.app->feed_list.Entry(0).Url(), "http://example.com/a.xml");
}

}  // namespace
}  // namespace rivolet
