// A fixture that copies the program into a temporary folder and starts it on
// a virtual screen of its own.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace rivolet::testing {

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = temp.path();
    executable = folder / "rivolet";
    std::filesystem::copy_file(
        std::filesystem::path(RIVOLET_BIN_DIR) / "rivolet", executable);
    if (screen.display().empty()) GTEST_SKIP() << "Xvfb could not be started";
  }

  // `env` ("NAME=value") is added to the program's environment, over the
  // test's own data and config folders.
  void StartProgram(std::vector<std::string> arguments = {},
                    std::vector<std::string> env = {}) {
    std::vector<std::string> argv = {executable.string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    // Last, so that a folder given in `env` is the one the program reads.
    env.insert(env.end(),
               {screen.DisplayEnv(), "QT_QPA_PLATFORM=xcb",
                "XDG_DATA_HOME=" + (folder / "xdg").string(),
                "XDG_CONFIG_HOME=" + (folder / "xdg-config").string()});
    program = std::make_unique<ChildProcess>(argv, env,
                                             (folder / "program.log").string());
  }

  std::vector<std::string> Env() const { return {screen.DisplayEnv()}; }

  // Starts openbox on the test's screen, so that windows get frames and
  // title bars as on a desktop. False when it is not installed or does not
  // come up.
  bool StartWindowManager() {
    window_manager = testing::StartWindowManager(screen, folder / "wm-config",
                                                 (folder / "wm.log").string());
    return window_manager != nullptr;
  }

  // The id of the first window whose name matches `pattern`, waiting for it.
  std::string FindWindow(
      const std::string& pattern,
      std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
      bool ok = false;
      std::string out =
          RunCommand({"xdotool", "search", "--onlyvisible", "--name", pattern},
                     Env(), &ok);
      if (ok && !out.empty()) return out.substr(0, out.find('\n'));
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return {};
  }

  // The window's title exactly as the window manager reads it: its
  // _NET_WM_NAME (UTF-8), checked to agree with its WM_NAME.
  std::string Title(const std::string& window) {
    bool ok = false;
    const std::string net = RunCommand(
        {"xprop", "-id", window, "-notype", "_NET_WM_NAME"}, Env(), &ok);
    // _NET_WM_NAME = "text"
    const std::size_t open = net.find('"');
    const std::size_t close = net.rfind('"');
    if (!ok || open == std::string::npos || close <= open) return "?" + net;
    const std::string title = net.substr(open + 1, close - open - 1);
    std::string name = Xdotool({"getwindowname", window});
    while (!name.empty() && name.back() == '\n') name.pop_back();
    return name == title ? title : title + " / WM_NAME " + name;
  }

  // Opens the feed menu with "Choose feed" (the first toolbar button, below
  // the menu bar) and chooses its first feed with the keyboard, until
  // `chosen` says it worked. On a busy machine the menu may open late and
  // miss the keys: then it tries again.
  bool ChooseFirstFeed(const std::string& window,
                       const std::function<bool()>& chosen) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      Xdotool({"key", "Escape"});
      Xdotool({"mousemove", "--window", window, "40", "40"});
      Xdotool({"click", "1"});
      std::this_thread::sleep_for(
          std::chrono::milliseconds(1000 + 1000 * attempt));
      for (const char* key : {"Down", "Right", "Return"}) {
        Xdotool({"key", key});
        std::this_thread::sleep_for(
            std::chrono::milliseconds(400 + 300 * attempt));
      }
      const auto deadline =
          std::chrono::steady_clock::now() + std::chrono::seconds(8);
      while (std::chrono::steady_clock::now() < deadline) {
        if (chosen()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
    }
    return false;
  }

  // Asks the program to end and waits: its exit code, or nothing when it
  // is still running after `limit`.
  std::optional<int> Terminate(std::chrono::milliseconds limit) {
    program->Signal(SIGTERM);
    return program->Wait(limit);
  }

  // The program's dialogs and message boxes on show: its visible windows of
  // the dialog type.
  std::vector<std::string> Boxes() {
    bool ok = false;
    std::istringstream ids(RunCommand(
        {"xdotool", "search", "--onlyvisible", "--classname", "rivolet"}, Env(),
        &ok));
    std::vector<std::string> boxes;
    for (std::string id; std::getline(ids, id);) {
      const std::string type =
          RunCommand({"xprop", "-id", id, "_NET_WM_WINDOW_TYPE"}, Env(), &ok);
      if (type.find("_NET_WM_WINDOW_TYPE_DIALOG") != std::string::npos) {
        boxes.push_back(id);
      }
    }
    return boxes;
  }

  // Whether `holds` comes true within five seconds, asked every 100 ms: the
  // window manager answers a request a moment later, longer when busy.
  bool Soon(const std::function<bool()>& holds) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!holds()) {
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
  }

  // Waits for exactly one box to be on show: its id, or empty.
  std::string WaitForOneBox() {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::vector<std::string> boxes;
    while ((boxes = Boxes()).size() != 1 &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return boxes.size() == 1 ? boxes[0] : std::string();
  }

  // The text of a message box: a triple click on its first line selects it
  // all, which xclip reads back. Empty when that fails.
  std::string BoxText(const std::string& box) {
    const std::string geometry = Xdotool({"getwindowgeometry", box});
    const std::size_t at = geometry.find("Geometry: ");
    if (at == std::string::npos) return {};
    const int width = std::atoi(geometry.c_str() + at + 10);
    Xdotool({"mousemove", "--window", box, std::to_string(width / 2), "22",
             "click", "--repeat", "3", "--delay", "80", "1"});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    bool ok = false;
    return RunCommand({"xclip", "-o", "-selection", "primary"}, Env(), &ok);
  }

  // One property of `window`, as "NAME = value".
  std::string Xprop(const std::string& window, const std::string& name) {
    bool ok = false;
    return RunCommand({"xprop", "-id", window, "-notype", name}, Env(), &ok);
  }
  // The Motif functions `window` asks of the window manager (0x8 minimise,
  // 0x10 maximise).
  long MotifFunctions(const std::string& window) {
    const std::string hints = Xprop(window, "_MOTIF_WM_HINTS");
    const std::size_t at = hints.find(", ");
    return at == std::string::npos ? -1
                                   : std::strtol(&hints[at + 2], nullptr, 16);
  }
  bool Viewable(const std::string& window) {
    bool ok = false;
    return RunCommand({"xwininfo", "-id", window}, Env(), &ok)
               .find("IsViewable") != std::string::npos;
  }

  std::string Xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    bool ok = false;
    return RunCommand(args, Env(), &ok);
  }

  std::string Log() const {
    try {
      return ReadFileBytes(folder / "program.log");
    } catch (...) {
      return {};
    }
  }

  TempDir temp;
  std::filesystem::path folder;
  std::filesystem::path executable;  // a copy of the program in `folder`
  VirtualScreen screen;
  std::unique_ptr<ChildProcess> program;
  std::unique_ptr<ChildProcess> window_manager;
};

}  // namespace rivolet::testing
