// Rivolet's start against a bare Qt main window of the same size, both as
// real processes on one virtual screen, in alternating rounds: the time from
// starting the process to its window being on screen, and the peak memory
// (resident set) once it is there. Reports the medians and the ratios: on a
// bare screen for a later start, and under a window manager (openbox) for a
// first start with a fresh profile (a new folder and new desktop folders,
// so the file type is registered) and for a later one. With "Remember what
// I have read" on, a start with a reading store of 200,000 items against
// one without a store, and against the switch off.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/reading_store_sample.h"
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

// Finds the moment a window appears on the screen: a mapped top-level window
// of the given name, looked for every 2 ms over a connection of our own.
class MapWatcher {
 public:
  explicit MapWatcher(const std::string& display) {
    connection_ = xcb_connect(display.c_str(), nullptr);
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
  }
  ~MapWatcher() { xcb_disconnect(connection_); }

  // Waits until a window named `title` is on screen, a top-level one or one
  // a window manager has framed; false on time-out.
  bool WaitForMapped(const std::string& title, Clock::time_point give_up) {
    while (Clock::now() < give_up) {
      if (Shown(title)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
  }

 private:
  bool Shown(const std::string& title, xcb_window_t parent = 0, int depth = 2) {
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(
        connection_, xcb_query_tree(connection_, parent ? parent : root_),
        nullptr);
    if (tree == nullptr) return false;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    bool found = false;
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
      if (!Viewable(children[i])) continue;
      found = Name(children[i]) == title ||
              (depth > 1 && Shown(title, children[i], depth - 1));
    }
    free(tree);
    return found;
  }

  bool Viewable(xcb_window_t window) {
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, window),
            nullptr);
    if (attributes == nullptr) return false;
    const bool viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    free(attributes);
    return viewable;
  }

  std::string Name(xcb_window_t window) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, window, XCB_ATOM_WM_NAME,
                         XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
        nullptr);
    if (reply == nullptr) return {};
    std::string name(static_cast<const char*>(xcb_get_property_value(reply)),
                     xcb_get_property_value_length(reply));
    free(reply);
    return name;
  }

  xcb_connection_t* connection_;
  xcb_window_t root_;
};

Start StartOnce(const VirtualScreen& screen, MapWatcher& watcher,
                const std::string& program, const std::string& title,
                const std::filesystem::path& desktop_folders) {
  Start start;
  const auto began = Clock::now();
  ChildProcess child(
      {program}, {screen.DisplayEnv(), "QT_QPA_PLATFORM=xcb",
                  "XDG_DATA_HOME=" + (desktop_folders / "data").string(),
                  "XDG_CONFIG_HOME=" + (desktop_folders / "config").string()});
  if (!watcher.WaitForMapped(title, began + std::chrono::seconds(30))) {
    return start;
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

struct Series {
  std::vector<double> seconds, peak_mib;
  void Add(const Start& start) {
    seconds.push_back(start.seconds);
    peak_mib.push_back(start.peak_mib);
  }
};

void Report(benchmark::State& state, const char* name, const Series& ours,
            const Series& bare) {
  const std::string n = name;
  state.counters[n + "_ms"] = Median(ours.seconds) * 1000;
  state.counters[n + "_ratio"] = Median(ours.seconds) / Median(bare.seconds);
  state.counters[n + "_MiB"] = Median(ours.peak_mib);
  state.counters[n + "_memory_ratio"] =
      Median(ours.peak_mib) / Median(bare.peak_mib);
}

void Verbose(int round, const char* name, const Start& start) {
  if (std::getenv("RIVOLET_BENCH_VERBOSE")) {
    std::fprintf(stderr, "round %d: %s %.3f s %.1f MiB\n", round, name,
                 start.seconds, start.peak_mib);
  }
}

// A later start on a bare screen: the same folder and desktop folders every
// round.
void StartAgainstBareWindow(benchmark::State& state) {
  const std::filesystem::path bin = RIVOLET_BIN_DIR;
  TempDir folder;
  std::filesystem::copy_file(bin / "rivolet", folder / "rivolet");
  VirtualScreen screen;
  if (screen.display().empty()) {
    state.SkipWithError("Xvfb could not be started");
    return;
  }
  MapWatcher watcher(screen.display());
  const int rounds = static_cast<int>(state.range(0));
  for (auto _ : state) {
    Series ours, bare;
    for (int round = 0; round < rounds; ++round) {
      const Start b = StartOnce(screen, watcher, (bin / "bare_window").string(),
                                "Bare", folder / "bare-desktop");
      const Start o = StartOnce(screen, watcher, (folder / "rivolet").string(),
                                "Rivolet", folder / "desktop");
      Verbose(round, "bare", b);
      Verbose(round, "later", o);
      bare.Add(b);
      ours.Add(o);
    }
    state.counters["bare_ms"] = Median(bare.seconds) * 1000;
    state.counters["bare_MiB"] = Median(bare.peak_mib);
    Report(state, "later", ours, bare);
  }
}
BENCHMARK(StartAgainstBareWindow)
    ->Arg(9)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// Under a window manager: each round a first start in a new folder with new
// desktop folders, then a later start of the same copy.
void StartUnderWindowManager(benchmark::State& state) {
  const std::filesystem::path bin = RIVOLET_BIN_DIR;
  TempDir work;
  VirtualScreen screen;
  if (screen.display().empty()) {
    state.SkipWithError("Xvfb could not be started");
    return;
  }
  const auto window_manager = StartWindowManager(screen, work / "wm");
  if (!window_manager) {
    state.SkipWithError("openbox could not be started");
    return;
  }
  MapWatcher watcher(screen.display());
  const int rounds = static_cast<int>(state.range(0));
  for (auto _ : state) {
    Series first, later, bare;
    for (int round = 0; round < rounds; ++round) {
      const std::filesystem::path folder =
          work / ("round" + std::to_string(round));
      std::filesystem::create_directories(folder);
      std::filesystem::copy_file(bin / "rivolet", folder / "rivolet");
      const Start b = StartOnce(screen, watcher, (bin / "bare_window").string(),
                                "Bare", work / "bare-desktop");
      const Start f = StartOnce(screen, watcher, (folder / "rivolet").string(),
                                "Rivolet", folder / "desktop");
      const Start l = StartOnce(screen, watcher, (folder / "rivolet").string(),
                                "Rivolet", folder / "desktop");
      Verbose(round, "bare", b);
      Verbose(round, "first", f);
      Verbose(round, "later", l);
      bare.Add(b);
      first.Add(f);
      later.Add(l);
    }
    state.counters["bare_ms"] = Median(bare.seconds) * 1000;
    state.counters["bare_MiB"] = Median(bare.peak_mib);
    Report(state, "first", first, bare);
    Report(state, "later", later, bare);
  }
}
BENCHMARK(StartUnderWindowManager)
    ->Arg(9)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// Later starts on a bare screen of three copies in alternating rounds: the
// switch off, the switch on without a store (made anew each round, so
// removed before it), and the switch on with a store of 200,000 items.
void StartWithAReadingStore(benchmark::State& state) {
  const std::filesystem::path bin = RIVOLET_BIN_DIR;
  TempDir work;
  const std::filesystem::path off = work / "off", empty = work / "empty",
                              full = work / "full";
  for (const auto& folder : {off, empty, full}) {
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(bin / "rivolet", folder / "rivolet");
  }
  for (const auto& folder : {empty, full}) {
    std::ofstream(folder / "rivolet.ini") << "[reading]\r\nremember=1\r\n";
  }
  MakeSampleReadingStore(full / "reading.db");
  VirtualScreen screen;
  if (screen.display().empty()) {
    state.SkipWithError("Xvfb could not be started");
    return;
  }
  MapWatcher watcher(screen.display());
  const int rounds = static_cast<int>(state.range(0));
  for (auto _ : state) {
    Series series_off, series_empty, series_full;
    for (int round = 0; round < rounds; ++round) {
      for (const char* name :
           {"reading.db", "reading.db-wal", "reading.db-shm"})
        std::filesystem::remove(empty / name);
      const Start o = StartOnce(screen, watcher, (off / "rivolet").string(),
                                "Rivolet", off / "desktop");
      const Start e = StartOnce(screen, watcher, (empty / "rivolet").string(),
                                "Rivolet", empty / "desktop");
      const Start f = StartOnce(screen, watcher, (full / "rivolet").string(),
                                "Rivolet", full / "desktop");
      Verbose(round, "off", o);
      Verbose(round, "no store", e);
      Verbose(round, "200k store", f);
      series_off.Add(o);
      series_empty.Add(e);
      series_full.Add(f);
    }
    state.counters["off_ms"] = Median(series_off.seconds) * 1000;
    state.counters["off_MiB"] = Median(series_off.peak_mib);
    state.counters["no_store_ms"] = Median(series_empty.seconds) * 1000;
    state.counters["no_store_MiB"] = Median(series_empty.peak_mib);
    Report(state, "store", series_full, series_empty);
    state.counters["store_vs_off_ratio"] =
        Median(series_full.seconds) / Median(series_off.seconds);
    state.counters["store_vs_off_memory_ratio"] =
        Median(series_full.peak_mib) / Median(series_off.peak_mib);
  }
}
BENCHMARK(StartWithAReadingStore)
    ->Arg(9)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace rivolet::testing

BENCHMARK_MAIN();
