// File > Import OPML... in the real program under a window manager: the file
// dialog, the period asked once, the counts told, the feeds on disk at once.
#include <gtest/gtest.h>

#include <thread>

#include "feeds/feed_list.h"
#include "feeds/feed_stream.h"
#include "tests/e2e/e2e_fixture.h"

namespace rivolet::testing {
namespace {

TEST_F(ProgramTest, ImportOpmlTakesTheFileAndThePeriodTyped) {
  if (!StartWindowManager()) GTEST_SKIP() << "openbox could not be started";
  FeedList list;
  list.Append("B", "c", "5", "http://b.example/rss");
  WriteFileBytes(folder / "feeds.che", WriteFeedFile(list, FeedListControl()));
  WriteFileBytes(folder / "in.opml",
                 "<opml version=\"2.0\"><body><outline text=\"News\">"
                 "<outline text=\"A\" xmlUrl=\"http://a.example/rss\"/>"
                 "<outline text=\"B\" xmlUrl=\"http://b.example/rss\"/>"
                 "</outline></body></opml>");
  // Qt's own file dialog, whatever desktop the tests run on.
  StartProgram({}, {"XDG_CURRENT_DESKTOP=", "QT_QPA_PLATFORMTHEME="});
  const std::string window = FindWindow("^Rivolet$");
  ASSERT_FALSE(window.empty()) << Log();
  std::string chooser;
  for (int attempt = 0; attempt < 3 && chooser.empty(); ++attempt) {
    Xdotool({"windowfocus", "--sync", window});
    std::this_thread::sleep_for(std::chrono::milliseconds(500 * attempt));
    Xdotool({"key", "--delay", "500", "alt+f", "i"});
    chooser = FindWindow("^Import OPML$", std::chrono::seconds(8));
  }
  ASSERT_FALSE(chooser.empty()) << Log();
  Xdotool({"windowfocus", "--sync", chooser});
  Xdotool({"type", "--delay", "20", (folder / "in.opml").string()});
  Xdotool({"key", "Return"});
  const std::string period = FindWindow("^Update Period$");
  ASSERT_FALSE(period.empty()) << Log();
  Xdotool({"windowfocus", "--sync", period});
  Xdotool({"key", "--delay", "100", "1", "5", "Return"});
  while (!FindWindow("^Update Period$", std::chrono::milliseconds(1)).empty())
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

  const std::string box = WaitForOneBox();
  ASSERT_FALSE(box.empty()) << Log();
  EXPECT_NE(BoxText(box).find(
                "Imported 1 feed; 1 was already in the list; 0 were refused."),
            std::string::npos);
  FeedList saved;
  FeedListControl control;
  ReadFeedFile(ReadFileBytes(folder / "feeds.che"), saved, control);
  ASSERT_EQ(saved.Count(), 2u) << Log();
  EXPECT_EQ(saved.Entry(1).name, "A");
  EXPECT_EQ(saved.Entry(1).fields,
            (std::vector<std::string>{"News", "15", "http://a.example/rss"}));
  EXPECT_EQ(Terminate(std::chrono::seconds(20)), std::optional<int>(0));
}

}  // namespace
}  // namespace rivolet::testing
