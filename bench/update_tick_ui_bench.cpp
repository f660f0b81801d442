// One update tick of 200 due feeds from a server that answers each after
// 50 ms: fetched one after another on one thread (each download then its
// first item read), and fetched the program's way, through the main window's
// timer handler with the downloads on worker threads. Reports both times,
// their ratio, and the longest wait of a 10 ms heartbeat timer on the
// window's thread during the program's tick; the same with only new items
// notified, every item of every feed recorded in the reading store (the
// first tick, where every item is new, and a second, where none is).
//
//   update_tick_ui_bench [--feeds=200]
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "bench/qt_bench_main.h"
#include "reader/stored_feed.h"
#include "tests/support/loopback_server.h"
#include "tests/support/ui/app_harness.h"

namespace rivolet {
namespace {

int feed_count = 200;
constexpr auto kAnswerDelay = std::chrono::milliseconds(50);

std::string Feed(int n) {
  const std::string title = "Feed " + std::to_string(n);
  std::string feed = "<?xml version=\"1.0\"?><rss><channel><title>" + title +
                     "</title><link>https://example.com/</link>";
  for (int i = 0; i < 10; ++i) {
    feed += "<item><title>" + title + " item " + std::to_string(i) +
            "</title><link>https://example.com/" + std::to_string(i) +
            "</link><description>Some words about the item, &amp; more."
            "</description><pubDate>Tue, 01 Mar 2005 12:00:00 GMT</pubDate>"
            "</item>";
  }
  return feed + "</channel></rss>";
}

void SlowServer(testing::LoopbackServer& server) {
  server.SetHandler([](const testing::Request& request) {
    std::this_thread::sleep_for(kAnswerDelay);
    return testing::Response::Ok(Feed(std::atoi(request.target.c_str() + 2)));
  });
}

std::string Url(const testing::LoopbackServer& server, int n) {
  return server.Url("/f" + std::to_string(n));
}

// The program's tick through the window's handler: its time and the longest
// wait of the heartbeat.
struct TickTimes {
  double ms = 0;
  double longest_wait_ms = 0;
};

TickTimes RunTick(testing::AppHarness& harness) {
  QElapsedTimer clock, beat_clock;
  qint64 last_beat = 0, longest_wait = 0;
  QTimer heartbeat;
  QObject::connect(&heartbeat, &QTimer::timeout, [&] {
    const qint64 now = beat_clock.elapsed();
    longest_wait = std::max(longest_wait, now - last_beat);
    last_beat = now;
  });
  heartbeat.start(10);
  beat_clock.start();
  clock.start();
  harness.Main().timerTimer();
  // The window's thread runs its event loop as the program's does (no
  // sleeping between checks, as a test's wait would).
  QEventLoop loop;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (!harness.app->Updater().running()) loop.quit();
  });
  watch.start(1);
  loop.exec();
  heartbeat.stop();
  return {static_cast<double>(clock.elapsed()),
          static_cast<double>(longest_wait)};
}

double SequentialMs(const testing::LoopbackServer& server) {
  // As described: one download after another, each read as it arrives.
  QElapsedTimer clock;
  clock.start();
  HttpClient client;
  for (int n = 0; n < feed_count; ++n) {
    benchmark::DoNotOptimize(
        ReadFirstItem(HttpGetText(client, Url(server, n))));
  }
  return static_cast<double>(clock.elapsed());
}

RivoletApp& StartWithFeeds(testing::AppHarness& harness,
                           const testing::LoopbackServer& server) {
  RivoletApp& app = harness.Start();
  for (int n = 0; n < feed_count; ++n) {
    app.feed_list.Append("Feed " + std::to_string(n), "c", "1", Url(server, n));
  }
  return app;
}

// A tick's time, its share of the sequential time, and the longest wait of
// the window's heartbeat, under `name`.
void ReportTick(benchmark::State& state, const std::string& name,
                const TickTimes& tick, double sequential_ms) {
  state.counters[name + "_ms"] = tick.ms;
  state.counters[name + "_share"] = tick.ms / sequential_ms;
  state.counters[name + "_longest_heartbeat_wait_ms"] = tick.longest_wait_ms;
}

void UpdateTick(benchmark::State& state) {
  testing::LoopbackServer server;
  SlowServer(server);
  for (auto _ : state) {
    const double sequential_ms = SequentialMs(server);
    testing::AppHarness harness;
    RivoletApp& app = StartWithFeeds(harness, server);
    const TickTimes ours = RunTick(harness);
    if (app.AktualizacjaForm().akt->topLevelItemCount() != feed_count) {
      state.SkipWithError("the tick did not give a row per feed");
    }
    state.counters["sequential_ms"] = sequential_ms;
    ReportTick(state, "ours", ours, sequential_ms);
  }
}
BENCHMARK(UpdateTick)->Iterations(1)->Unit(benchmark::kSecond);

void UpdateTickOnlyNew(benchmark::State& state) {
  testing::LoopbackServer server;
  SlowServer(server);
  for (auto _ : state) {
    const double sequential_ms = SequentialMs(server);
    testing::AppHarness harness;
    RivoletApp& app = StartWithFeeds(harness, server);
    app.remembered.SetSwitches({false, true});
    const TickTimes first = RunTick(harness);
    const int first_rows = app.AktualizacjaForm().akt->topLevelItemCount();
    const TickTimes second = RunTick(harness);
    if (first_rows != 100 ||
        app.AktualizacjaForm().akt->topLevelItemCount() != 0) {
      state.SkipWithError("the ticks did not list the new items only");
    }
    state.counters["sequential_ms"] = sequential_ms;
    ReportTick(state, "first", first, sequential_ms);
    ReportTick(state, "second", second, sequential_ms);
  }
}
BENCHMARK(UpdateTickOnlyNew)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace rivolet

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--feeds=", 8) == 0) {
      rivolet::feed_count = std::max(1, std::atoi(argv[i] + 8));
    }
  }
  return rivolet::RunQtBenchmarks(argc, argv);
}
