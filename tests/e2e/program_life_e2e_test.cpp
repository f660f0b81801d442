// The real program under a virtual X screen in a folder of its own: it shows
// its window, tells once of a stored list it could not read and, asked to end
// by the session, saves its feed list. Its boxes and dialogs offer a close
// box only.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/e2e_fixture.h"

namespace rivolet::testing {
namespace {

TEST_F(ProgramTest, ShowsItsWindowAndSavesTheFeedListOnSigterm) {
  // In a folder whose name a desktop entry must quote.
  const std::filesystem::path place = folder / "100% $sure";
  std::filesystem::create_directory(place);
  std::filesystem::rename(executable, place / "rivolet");
  executable = place / "rivolet";
  StartProgram();
  const std::string window = FindWindow("^Rivolet$");
  ASSERT_FALSE(window.empty()) << Log();
  EXPECT_EQ(Title(window), "Rivolet");
  EXPECT_FALSE(std::filesystem::exists(place / "feeds.che"));

  program->Signal(SIGTERM);
  const auto code = program->Wait(std::chrono::seconds(20));
  ASSERT_TRUE(code.has_value()) << Log();
  EXPECT_EQ(*code, 0) << Log();
  EXPECT_TRUE(std::filesystem::exists(place / "feeds.che"));
  // The file type was registered in the test's own data folder, where a
  // desktop (GIO) finds the type of a .che file and the program's entry.
  const std::vector<std::string> desktop_env = {
      "HOME=" + (folder / "home").string(),
      "XDG_DATA_HOME=" + (folder / "xdg").string()};
  bool ok = false;
  EXPECT_NE(RunCommand({"gio", "info", "-a", "standard::content-type",
                        (place / "feeds.che").string()},
                       desktop_env, &ok)
                .find("content-type: application/x-rivolet-file"),
            std::string::npos);
  EXPECT_NE(RunCommand({"gio", "mime", "application/x-rivolet-file"},
                       desktop_env, &ok)
                .find("rivolet-portable.desktop"),
            std::string::npos);
}

// A stored list that cannot be read is kept, and the user is told so once,
// over the window. Boxes and dialogs ask for a close box only, and are never
// hidden alone behind the main window they block (openbox offers minimising).
TEST_F(ProgramTest, ADamagedListIsToldOnceWhereItWasKept) {
  if (!StartWindowManager()) GTEST_SKIP() << "openbox could not be started";
  WriteFileBytes(folder / "feeds.che", "damaged");
  StartProgram();
  const std::string main_window = FindWindow("^Rivolet$");
  ASSERT_FALSE(main_window.empty()) << Log();
  const std::string box = WaitForOneBox();
  ASSERT_FALSE(box.empty()) << Log();
  auto expect_close_box_only = [&](const std::string& window) {
    EXPECT_EQ(MotifFunctions(window) & 0x18, 0);
    EXPECT_NE(Xprop(window, "_NET_WM_ALLOWED_ACTIONS").find("ACTION_CLOSE"),
              std::string::npos);
    EXPECT_EQ(Xprop(window, "_NET_WM_ALLOWED_ACTIONS").find("ACTION_MAXIMIZE"),
              std::string::npos);
    Xdotool({"windowminimize", window});
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(Viewable(window), Viewable(main_window));
    Xdotool({"windowactivate", "--sync", main_window});
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_TRUE(Viewable(window));
  };
  expect_close_box_only(box);
  EXPECT_NE(BoxText(box).find("feeds.che could not be read (Invalid stream "
                              "format); it was kept as feeds.che.bak."),
            std::string::npos);
  EXPECT_EQ(ReadFileBytes(folder / "feeds.che.bak"), "damaged");
  Xdotool({"windowactivate", "--sync", box, "key", "Return"});
  EXPECT_TRUE(Soon([&] { return Boxes().empty(); }));
  EXPECT_NE(MotifFunctions(main_window) & 0x8, 0);
  EXPECT_TRUE(Soon([&] {
    return Xprop(main_window, "_NET_WM_ALLOWED_ACTIONS")
               .find("ACTION_MINIMIZE") != std::string::npos;
  }));
  Xdotool({"windowactivate", "--sync", main_window, "key", "ctrl+m"});
  expect_close_box_only(FindWindow("^Feeds' Management$"));
  EXPECT_EQ(Terminate(std::chrono::seconds(20)), std::optional<int>(0));
}

}  // namespace
}  // namespace rivolet::testing
