// Downloading a 10 MiB body from a loopback server, three ways in one run
// against the same server: our client in this process, our client as a
// process of its own, and curl as a process. The two processes are timed the
// same way (start to exit) and also report the time they measured
// themselves for the transfer alone.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "net/http_client.h"
#include "tests/support/loopback_server.h"

extern char** environ;

namespace {

using rivolet::testing::LoopbackServer;
using rivolet::testing::Response;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kBodySize = 10 * 1024 * 1024;

LoopbackServer& Server() {
  static LoopbackServer* server = [] {
    auto* s = new LoopbackServer();
    std::string body(kBodySize, '\0');
    for (std::size_t i = 0; i < body.size(); ++i) {
      body[i] = static_cast<char>('a' + i % 26);
    }
    s->Serve("/big.xml", Response::Ok(std::move(body)));
    return s;
  }();
  return *server;
}

struct Run {
  bool ok = false;
  double wall_seconds = 0;
  std::string output;
};

// Starts `argv` with its output captured, waits for it to exit.
Run RunProcess(const std::vector<std::string>& args) {
  Run run;
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
  std::vector<char*> argv;
  for (const std::string& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  Clock::time_point start = Clock::now();
  pid_t pid;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_fds[1]);
  if (rc != 0) {
    close(pipe_fds[0]);
    return run;
  }
  char buffer[256];
  ssize_t n;
  while ((n = read(pipe_fds[0], buffer, sizeof buffer)) > 0) {
    run.output.append(buffer, static_cast<std::size_t>(n));
  }
  close(pipe_fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  run.wall_seconds =
      std::chrono::duration<double>(Clock::now() - start).count();
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

std::string SelfPath() {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

void ProcessBenchmark(benchmark::State& state, std::vector<std::string> args) {
  double self_timed = 0;
  for (auto _ : state) {
    Run run = RunProcess(args);
    if (!run.ok) {
      state.SkipWithError("the download process failed");
      return;
    }
    state.SetIterationTime(run.wall_seconds);
    self_timed += std::strtod(run.output.c_str(), nullptr);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBodySize));
  state.counters["self_timed_ms"] =
      benchmark::Counter(self_timed * 1000, benchmark::Counter::kAvgIterations);
}

void BM_HttpClientInProcess(benchmark::State& state) {
  const std::string url = Server().Url("/big.xml");
  rivolet::HttpClient client;
  for (auto _ : state) {
    Clock::time_point start = Clock::now();
    std::string body = client.Get(url);
    state.SetIterationTime(
        std::chrono::duration<double>(Clock::now() - start).count());
    if (body.size() != kBodySize) state.SkipWithError("short body");
    benchmark::DoNotOptimize(body.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBodySize));
}

void BM_HttpClientProcess(benchmark::State& state) {
  ProcessBenchmark(state, {SelfPath(), "--fetch", Server().Url("/big.xml")});
}

void BM_CurlProcess(benchmark::State& state) {
  ProcessBenchmark(state,
                   {"curl", "--silent", "--fail", "--output", "/dev/null",
                    "--write-out", "%{time_total}", Server().Url("/big.xml")});
}

BENCHMARK(BM_HttpClientInProcess)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HttpClientProcess)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CurlProcess)->UseManualTime()->Unit(benchmark::kMillisecond);

// The child side of BM_HttpClientProcess: fetch like curl does, body to
// /dev/null, and print the seconds the transfer took.
int Fetch(const char* url) {
  Clock::time_point start = Clock::now();
  rivolet::HttpClient client;
  std::string body = client.Get(url);
  std::FILE* sink = std::fopen("/dev/null", "wb");
  if (sink == nullptr ||
      std::fwrite(body.data(), 1, body.size(), sink) != body.size()) {
    return 1;
  }
  std::fclose(sink);
  std::printf("%f",
              std::chrono::duration<double>(Clock::now() - start).count());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string_view(argv[1]) == "--fetch") {
    try {
      return Fetch(argv[2]);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s\n", e.what());
      return 1;
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
