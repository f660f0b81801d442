// Remembered reading in the real program: a mark survives kill -9 and comes
// back at the next start, nothing is written with the switch off, a damaged
// store is set aside with one message, and with only new items notified a
// tick without them shows no window.
#include <gtest/gtest.h>

#include "feeds/feed_list.h"
#include "feeds/feed_stream.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/loopback_server.h"

namespace rivolet::testing {
namespace {

std::string Items(std::initializer_list<int> numbers) {
  std::string feed = "<rss><channel><title>Three</title>";
  for (const int n : numbers) {
    const std::string day = std::to_string(n);
    feed += "<item><title>Item " + day + "</title><guid>g" + day +
            "</guid><pubDate>" + day + " Mar 2005</pubDate></item>";
  }
  return feed + "</channel></rss>";
}

class RememberedReadingE2eTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (IsSkipped()) return;
    if (!StartWindowManager()) GTEST_SKIP() << "openbox is needed";
    server.Serve("/three.xml", Response::Ok(Items({1, 2, 3})));
    url = server.Url("/three.xml");
  }

  void WriteFeeds(const std::string& period) {
    FeedList list;
    list.Append("Three", "Local", period, url);
    WriteFileBytes(folder / "feeds.che",
                   WriteFeedFile(list, FeedListControl()));
  }

  // Starts the program and opens the feed from its menu: the window's id.
  std::string StartAndOpen() {
    StartProgram();
    const std::string window = FindWindow("^Rivolet$");
    if (window.empty()) return {};
    std::string read;
    ChooseFirstFeed(window, [&] {
      read = FindWindow("^Rivolet - Three$", std::chrono::milliseconds(1));
      return !read.empty();
    });
    return read;
  }

  // Whether row `row` of the item list shows the unread mark: the mark's
  // middle is the orange of the unread dot.
  bool ShowsUnread(const std::string& window, int row) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    bool ok = false;
    return RunCommand({"convert", "x:" + window, "-crop",
                       "1x1+17+" + std::to_string(96 + 18 * row), "-format",
                       "%[fx:r>0.7&&b<0.47]", "info:"},
                      Env(), &ok) == "1";
  }

  // The feed's items as feedcat reads their marks from the folder's store:
  // R for read, U for unread.
  std::string StoredMarks() {
    bool ok = false;
    const std::string json =
        RunCommand({std::string(RIVOLET_BIN_DIR) + "/feedcat", "--shown", url,
                    "--store", folder.string()},
                   Env(), &ok);
    std::string marks;
    for (std::size_t at = 0; (at = json.find("\"read\":", at)) != json.npos;)
      marks += json[at += 7] == 't' ? 'R' : 'U';
    return marks;
  }

  LoopbackServer server;
  std::string url;
};

TEST_F(RememberedReadingE2eTest, AMarkSurvivesAKillAndComesBackAtTheNextStart) {
  WriteFeeds("60");
  // Switched off: the marks are the list's alone and no store is made.
  std::string window = StartAndOpen();
  ASSERT_FALSE(window.empty()) << Log();
  Xdotool({"mousemove", "--window", window, "60", "96", "click", "--repeat",
           "2", "--delay", "80", "1"});
  EXPECT_EQ(Terminate(std::chrono::seconds(20)), std::optional<int>(0));
  EXPECT_FALSE(std::filesystem::exists(folder / "reading.db"));

  WriteFileBytes(folder / "rivolet.ini", "[reading]\r\nremember=1\r\n");
  window = StartAndOpen();
  ASSERT_FALSE(window.empty()) << Log();
  EXPECT_TRUE(ShowsUnread(window, 0));
  Xdotool({"mousemove", "--window", window, "60", "96", "click", "--repeat",
           "2", "--delay", "80", "1"});
  // Within a second of the click the mark is on the disk.
  std::this_thread::sleep_for(std::chrono::seconds(1));
  program->Signal(SIGKILL);
  program->Wait(std::chrono::seconds(10));
  EXPECT_EQ(StoredMarks(), "RUU");

  window = StartAndOpen();
  ASSERT_FALSE(window.empty()) << Log();
  Xdotool({"key", "ctrl+Tab"});  // back to the list, if an item is shown
  EXPECT_FALSE(ShowsUnread(window, 0));
  EXPECT_TRUE(ShowsUnread(window, 1));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Terminate(std::chrono::seconds(20)), std::optional<int>(0));
}

TEST_F(RememberedReadingE2eTest, ADamagedStoreIsSetAsideWithOneMessage) {
  WriteFeeds("60");
  WriteFileBytes(folder / "rivolet.ini", "[reading]\r\nremember=1\r\n");
  WriteFileBytes(folder / "reading.db", "no database");
  StartProgram();
  ASSERT_FALSE(FindWindow("^Rivolet$").empty()) << Log();
  const std::string box = WaitForOneBox();
  ASSERT_FALSE(box.empty()) << Log();
  EXPECT_NE(BoxText(box).find("reading.db.damaged"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(folder / "reading.db.damaged"), "no database");
  EXPECT_EQ(Terminate(std::chrono::seconds(20)), std::optional<int>(0));
}

}  // namespace
}  // namespace rivolet::testing
