// Child processes and Xvfb for end-to-end tests.
#include "tests/support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace rivolet::testing {
namespace {

std::vector<char*> CStrings(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

std::vector<std::string> MergedEnvironment(
    const std::vector<std::string>& extra) {
  std::vector<std::string> merged;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry(*e);
    const std::string name = entry.substr(0, entry.find('='));
    bool replaced = false;
    for (const std::string& x : extra) {
      if (x.substr(0, x.find('=')) == name) replaced = true;
    }
    if (!replaced) merged.push_back(entry);
  }
  merged.insert(merged.end(), extra.begin(), extra.end());
  return merged;
}

int DecodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return -WTERMSIG(status);
  return -1000;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::string>& env,
                           const std::string& log_file) {
  std::vector<std::string> args = argv;
  std::vector<std::string> environment = MergedEnvironment(env);
  std::vector<char*> c_args = CStrings(args);
  std::vector<char*> c_env = CStrings(environment);
  pid_ = ::fork();
  if (pid_ == 0) {
    if (!log_file.empty()) {
      int fd = ::open(log_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd >= 0) {
        ::dup2(fd, 1);
        ::dup2(fd, 2);
        ::close(fd);
      }
    }
    ::setpgid(0, 0);
    ::execve(c_args[0], c_args.data(), c_env.data());
    ::_exit(127);
  }
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !status_) {
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
}

void ChildProcess::Signal(int sig) {
  if (pid_ > 0 && !status_) ::kill(pid_, sig);
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds limit) {
  if (status_) return status_;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      status_ = DecodeStatus(status);
      return status_;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return std::nullopt;
}

std::string RunCommand(const std::vector<std::string>& argv,
                       const std::vector<std::string>& env, bool* ok,
                       std::chrono::milliseconds limit) {
  int pipe_fds[2];
  *ok = false;
  if (::pipe(pipe_fds) != 0) return {};
  std::vector<std::string> args = argv;
  std::vector<std::string> environment = MergedEnvironment(env);
  std::vector<char*> c_args = CStrings(args);
  std::vector<char*> c_env = CStrings(environment);
  pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(pipe_fds[1], 1);
    ::close(pipe_fds[0]);
    ::close(pipe_fds[1]);
    int null_fd = ::open("/dev/null", O_WRONLY);
    if (null_fd >= 0) ::dup2(null_fd, 2);
    ::execvpe(c_args[0], c_args.data(), c_env.data());
    ::_exit(127);
  }
  ::close(pipe_fds[1]);
  std::string output;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{pipe_fds[0], POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
    char buffer[4096];
    ssize_t got = ::read(pipe_fds[0], buffer, sizeof buffer);
    if (got <= 0) break;
    output.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(pipe_fds[0]);
  ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  *ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return output;
}

VirtualScreen::VirtualScreen() {
  int fds[2];
  if (::pipe(fds) != 0) return;
  pid_ = ::fork();
  if (pid_ == 0) {
    ::close(fds[0]);
    int null_fd = ::open("/dev/null", O_WRONLY);
    if (null_fd >= 0) {
      ::dup2(null_fd, 1);
      ::dup2(null_fd, 2);
    }
    const std::string fd_text = std::to_string(fds[1]);
    // -noreset: the server keeps running when its last client leaves, so a
    // test that starts the program twice never meets a server resetting.
    ::execlp("Xvfb", "Xvfb", "-displayfd", fd_text.c_str(), "-screen", "0",
             "1024x768x24", "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[1]);
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    if (::poll(&p, 1, 200) <= 0) continue;
    char c;
    if (::read(fds[0], &c, 1) != 1) break;
    if (c == '\n') break;
    number += c;
  }
  ::close(fds[0]);
  if (!number.empty()) display_ = ":" + number;
}

VirtualScreen::~VirtualScreen() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
}

std::string FindProgram(const std::string& name) {
  const char* search = std::getenv("PATH");
  const std::string dirs = search ? search : "/usr/bin:/bin";
  for (std::size_t at = 0; at <= dirs.size();) {
    std::size_t end = dirs.find(':', at);
    if (end == std::string::npos) end = dirs.size();
    const std::filesystem::path candidate =
        std::filesystem::path(dirs.substr(at, end - at)) / name;
    std::error_code ec;
    if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
    at = end + 1;
  }
  return {};
}

std::unique_ptr<ChildProcess> StartWindowManager(
    const VirtualScreen& screen, const std::filesystem::path& config_folder,
    const std::string& log_file) {
  const std::string path = FindProgram("openbox");
  if (path.empty()) return nullptr;
  auto window_manager = std::make_unique<ChildProcess>(
      std::vector<std::string>{path},
      std::vector<std::string>{screen.DisplayEnv(),
                               "XDG_CONFIG_HOME=" + config_folder.string()},
      log_file);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    bool ok = false;
    const std::string check =
        RunCommand({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"},
                   {screen.DisplayEnv()}, &ok);
    if (ok && check.find("window id") != std::string::npos) {
      return window_manager;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return nullptr;
}

}  // namespace rivolet::testing
