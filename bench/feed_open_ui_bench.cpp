// Opening the 2 MB, 1,000-item sample feed from the feed menu, served on
// loopback. The program's way: the worker that downloads the feed reads it,
// and the window's thread takes the finished reading, fills the list and
// paints it. Beside it, the way of reading on the window's thread once the
// download has ended (both readings, as the window did before).
//
// Reported: the window thread's time from the download's end to the painted
// list (window_ms; the longest stretch it cannot paint), and the whole open
// from the click to the painted list (open_ms), for both ways.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTreeWidget>
#include <algorithm>
#include <string>
#include <vector>

#include "background/download.h"
#include "bench/qt_bench_main.h"
#include "bench/sample_feed.h"
#include "reader/shown_feed.h"
#include "reader/stored_feed.h"
#include "tests/support/loopback_server.h"
#include "tests/support/ui/app_harness.h"

namespace rivolet {
namespace {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

double Ms(const QElapsedTimer& clock) {
  return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

void OpenSampleFeed(benchmark::State& state) {
  testing::LoopbackServer server;
  server.Serve("/sample.xml", testing::Response::Ok(MakeSampleFeed()));
  const std::string url = server.Url("/sample.xml");
  testing::AppHarness harness;
  RivoletApp& app = harness.Start();
  app.feed_list.Append("Sample", "Bench", "60", url);
  TMainForm& form = harness.Main();
  QCoreApplication::processEvents();
  const auto painted = [&form] {
    form.main_channels->viewport()->repaint();
    if (form.main_channels->topLevelItemCount() != 100) std::abort();
  };

  std::vector<double> ours_window, ours_open, before_window, before_open;
  for (auto _ : state) {
    // Ours: the click's handler waits while the worker downloads and reads.
    QElapsedTimer clock;
    clock.start();
    form.FeedMenuItemClick(0);
    painted();
    ours_open.push_back(Ms(clock));
    // What the window's thread does once the reading has come.
    ShownFeed reading = FetchWhilePainting(
        app.http, url,
        [](HttpResult fetched) { return ReadShownFeed(fetched.body); });
    clock.restart();
    form.ShowFeedReading(url, std::move(reading));
    painted();
    ours_window.push_back(Ms(clock));

    // Before: the body comes to the window's thread, which reads it both
    // ways and fills the list.
    clock.restart();
    std::string body = FetchWhilePainting(
        app.http, url, [](HttpResult fetched) { return fetched.body; });
    QElapsedTimer window_clock;
    window_clock.start();
    ShownFeed shown = ReadShownFeed(body);
    benchmark::DoNotOptimize(ReadFeed(std::move(body)));
    form.ShowFeedReading(url, std::move(shown));
    painted();
    before_window.push_back(Ms(window_clock));
    before_open.push_back(Ms(clock));
    QCoreApplication::processEvents();
  }
  state.counters["window_ms"] = Median(ours_window);
  state.counters["open_ms"] = Median(ours_open);
  state.counters["before_window_ms"] = Median(before_window);
  state.counters["before_open_ms"] = Median(before_open);
}
BENCHMARK(OpenSampleFeed)->Iterations(9)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rivolet

int main(int argc, char** argv) { return rivolet::RunQtBenchmarks(argc, argv); }
