// Adding a first feed in the real program by keyboard alone: Ctrl+N, the
// feed's address, Read for its name, a period, Enter; the feed is in
// feeds.che at once, so a kill loses nothing, and the next start reads it and
// saves it again, also when asked to end while the dialog is open.
#include <gtest/gtest.h>
#include <signal.h>

#include <thread>

#include "feeds/feed_list.h"
#include "feeds/feed_stream.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/loopback_server.h"

namespace rivolet::testing {
namespace {

TEST_F(ProgramTest, NewFeedAddedByKeyboardSurvivesAKill) {
  LoopbackServer server;
  server.Serve(
      "/feed.xml",
      Response::Ok("<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss>"
                   "<channel><title>Wiadomo\xC5\x9B\x63i</title>"
                   "<item><title>First</title></item></channel></rss>"));
  const std::string url = server.Url("/feed.xml");

  StartProgram();
  const std::string window = FindWindow("^Rivolet$");
  ASSERT_FALSE(window.empty()) << Log();
  // On a busy machine the main window may not have the keyboard yet when
  // Ctrl+N arrives: then try again.
  std::string dialog;
  for (int attempt = 0; attempt < 3 && dialog.empty(); ++attempt) {
    Xdotool({"mousemove", "--window", window, "150", "200"});
    Xdotool({"windowfocus", "--sync", window});
    std::this_thread::sleep_for(std::chrono::milliseconds(500 * attempt));
    Xdotool({"key", "ctrl+n"});
    dialog = FindWindow("^New Feed$", std::chrono::seconds(8));
  }
  ASSERT_FALSE(dialog.empty()) << Log();

  // The address field has the focus; Read is just before it in tab order,
  // and the period field three steps after Read.
  Xdotool({"windowfocus", "--sync", dialog});
  Xdotool({"type", "--delay", "20", url});
  Xdotool({"key", "shift+Tab", "space"});
  ASSERT_TRUE(server.WaitForRequests(1, std::chrono::seconds(20))) << Log();
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  Xdotool({"key", "--delay", "100", "Tab", "Tab", "Tab", "3", "0", "Return"});
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!FindWindow("^New Feed$", std::chrono::milliseconds(1)).empty() &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }

  program->Signal(SIGKILL);
  ASSERT_TRUE(program->Wait(std::chrono::seconds(20)).has_value());
  StartProgram();
  const std::string again = FindWindow("^Rivolet$");
  ASSERT_FALSE(again.empty()) << Log();
  // A dialog open when the program is asked to end does not keep it running.
  Xdotool({"windowfocus", "--sync", again});
  Xdotool({"key", "ctrl+n"});
  EXPECT_FALSE(FindWindow("^New Feed$", std::chrono::seconds(8)).empty());
  program->Signal(SIGTERM);
  ASSERT_EQ(program->Wait(std::chrono::seconds(20)), std::optional<int>(0));
  FeedList list;
  FeedListControl control;
  ReadFeedFile(ReadFileBytes(folder / "feeds.che"), list, control);
  ASSERT_EQ(list.Count(), 1u) << Log();
  EXPECT_EQ(list.Entry(0).name, "Wiadomo\x9C\x63i");
  EXPECT_EQ(list.Entry(0).fields,
            (std::vector<std::string>{"No Name", "30", url}));
  // Read at the start: a list it could not read would have been kept aside.
  EXPECT_FALSE(std::filesystem::exists(folder / "feeds.che.bak"));
}

}  // namespace
}  // namespace rivolet::testing
