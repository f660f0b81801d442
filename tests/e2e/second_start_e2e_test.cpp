// A second start of the real program under a window manager: it hands its
// list to the running one and ends; the running one asks what to do with
// it, and the list it had stays on disk whatever the answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "feeds/feed_list.h"
#include "feeds/feed_stream.h"
#include "tests/e2e/e2e_fixture.h"

namespace rivolet::testing {
namespace {

// Whether some file in `folder` holds exactly `bytes`.
bool SomeFileHolds(const std::filesystem::path& folder,
                   const std::string& bytes) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.file_size() == bytes.size() &&
        ReadFileBytes(entry.path()) == bytes) {
      return true;
    }
  }
  return false;
}

TEST_F(ProgramTest, ASecondStartHandsItsListToTheRunningProgram) {
  if (!StartWindowManager()) GTEST_SKIP() << "openbox could not be started";
  FeedList three, shared;
  for (const char* name : {"One", "Two", "Three"})
    three.Append(name, "A", "60", std::string("http://127.0.0.1:9/") + name);
  shared.Append("Shared", "Friends", "60", "http://127.0.0.1:9/shared");
  const std::string stored = WriteFeedFile(three, FeedListControl());
  WriteFileBytes(folder / "feeds.che", stored);
  WriteFileBytes(folder / "shared.che",
                 WriteFeedFile(shared, FeedListControl()));
  StartProgram();
  ASSERT_FALSE(FindWindow("^Rivolet$").empty()) << Log();

  // Cancel, Add (the default), Replace; the list's count before and after.
  const struct {
    const char* key;
    std::size_t listed;
    std::size_t feeds;
  } answers[] = {{"Escape", 3, 3}, {"Return", 3, 4}, {"alt+r", 4, 1}};
  for (const auto& answer : answers) {
    ChildProcess second({executable.string(), (folder / "shared.che").string()},
                        {screen.DisplayEnv(), "QT_QPA_PLATFORM=xcb",
                         "XDG_DATA_HOME=" + (folder / "xdg").string(),
                         "XDG_CONFIG_HOME=" + (folder / "xdg-config").string()},
                        (folder / "second.log").string());
    EXPECT_EQ(second.Wait(std::chrono::seconds(30)), std::optional<int>(0))
        << answer.key;
    EXPECT_FALSE(program->Wait(std::chrono::milliseconds(0)));
    const std::string box = WaitForOneBox();
    ASSERT_FALSE(box.empty()) << Log();
    EXPECT_NE(BoxText(box).find("Feeds in shared.che: 1. Feeds in your list: " +
                                std::to_string(answer.listed)),
              std::string::npos);
    Xdotool({"windowactivate", "--sync", box, "key", answer.key});
    EXPECT_TRUE(Soon([&] { return Boxes().empty(); })) << answer.key;
    EXPECT_TRUE(Soon([&] {
      FeedList list;
      FeedListControl control;
      ReadFeedFile(ReadFileBytes(folder / "feeds.che"), list, control);
      return list.Count() == answer.feeds;
    })) << answer.key;
    EXPECT_TRUE(SomeFileHolds(folder, stored)) << answer.key;
    const std::string windows =
        Xdotool({"search", "--onlyvisible", "--name", "^Rivolet$"});
    EXPECT_EQ(std::count(windows.begin(), windows.end(), '\n'), 1)
        << answer.key;
  }
  EXPECT_EQ(Terminate(std::chrono::seconds(20)), std::optional<int>(0));
}

}  // namespace
}  // namespace rivolet::testing
