// The real program while a download waits and when it is asked to end: the
// window keeps painting during a silent download, and a termination signal
// ends the program at once, whatever dialog or download is open, with its
// feed list saved.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "feeds/feed_list.h"
#include "feeds/feed_stream.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/loopback_server.h"

namespace rivolet::testing {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using Clock = std::chrono::steady_clock;

class DownloadWaitTest : public ProgramTest {
 protected:
  void StartWithFeed(const std::string& target) {
    FeedList list;
    list.Append("Loopback", "Local", "60", server.Url(target));
    WriteFileBytes(folder / "feeds.che",
                   WriteFeedFile(list, FeedListControl()));
    StartProgram();
    window = FindWindow("^Rivolet$");
  }

  // Pixels that differ between two grabs of a part of the window.
  long DifferentPixels(const std::string& a, const std::string& b) {
    bool ok = false;
    // compare prints its count on standard error; RunCommand reads standard
    // output, so the count is written to a file instead.
    const std::string count_file = (folder / "count.txt").string();
    RunCommand({"sh", "-c",
                "compare -metric AE -fuzz 8% '" + a + "' '" + b +
                    "' null: 2>'" + count_file + "'"},
               Env(), &ok);
    try {
      return std::stol(ReadFileBytes(count_file));
    } catch (...) {
      return -1;
    }
  }

  std::string Grab(const std::string& name) {
    const std::string file = (folder / name).string();
    bool ok = false;
    // The strip under the toolbar that the feed menu and its submenu cover.
    RunCommand({"import", "-window", window, "-crop", "300x60+4+40", file},
               Env(), &ok);
    return ok ? file : std::string();
  }

  // Seconds from the signal to the end of the process.
  double EndAndTime(std::optional<int>* code) {
    const auto start = Clock::now();
    *code = Terminate(seconds(20));
    return std::chrono::duration<double>(Clock::now() - start).count();
  }

  LoopbackServer server;
  std::string window;
};

TEST_F(DownloadWaitTest, TheWindowPaintsDuringASilentDownloadThatASignalEnds) {
  server.Serve("/silent.xml", Response::Silent());
  StartWithFeed("/silent.xml");
  ASSERT_FALSE(window.empty()) << Log();
  const std::string before = Grab("before.png");
  ASSERT_FALSE(before.empty());

  ASSERT_TRUE(ChooseFirstFeed(window, [&] {
    return server.RequestCount() >= 1;
  })) << Log();
  // The menu has closed and the download waits: what the menu covered is
  // painted again (a frozen window would still show the menu there).
  std::this_thread::sleep_for(milliseconds(1500));
  const std::string during = Grab("during.png");
  ASSERT_FALSE(during.empty());
  const long changed = DifferentPixels(before, during);
  EXPECT_GE(changed, 0);
  EXPECT_LT(changed, 300 * 60 / 20) << "the menu is still on the window";

  std::optional<int> code;
  EXPECT_LT(EndAndTime(&code), 2.0);
  EXPECT_EQ(code, std::optional<int>(0)) << Log();
  FeedList saved;
  FeedListControl control;
  ReadFeedFile(ReadFileBytes(folder / "feeds.che"), saved, control);
  EXPECT_EQ(saved.Count(), 1u);
}

TEST_F(DownloadWaitTest,
       ASignalEndsTheProgramWithTheFeedInformationDialogOpen) {
  server.Serve("/feed.xml",
               Response::Ok("<rss><channel><title>Loopback News</title>"
                            "<item><title>First</title>"
                            "<link>https://example.com/1</link></item>"
                            "</channel></rss>"));
  StartWithFeed("/feed.xml");
  ASSERT_FALSE(window.empty()) << Log();
  ASSERT_TRUE(ChooseFirstFeed(window, [&] {
    return !FindWindow("^Rivolet - Loopback News$", milliseconds(1)).empty();
  })) << Log();

  // The main window's client area (312 x 430) sits under its menu bar; the
  // item list starts below the toolbar and the tabs, and the item view's
  // "About feed" picture is 288 pixels down the page.
  const std::string geometry =
      Xdotool({"getwindowgeometry", "--shell", window});
  const std::size_t at = geometry.find("HEIGHT=");
  ASSERT_NE(at, std::string::npos);
  const int menu_bar = std::stoi(geometry.substr(at + 7)) - 430;
  const int page_top = menu_bar + 44 + 24;
  std::string about;
  for (int attempt = 0; attempt < 3 && about.empty(); ++attempt) {
    Xdotool(
        {"mousemove", "--window", window, "60", std::to_string(page_top + 8)});
    Xdotool({"click", "--repeat", "2", "--delay", "80", "1"});
    std::this_thread::sleep_for(milliseconds(800 + 500 * attempt));
    Xdotool({"mousemove", "--window", window, "180",
             std::to_string(page_top + 288 + 16)});
    Xdotool({"click", "1"});
    about = FindWindow("^About Feed$", seconds(5));
  }
  ASSERT_FALSE(about.empty()) << Log();
  EXPECT_EQ(Title(about), "About Feed");

  std::optional<int> code;
  EXPECT_LT(EndAndTime(&code), 2.0);
  EXPECT_EQ(code, std::optional<int>(0)) << Log();
  EXPECT_TRUE(std::filesystem::exists(folder / "feeds.che"));
}

TEST_F(DownloadWaitTest, TheWindowManagersCloseEndsASilentDownloadAtOnce) {
  if (!StartWindowManager()) GTEST_SKIP() << "openbox could not be started";
  server.Serve("/silent.xml", Response::Silent());
  StartWithFeed("/silent.xml");
  ASSERT_FALSE(window.empty()) << Log();
  ASSERT_TRUE(ChooseFirstFeed(window, [&] {
    return server.RequestCount() >= 1;
  })) << Log();
  // The close box's road: the window manager asks the window to close.
  Xdotool({"windowactivate", "--sync", window});
  const auto start = Clock::now();
  Xdotool({"key", "--window", window, "alt+F4"});
  EXPECT_EQ(program->Wait(seconds(10)), std::optional<int>(0)) << Log();
  EXPECT_LT(Clock::now() - start, seconds(3));
  EXPECT_TRUE(std::filesystem::exists(folder / "feeds.che"));
}

}  // namespace
}  // namespace rivolet::testing
