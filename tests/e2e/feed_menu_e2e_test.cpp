// The first road in the real program: press "Choose feed", pick the feed from
// the menu with the keyboard, and see the feed's title in the window title.
#include <gtest/gtest.h>

#include "feeds/feed_list.h"
#include "feeds/feed_stream.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/loopback_server.h"

namespace rivolet::testing {
namespace {

TEST_F(ProgramTest, ChoosingAFeedFromTheMenuReadsIt) {
  LoopbackServer server;
  server.Serve(
      "/feed.xml",
      Response::Ok(
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss><channel>"
          "<title>Loopback News</title><item><title>First</title>"
          "<link>https://example.com/1</link></item></channel></rss>"));
  FeedList list;
  list.Append("Loopback", "Local", "60", server.Url("/feed.xml"));
  WriteFileBytes(folder / "feeds.che", WriteFeedFile(list, FeedListControl()));

  StartProgram();
  const std::string window = FindWindow("^Rivolet$");
  ASSERT_FALSE(window.empty()) << Log();
  std::string read_window;
  ChooseFirstFeed(window, [&] {
    read_window =
        FindWindow("^Rivolet - Loopback News$", std::chrono::milliseconds(1));
    return !read_window.empty();
  });
  ASSERT_FALSE(read_window.empty()) << Log();
  EXPECT_EQ(Title(read_window), "Rivolet - Loopback News");
  EXPECT_GE(server.RequestCount(), 1u);

  EXPECT_EQ(Terminate(std::chrono::seconds(20)), std::optional<int>(0));
}

}  // namespace
}  // namespace rivolet::testing
