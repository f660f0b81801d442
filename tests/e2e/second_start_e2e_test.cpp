// A second start of the real program under a window manager hands its list
// to the running one and ends; the running one asks what to do with it, and
// the list it had stays on disk whatever the answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "feeds/feed_list.h"
#include "feeds/feed_stream.h"
#include "tests/e2e/e2e_fixture.h"

namespace rivolet::testing {
namespace {

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
  // Cancel, Add (the default), Replace: the list's count before and after.
  const struct {
    const char* key;
    std::size_t before, after;
  } answers[] = {{"Escape", 3, 3}, {"Return", 3, 4}, {"alt+r", 4, 1}};
  for (const auto& answer : answers) {
    ChildProcess second({executable.string(), (folder / "shared.che").string()},
                        {screen.DisplayEnv(), "QT_QPA_PLATFORM=xcb"});
    EXPECT_EQ(second.Wait(std::chrono::seconds(30)), std::optional<int>(0));
    EXPECT_FALSE(program->Wait(std::chrono::milliseconds(0)));
    const std::string box = WaitForOneBox();
    ASSERT_FALSE(box.empty()) << Log();
    EXPECT_NE(BoxText(box).find("Feeds in shared.che: 1. Feeds in your list: " +
                                std::to_string(answer.before)),
              std::string::npos);
    Xdotool({"windowactivate", "--sync", box, "key", answer.key});
    EXPECT_TRUE(Soon([&] {
      FeedList list;
      FeedListControl control;
      ReadFeedFile(ReadFileBytes(folder / "feeds.che"), list, control);
      return Boxes().empty() && list.Count() == answer.after;
    })) << answer.key;
    // The three feeds' bytes stay on disk, and one main window on screen.
    EXPECT_TRUE(std::any_of(
        std::filesystem::directory_iterator(folder), {}, [&](const auto& file) {
          return file.is_regular_file() && file.file_size() == stored.size() &&
                 ReadFileBytes(file) == stored;
        }));
    const std::string windows =
        Xdotool({"search", "--onlyvisible", "--name", "^Rivolet$"});
    EXPECT_EQ(std::count(windows.begin(), windows.end(), '\n'), 1);
  }
  EXPECT_EQ(Terminate(std::chrono::seconds(20)), std::optional<int>(0));
}

}  // namespace
}  // namespace rivolet::testing
