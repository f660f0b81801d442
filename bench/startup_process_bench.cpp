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

// One program started once a round: its name in the report, its executable,
// its window's title and the folder its desktop folders go in.
struct Contender {
  const char* name;
  std::filesystem::path executable;
  const char* title;
  std::filesystem::path desktop;
};

// Starts the contenders of each round in turn, `rounds` times; their series
// in the contenders' order. RIVOLET_BENCH_VERBOSE prints every start.
template <typename ContendersOf>
std::vector<Series> StartInRounds(const VirtualScreen& screen,
                                  MapWatcher& watcher, int rounds,
                                  ContendersOf&& contenders_of) {
  std::vector<Series> series;
  for (int round = 0; round < rounds; ++round) {
    const std::vector<Contender> contenders = contenders_of(round);
    series.resize(contenders.size());
    for (std::size_t k = 0; k < contenders.size(); ++k) {
      const Contender& c = contenders[k];
      const Start start =
          StartOnce(screen, watcher, c.executable.string(), c.title, c.desktop);
      if (std::getenv("RIVOLET_BENCH_VERBOSE")) {
        std::fprintf(stderr, "round %d: %s %.3f s %.1f MiB\n", round, c.name,
                     start.seconds, start.peak_mib);
      }
      series[k].Add(start);
    }
  }
  return series;
}

// The median time and peak memory of a series alone.
void ReportAlone(benchmark::State& state, const std::string& name,
                 const Series& series) {
  state.counters[name + "_ms"] = Median(series.seconds) * 1000;
  state.counters[name + "_MiB"] = Median(series.peak_mib);
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
  for (auto _ : state) {
    const std::vector<Series> series = StartInRounds(
        screen, watcher, static_cast<int>(state.range(0)), [&](int) {
          return std::vector<Contender>{
              {"bare", bin / "bare_window", "Bare", folder / "bare-desktop"},
              {"later", folder / "rivolet", "Rivolet", folder / "desktop"}};
        });
    ReportAlone(state, "bare", series[0]);
    Report(state, "later", series[1], series[0]);
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
  for (auto _ : state) {
    const std::vector<Series> series = StartInRounds(
        screen, watcher, static_cast<int>(state.range(0)), [&](int round) {
          const std::filesystem::path folder =
              work / ("round" + std::to_string(round));
          std::filesystem::create_directories(folder);
          std::filesystem::copy_file(bin / "rivolet", folder / "rivolet");
          return std::vector<Contender>{
              {"bare", bin / "bare_window", "Bare", work / "bare-desktop"},
              {"first", folder / "rivolet", "Rivolet", folder / "desktop"},
              {"later", folder / "rivolet", "Rivolet", folder / "desktop"}};
        });
    ReportAlone(state, "bare", series[0]);
    Report(state, "first", series[1], series[0]);
    Report(state, "later", series[2], series[0]);
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
  for (auto _ : state) {
    const std::vector<Series> series = StartInRounds(
        screen, watcher, static_cast<int>(state.range(0)), [&](int) {
          for (const char* name :
               {"reading.db", "reading.db-wal", "reading.db-shm"}) {
            std::filesystem::remove(empty / name);
          }
          return std::vector<Contender>{
              {"off", off / "rivolet", "Rivolet", off / "desktop"},
              {"no store", empty / "rivolet", "Rivolet", empty / "desktop"},
              {"200k store", full / "rivolet", "Rivolet", full / "desktop"}};
        });
    const Series &series_off = series[0], &series_empty = series[1],
                 &series_full = series[2];
    ReportAlone(state, "off", series_off);
    ReportAlone(state, "no_store", series_empty);
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
