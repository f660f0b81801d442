// The tray icon in a real notification area: trayer holds the tray and
// openbox minimises windows. The icon appears; releasing the left button on
// it brings the minimised window back, releasing the right one opens the tray
// menu, and pressing a button alone does neither.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/e2e_fixture.h"

namespace rivolet::testing {
namespace {

class TrayTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (IsSkipped()) return;
    const std::string openbox = FindProgram("openbox");
    const std::string trayer = FindProgram("trayer");
    if (openbox.empty() || trayer.empty()) {
      GTEST_SKIP() << "trayer and openbox are needed";
    }
    window_manager_ =
        std::make_unique<ChildProcess>(std::vector<std::string>{openbox}, Env(),
                                       (folder / "openbox.log").string());
    tray_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{trayer, "--edge", "top", "--align", "right",
                                 "--widthtype", "request", "--height", "28"},
        Env(), (folder / "trayer.log").string());
    // The tray is ready once its panel exists (shown once it holds icons).
    ASSERT_TRUE(WaitFor([&] {
      bool ok = false;
      RunCommand({"xdotool", "search", "--name", "^panel$"}, Env(), &ok);
      return ok;
    })) << "trayer did not start";
  }

  // The icon's window, embedded in the tray: the program's small window in
  // the tree of every window, e.g.
  //   0x600006 "Rivolet": ("rivolet" "Rivolet")  22x26+0+0  +1001+1
  std::string Icon() {
    bool ok = false;
    std::istringstream tree(
        RunCommand({"xwininfo", "-root", "-tree"}, Env(), &ok));
    for (std::string line; std::getline(tree, line);) {
      const std::size_t cls = line.find("(\"rivolet\" ");
      if (cls == std::string::npos) continue;
      const std::size_t size = line.find(")  ", cls);
      if (size == std::string::npos) continue;
      int width = 0;
      int height = 0;
      if (std::sscanf(line.c_str() + size + 3, "%dx%d", &width, &height) == 2 &&
          width <= 64 && height <= 64 && width > 1) {
        std::istringstream words(line);
        std::string id;
        words >> id;
        return id;
      }
    }
    return {};
  }

  // Waits until `condition` holds, for up to ten seconds.
  template <typename Condition>
  bool WaitFor(Condition condition) {
    for (int i = 0; i < 50; ++i) {
      if (condition()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return false;
  }

  std::set<std::string> VisibleProgramWindows() {
    bool ok = false;
    std::istringstream out(RunCommand(
        {"xdotool", "search", "--onlyvisible", "--classname", "rivolet"}, Env(),
        &ok));
    std::set<std::string> ids;
    for (std::string id; std::getline(out, id);) ids.insert(id);
    return ids;
  }

  std::unique_ptr<ChildProcess> window_manager_;
  std::unique_ptr<ChildProcess> tray_;
};

TEST_F(TrayTest, IconRestoresTheWindowAndOpensTheMenu) {
  StartProgram();
  const std::string main_window = FindWindow("^Rivolet$");
  ASSERT_FALSE(main_window.empty()) << Log();
  std::string icon;
  ASSERT_TRUE(WaitFor([&] { return !(icon = Icon()).empty(); })) << Log();

  // Minimised while active, as when its title bar's button is used.
  Xdotool({"windowactivate", "--sync", main_window});
  Xdotool({"windowminimize", main_window});
  ASSERT_TRUE(WaitFor([&] { return !Viewable(main_window); })) << Log();

  // The right button released opens the menu, a new window, and leaves the
  // main one; pressed, it has not yet.
  const std::set<std::string> before = VisibleProgramWindows();
  Xdotool({"mousemove", "--window", icon, "8", "8"});
  Xdotool({"mousedown", "3"});
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  EXPECT_EQ(VisibleProgramWindows(), before);
  Xdotool({"mouseup", "3"});
  EXPECT_TRUE(WaitFor([&] {
    for (const std::string& id : VisibleProgramWindows()) {
      if (!before.count(id) && id != main_window) return true;
    }
    return false;
  })) << Log();
  // Give a wrongly restored window the time to show.
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  EXPECT_FALSE(Viewable(main_window));
  Xdotool({"key", "Escape"});
  ASSERT_TRUE(WaitFor([&] { return VisibleProgramWindows() == before; }));

  Xdotool({"mousemove", "--window", icon, "8", "8"});
  Xdotool({"mousedown", "1"});
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  EXPECT_FALSE(Viewable(main_window));
  Xdotool({"mouseup", "1"});
  EXPECT_TRUE(WaitFor([&] { return Viewable(main_window); })) << Log();

  program->Signal(SIGTERM);
  EXPECT_EQ(program->Wait(std::chrono::seconds(20)), std::optional<int>(0))
      << Log();
}

}  // namespace
}  // namespace rivolet::testing
