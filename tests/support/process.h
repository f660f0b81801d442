// Starting another program for end-to-end tests: a child process with extra
// environment variables, waited for with a time limit, and a virtual X
// screen (Xvfb) of its own.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace rivolet::testing {

class ChildProcess {
 public:
  // Starts `argv[0]` with `argv`, adding `env` ("NAME=value") to this
  // process's environment. Standard output and error go to `log_file` when
  // given.
  ChildProcess(const std::vector<std::string>& argv,
               const std::vector<std::string>& env,
               const std::string& log_file = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  void Signal(int sig);
  // The exit code, or -signal when killed by a signal; empty on time-out.
  std::optional<int> Wait(std::chrono::milliseconds limit);

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

// Runs a command to completion and returns its standard output; `ok` tells
// whether it exited 0 within the limit.
std::string RunCommand(
    const std::vector<std::string>& argv, const std::vector<std::string>& env,
    bool* ok, std::chrono::milliseconds limit = std::chrono::seconds(20));

// The full path of a program found on PATH, or empty.
std::string FindProgram(const std::string& name);

class VirtualScreen;

// Starts openbox on `screen`, with its settings in `config_folder` and its
// output in `log_file`, so that windows get frames and title bars as on a
// desktop; returns once it manages the screen. Nothing when it is not
// installed or does not come up.
std::unique_ptr<ChildProcess> StartWindowManager(
    const VirtualScreen& screen, const std::filesystem::path& config_folder,
    const std::string& log_file = {});

// A private X server for one test.
class VirtualScreen {
 public:
  VirtualScreen();
  ~VirtualScreen();
  // ":N", or empty when Xvfb could not be started.
  const std::string& display() const { return display_; }
  std::string DisplayEnv() const { return "DISPLAY=" + display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace rivolet::testing
