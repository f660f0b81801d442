// A fixture that copies the program into a temporary folder and starts it on
// a virtual screen of its own.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
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
    std::filesystem::copy_file(
        std::filesystem::path(RIVOLET_BIN_DIR) / "rivolet", folder / "rivolet");
    if (screen.display().empty()) GTEST_SKIP() << "Xvfb could not be started";
  }

  void StartProgram(std::vector<std::string> arguments = {}) {
    std::vector<std::string> argv = {(folder / "rivolet").string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    program = std::make_unique<ChildProcess>(
        argv,
        std::vector<std::string>{
            screen.DisplayEnv(), "QT_QPA_PLATFORM=xcb",
            "XDG_DATA_HOME=" + (folder / "xdg").string(),
            "XDG_CONFIG_HOME=" + (folder / "xdg-config").string()},
        (folder / "program.log").string());
  }

  std::vector<std::string> Env() const { return {screen.DisplayEnv()}; }

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
  VirtualScreen screen;
  std::unique_ptr<ChildProcess> program;
};

}  // namespace rivolet::testing
