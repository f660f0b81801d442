// Rivolet's start against a bare Qt main window of the same size, both as
// real processes on one virtual screen, in alternating rounds: the time from
// starting the process to its window being on screen, and the peak memory
// (resident set) once it is there. Reports the medians and the ratios.
#include <benchmark/benchmark.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace rivolet::testing {
namespace {

using Clock = std::chrono::steady_clock;

struct Start {
  double seconds = 0;
  double peak_mib = 0;
};

double PeakMiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024;
  }
  return 0;
}

bool WindowShown(const VirtualScreen& screen, const std::string& title) {
  bool ok = false;
  const std::string found =
      RunCommand({"xdotool", "search", "--onlyvisible", "--name", title},
                 {screen.DisplayEnv()}, &ok);
  return ok && !found.empty();
}

Start StartOnce(const VirtualScreen& screen, const std::string& program,
                const std::string& title) {
  Start start;
  const auto began = Clock::now();
  ChildProcess child({program}, {screen.DisplayEnv(), "QT_QPA_PLATFORM=xcb",
                                 "XDG_DATA_HOME=/tmp/rivolet-bench-xdg"});
  while (!WindowShown(screen, title)) {
    if (Clock::now() - began > std::chrono::seconds(30)) return start;
  }
  start.seconds = std::chrono::duration<double>(Clock::now() - began).count();
  // Let it settle: the first paint and whatever the start still does.
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  start.peak_mib = PeakMiB(child.pid());
  child.Signal(SIGTERM);
  child.Wait(std::chrono::seconds(10));
  return start;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

void StartAgainstBareWindow(benchmark::State& state) {
  const std::filesystem::path bin = RIVOLET_BIN_DIR;
  TempDir folder;
  std::filesystem::copy_file(bin / "rivolet", folder / "rivolet");
  VirtualScreen screen;
  if (screen.display().empty()) {
    state.SkipWithError("Xvfb could not be started");
    return;
  }
  const int rounds = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::vector<double> ours_time, bare_time, ours_peak, bare_peak;
    for (int round = 0; round < rounds; ++round) {
      const Start bare =
          StartOnce(screen, (bin / "bare_window").string(), "^Bare$");
      const Start ours =
          StartOnce(screen, (folder / "rivolet").string(), "^Rivolet$");
      bare_time.push_back(bare.seconds);
      bare_peak.push_back(bare.peak_mib);
      ours_time.push_back(ours.seconds);
      ours_peak.push_back(ours.peak_mib);
    }
    state.counters["rivolet_ms"] = Median(ours_time) * 1000;
    state.counters["bare_ms"] = Median(bare_time) * 1000;
    state.counters["time_ratio"] = Median(ours_time) / Median(bare_time);
    state.counters["rivolet_MiB"] = Median(ours_peak);
    state.counters["bare_MiB"] = Median(bare_peak);
    state.counters["memory_ratio"] = Median(ours_peak) / Median(bare_peak);
  }
}
BENCHMARK(StartAgainstBareWindow)
    ->Arg(7)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace rivolet::testing

BENCHMARK_MAIN();
