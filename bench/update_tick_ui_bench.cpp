// One update tick of 200 due feeds from a server that answers each after
// 50 ms: fetched one after another on one thread (each download then its
// first item read), and fetched the program's way, through the main window's
// timer handler with the downloads on worker threads. Reports both times,
// their ratio, and the longest wait of a 10 ms heartbeat timer on the
// window's thread during the program's tick.
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

void UpdateTick(benchmark::State& state) {
  testing::LoopbackServer server;
  SlowServer(server);
  for (auto _ : state) {
    // As described: one download after another, each read as it arrives.
    QElapsedTimer clock;
    clock.start();
    HttpClient client;
    for (int n = 0; n < feed_count; ++n) {
      benchmark::DoNotOptimize(
          ReadFirstItem(HttpGetText(client, Url(server, n))));
    }
    const double sequential_ms = static_cast<double>(clock.elapsed());

    // Ours, through the window's handler.
    testing::AppHarness harness;
    RivoletApp& app = harness.Start();
    for (int n = 0; n < feed_count; ++n) {
      app.feed_list.Append("Feed " + std::to_string(n), "c", "1",
                           Url(server, n));
    }
    QElapsedTimer beat_clock;
    qint64 last_beat = 0, longest_wait = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
      const qint64 now = beat_clock.elapsed();
      longest_wait = std::max(longest_wait, now - last_beat);
      last_beat = now;
    });
    heartbeat.start(10);
    beat_clock.start();
    clock.restart();
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
    const double ours_ms = static_cast<double>(clock.elapsed());
    heartbeat.stop();
    if (app.AktualizacjaForm().akt->topLevelItemCount() != feed_count) {
      state.SkipWithError("the tick did not give a row per feed");
    }

    state.counters["sequential_ms"] = sequential_ms;
    state.counters["ours_ms"] = ours_ms;
    state.counters["ours_share"] = ours_ms / sequential_ms;
    state.counters["longest_heartbeat_wait_ms"] =
        static_cast<double>(longest_wait);
  }
}
BENCHMARK(UpdateTick)->Iterations(1)->Unit(benchmark::kSecond);

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
