// How long the window goes without painting while a download waits: a
// widget asks to be repainted every 10 ms during a download from a server
// that never answers, and the longest time between two paints is reported
// (with the download the windows wait for on a worker thread, it stays near
// the 10 ms asked for).
//
//   download_ui_bench --seconds=30     (default 5)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "background/download.h"
#include "bench/qt_bench_main.h"
#include "common/error.h"
#include "tests/support/loopback_server.h"

namespace rivolet {
namespace {

int silent_seconds = 5;

class PaintClock : public QWidget {
 public:
  PaintClock() { clock_.start(); }
  qint64 longest_gap_ms = 0;
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent*) override {
    const qint64 now = clock_.elapsed();
    if (paints > 0) longest_gap_ms = std::max(longest_gap_ms, now - last_);
    last_ = now;
    ++paints;
  }

 private:
  QElapsedTimer clock_;
  qint64 last_ = 0;
};

void SilentDownload(benchmark::State& state) {
  testing::LoopbackServer server;
  server.Serve("/silent.xml", testing::Response::Silent());
  HttpClientSettings settings;
  settings.idle_timeout = std::chrono::seconds(silent_seconds);
  for (auto _ : state) {
    PaintClock window;
    window.resize(200, 100);
    window.show();
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, &window,
                     [&window] { window.update(); });
    heartbeat.start(10);
    HttpClient client(settings);
    try {
      FetchWhilePainting(client, server.Url("/silent.xml"),
                         [](HttpResult fetched) { return fetched.body; });
    } catch (const Error&) {
      // The idle time-out ends the download, as it should.
    }
    state.counters["longest_gap_ms"] =
        static_cast<double>(window.longest_gap_ms);
    state.counters["paints"] = window.paints;
  }
}
BENCHMARK(SilentDownload)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace rivolet

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--seconds=", 10) == 0) {
      rivolet::silent_seconds = std::atoi(argv[i] + 10);
    }
  }
  return rivolet::RunQtBenchmarks(argc, argv);
}
