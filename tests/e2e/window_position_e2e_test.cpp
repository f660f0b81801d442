// The real program under a window manager: the main window closed somewhere
// comes back exactly there at the next start, and the start-up entry is
// written again at each start when the settings ask for it.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <thread>

#include "tests/e2e/e2e_fixture.h"

namespace rivolet::testing {
namespace {

class WindowPositionTest : public ProgramTest {
 protected:
  // "x,y" of a window's top-left corner on the screen.
  std::string Corner(const std::string& window) {
    bool ok = false;
    const std::string info =
        RunCommand({"xwininfo", "-id", window}, Env(), &ok);
    auto number = [&](const std::string& label) {
      const std::size_t at = info.find(label);
      if (at == std::string::npos) return std::string("?");
      const std::size_t begin = info.find_first_not_of(' ', at + label.size());
      return info.substr(begin, info.find('\n', begin) - begin);
    };
    return number("Absolute upper-left X:") + "," +
           number("Absolute upper-left Y:");
  }

  // The frame the window manager put around `window`.
  std::string Frame(const std::string& window) {
    bool ok = false;
    const std::string tree =
        RunCommand({"xwininfo", "-id", window, "-tree"}, Env(), &ok);
    const std::string label = "Parent window id: ";
    const std::size_t at = tree.find(label);
    if (at == std::string::npos) return "?";
    const std::size_t begin = at + label.size();
    return tree.substr(begin, tree.find(' ', begin) - begin);
  }

  // "client x,y frame x,y" once the window has stood still for a moment,
  // at a place other than `from`.
  std::string Settled(const std::string& window, const std::string& from = {}) {
    std::string last;
    int same = 0;
    for (int i = 0; i < 100 && same < 5; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      const std::string now =
          "client " + Corner(window) + " frame " + Corner(Frame(window));
      same = (now == last && now != from) ? same + 1 : 0;
      last = now;
    }
    return last;
  }
};

TEST_F(WindowPositionTest, MainWindowComesBackWhereItWasClosed) {
  if (!StartWindowManager()) GTEST_SKIP() << "openbox could not be started";
  WriteFileBytes(folder / "rivolet.ini", "[general]\r\nrun_on_startup=1\r\n");

  StartProgram();
  std::string window = FindWindow("^Rivolet$");
  ASSERT_FALSE(window.empty()) << Log();
  const std::string centred = Settled(window);
  Xdotool({"windowmove", window, "100", "200"});
  const std::string moved = Settled(window, centred);
  // The window manager keeps the inside where it was moved, under a frame.
  ASSERT_EQ(moved.substr(0, moved.find(" frame")), "client 100,200");
  const std::string frame = moved.substr(moved.find("frame ") + 6);
  program->Signal(SIGTERM);
  ASSERT_EQ(program->Wait(std::chrono::seconds(20)), std::optional<int>(0))
      << Log();
  // The frame's corner is what is stored.
  const std::string left = frame.substr(0, frame.find(','));
  const std::string top = frame.substr(frame.find(',') + 1);
  EXPECT_EQ(ReadFileBytes(folder / "rivolet.ini"),
            "[general]\r\nrun_on_startup=1\r\nremember_pos=1\r\nleft=" + left +
                "\r\ntop=" + top + "\r\n");
  const std::filesystem::path entry =
      folder / "xdg-config" / "autostart" / "rivolet.desktop";
  const std::string exec = "Exec=\"" + (folder / "rivolet").string() + "\"\n";
  EXPECT_NE(ReadFileBytes(entry).find(exec), std::string::npos);

  // Removed by hand: the next start writes it again.
  std::filesystem::remove(entry);
  StartProgram();
  window = FindWindow("^Rivolet$");
  ASSERT_FALSE(window.empty()) << Log();
  EXPECT_EQ(Settled(window), moved);
  EXPECT_TRUE(std::filesystem::exists(entry));
  program->Signal(SIGTERM);
  EXPECT_EQ(program->Wait(std::chrono::seconds(20)), std::optional<int>(0));
  // Closed where it came back: the same corner again.
  EXPECT_NE(ReadFileBytes(folder / "rivolet.ini").find("left=" + left + "\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace rivolet::testing
