// What the windows offer the window manager (openbox): message boxes and the
// fixed-size dialogs ask for a close box only, the main window keeps its
// minimise box, none can be maximised, and a box the window manager minimises
// all the same never leaves the main window on show, blocked behind it: it
// comes back, or (openbox, for a box the main window owns) the main window
// goes with it and brings it back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "tests/e2e/e2e_fixture.h"

namespace rivolet::testing {
namespace {

class WindowActionsTest : public ProgramTest {
 protected:
  // The Motif functions the window asks for: bit 0x8 minimise, 0x10
  // maximise.
  long MotifFunctions(const std::string& window) {
    bool ok = false;
    const std::string hints = RunCommand(
        {"xprop", "-id", window, "-notype", "_MOTIF_WM_HINTS"}, Env(), &ok);
    const std::size_t comma = hints.find(", ");
    return comma == std::string::npos
               ? -1
               : std::strtol(hints.c_str() + comma + 2, nullptr, 16);
  }

  // What the window manager lets the user do with the window.
  std::string Allowed(const std::string& window) {
    bool ok = false;
    return RunCommand({"xprop", "-id", window, "_NET_WM_ALLOWED_ACTIONS"},
                      Env(), &ok);
  }

  bool Viewable(const std::string& window) {
    bool ok = false;
    return RunCommand({"xwininfo", "-id", window}, Env(), &ok)
               .find("IsViewable") != std::string::npos;
  }

  // A box or dialog of the main window: close only, and never hidden alone.
  void ExpectCloseOnly(const std::string& box, const std::string& main_window,
                       const std::string& name) {
    EXPECT_EQ(MotifFunctions(box) & 0x18, 0) << name;
    const std::string allowed = Allowed(box);
    EXPECT_NE(allowed.find("_NET_WM_ACTION_CLOSE"), std::string::npos) << name;
    EXPECT_EQ(allowed.find("_NET_WM_ACTION_MAXIMIZE"), std::string::npos)
        << name;
    EXPECT_EQ(allowed.find("_NET_WM_ACTION_RESIZE"), std::string::npos) << name;
    Xdotool({"windowminimize", box});
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(Viewable(box), Viewable(main_window)) << name;
    if (!Viewable(main_window)) {
      Xdotool({"windowactivate", "--sync", main_window});
      std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    }
    EXPECT_TRUE(Viewable(box)) << name;
  }
};

TEST_F(WindowActionsTest, BoxesAndDialogsOfferOnlyTheirCloseBox) {
  if (!StartWindowManager()) GTEST_SKIP() << "openbox could not be started";
  // A damaged list is told in a warning box at start.
  WriteFileBytes(folder / "feeds.che", "not a feed list");
  StartProgram();
  const std::string main_window = FindWindow("^Rivolet$");
  ASSERT_FALSE(main_window.empty()) << Log();
  const std::string box = WaitForOneBox();
  ASSERT_FALSE(box.empty()) << Log();
  ExpectCloseOnly(box, main_window, "message box");
  Xdotool({"windowactivate", "--sync", box});
  Xdotool({"key", "Return"});

  const std::string main_allowed = Allowed(main_window);
  EXPECT_NE(MotifFunctions(main_window) & 0x8, 0);
  EXPECT_NE(main_allowed.find("_NET_WM_ACTION_MINIMIZE"), std::string::npos);
  EXPECT_EQ(main_allowed.find("_NET_WM_ACTION_MAXIMIZE"), std::string::npos);

  Xdotool({"windowactivate", "--sync", main_window});
  Xdotool({"key", "ctrl+m"});
  const std::string management = FindWindow("^Feeds' Management$");
  ASSERT_FALSE(management.empty()) << Log();
  ExpectCloseOnly(management, main_window, "Feeds' Management");

  EXPECT_EQ(Terminate(std::chrono::seconds(20)), std::optional<int>(0));
}

}  // namespace
}  // namespace rivolet::testing
