// Updating left on under a window manager: with one feed that fails every
// minute, the minute ticks keep downloading while the first failure's error
// box stays open, and no second box joins it; with one that reads, the
// notification window is its design size outside, frame included. The
// program's clock runs thirty times fast (libfaketime scales its clocks and
// its waits alike), so a minute passes in two seconds.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "feeds/feed_list.h"
#include "feeds/feed_stream.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/loopback_server.h"

namespace rivolet::testing {
namespace {

// libfaketime's preload library, wherever the system keeps it; empty when
// it is not installed.
std::string FaketimeLibrary() {
  std::vector<std::filesystem::path> folders = {"/usr/lib", "/usr/local/lib"};
  std::error_code ec;
  for (const auto& entry :
       std::filesystem::directory_iterator("/usr/lib", ec)) {
    if (entry.is_directory(ec)) folders.push_back(entry.path());
  }
  for (const auto& folder : folders) {
    const auto library = folder / "faketime" / "libfaketime.so.1";
    if (std::filesystem::is_regular_file(library, ec)) return library;
  }
  return {};
}

class UpdateTicksTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (IsSkipped()) return;
    faketime_ = FaketimeLibrary();
    if (faketime_.empty()) GTEST_SKIP() << "libfaketime (faketime) is needed";
    if (!StartWindowManager()) GTEST_SKIP() << "openbox is needed";
  }

  // Starts the program, its clock thirty times fast, with updating on and
  // one feed of period 1 at `url`; `more` is added to the updating settings.
  void StartUpdating(const std::string& url, const std::string& more = "") {
    FeedList list;
    list.Append("Feed", "Local", "1", url);
    WriteFileBytes(folder / "feeds.che",
                   WriteFeedFile(list, FeedListControl()));
    WriteFileBytes(folder / "rivolet.ini",
                   "[updating]\r\nYesUpdate=1\r\nNoUpdate=0\r\n" + more);
    StartProgram({}, {"LD_PRELOAD=" + faketime_, "FAKETIME=+0 x30"});
  }

  std::string faketime_;
};

TEST_F(UpdateTicksTest, TicksGoOnUnderOneErrorBox) {
  LoopbackServer server;  // every target answers 404
  StartUpdating(server.Url("/broken.xml"));
  ASSERT_FALSE(FindWindow("^Rivolet$").empty()) << Log();
  // The first minute's failure opens the box ...
  std::vector<std::string> boxes;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while ((boxes = Boxes()).empty() &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  ASSERT_EQ(boxes.size(), 1u) << Log();
  const std::size_t before = server.RequestCount();
  EXPECT_GE(before, 1u);
  // ... and the next three minutes download the feed again under it,
  // without a second box (given the time to show one).
  EXPECT_TRUE(server.WaitForRequests(before + 3, std::chrono::seconds(30)));
  std::this_thread::sleep_for(std::chrono::seconds(1));
  EXPECT_EQ(Boxes(), boxes) << Log();

  EXPECT_EQ(Terminate(std::chrono::seconds(20)), std::optional<int>(0));
}

TEST_F(UpdateTicksTest, NotificationWindowIsItsSizeOutside) {
  LoopbackServer server;
  server.Serve("/news.xml", Response::Ok("<rss><channel><title>News</title>"
                                         "<item><title>One</title></item>"
                                         "</channel></rss>"));
  // Open for ten minutes of the program's time.
  StartUpdating(server.Url("/news.xml"), "act_time=600\r\n");
  ASSERT_FALSE(FindWindow("^Rivolet$").empty()) << Log();
  // The notification window is the program's utility window; its outer
  // size is its own plus the frame the window manager put around it.
  std::string outer;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (outer != "337x189" && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    bool ok = false;
    std::istringstream ids(RunCommand(
        {"xdotool", "search", "--onlyvisible", "--classname", "rivolet"}, Env(),
        &ok));
    for (std::string id; std::getline(ids, id);) {
      const std::string props = RunCommand(
          {"xprop", "-id", id, "_NET_WM_WINDOW_TYPE", "_NET_FRAME_EXTENTS"},
          Env(), &ok);
      const std::size_t extents = props.find("_NET_FRAME_EXTENTS(CARDINAL) = ");
      if (props.find("_NET_WM_WINDOW_TYPE_UTILITY") == std::string::npos ||
          extents == std::string::npos) {
        continue;
      }
      int left = 0, right = 0, top = 0, bottom = 0, width = 0, height = 0;
      std::sscanf(props.c_str() + extents + 31, "%d, %d, %d, %d", &left, &right,
                  &top, &bottom);
      const std::string info = RunCommand({"xwininfo", "-id", id}, Env(), &ok);
      const std::size_t w = info.find("Width: ");
      const std::size_t h = info.find("Height: ");
      if (w == std::string::npos || h == std::string::npos) continue;
      width = std::atoi(info.c_str() + w + 7);
      height = std::atoi(info.c_str() + h + 8);
      outer = std::to_string(left + width + right) + "x" +
              std::to_string(top + height + bottom);
    }
  }
  EXPECT_EQ(outer, "337x189") << Log();

  EXPECT_EQ(Terminate(std::chrono::seconds(20)), std::optional<int>(0));
}

}  // namespace
}  // namespace rivolet::testing
