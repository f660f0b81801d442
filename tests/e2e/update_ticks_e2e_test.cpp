// Updating left on under a window manager: with one feed that fails every
// minute, the minute ticks keep downloading while the first failure's error
// box stays open, and no second box joins it; with one that reads, the
// notification window is its design size outside, frame included. The
// program's clock runs thirty times fast (libfaketime scales its clocks and
// its waits alike), so a minute passes in two seconds.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
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
  const std::string main_window = FindWindow("^Rivolet$");
  ASSERT_FALSE(main_window.empty()) << Log();
  // The other window of that title, inside and frame (left, right, top,
  // bottom) added up.
  std::string outer;
  for (int i = 0; i < 150 && outer != "337x189"; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::istringstream ids(
        Xdotool({"search", "--onlyvisible", "--name", "^Rivolet$"}));
    for (std::string id; std::getline(ids, id);) {
      if (id == main_window) continue;
      int l = 0, r = 0, t = 0, b = 0, w = 0, h = 0;
      std::sscanf(Xdotool({"getwindowgeometry", id}).c_str(),
                  "%*[^G]Geometry: %dx%d", &w, &h);
      std::sscanf(Xprop(id, "_NET_FRAME_EXTENTS").c_str(),
                  "_NET_FRAME_EXTENTS = %d, %d, %d, %d", &l, &r, &t, &b);
      outer = std::to_string(l + w + r) + "x" + std::to_string(t + h + b);
    }
  }
  EXPECT_EQ(outer, "337x189") << Log();

  EXPECT_EQ(Terminate(std::chrono::seconds(20)), std::optional<int>(0));
}

}  // namespace
}  // namespace rivolet::testing
