// Dead feeds beside good ones: 1,000 feeds that answer at once and 50 that
// accept the connection and never answer, all due every minute, updated
// through the program's update room with its real HTTP settings (the 30 s
// idle time-out). The bench calls the minute tick itself every 60 s for five
// minutes and reports, for each minute, the worst lateness of a good feed
// (from the tick to the feed's request at the server) and how many good
// feeds were not fetched within 5 s of it.
//
// First it checks that the loopback server holds 1,050 connections at once,
// so what is measured is the program and not the server.
//
//   dead_feeds_ui_bench [--minutes=5] [--silent-first] [--trickle]
//
// The dead feeds are spread through the list (every 21st feed), or with
// --silent-first all at its head. With --trickle they do answer, one byte
// every 20 s, so that only the 120 s limit of a whole download ends them and
// a tick's downloads outlast the next minutes.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <string>
#include <vector>

#include "bench/qt_bench_main.h"
#include "tests/support/loopback_server.h"
#include "tests/support/ui/app_harness.h"

namespace rivolet {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kGoodFeeds = 1000;
constexpr int kSilentFeeds = 50;
constexpr auto kMinute = std::chrono::seconds(60);
constexpr auto kTarget = std::chrono::seconds(5);
int minutes = 5;
bool silent_first = false;
bool trickle = false;

std::string Feed(int n) {
  const std::string title = "Feed " + std::to_string(n);
  return "<?xml version=\"1.0\"?><rss><channel><title>" + title +
         "</title><item><title>" + title +
         " item</title><link>https://example.com/1</link></item></channel>"
         "</rss>";
}

// Opens `count` connections to `server` at once, each sending a request the
// server leaves unanswered; true when the server took every request. The
// connections are closed again before returning.
bool HoldsConnections(testing::LoopbackServer& server, int count) {
  server.ClearRequests();
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(server.port());
  const std::string request = "GET /hold HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
  std::vector<int> sockets;
  bool ok = true;
  for (int i = 0; i < count && ok; ++i) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ok = fd >= 0 &&
         connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) ==
             0 &&
         send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
             static_cast<ssize_t>(request.size());
    if (fd >= 0) sockets.push_back(fd);
  }
  ok = ok && server.WaitForRequests(static_cast<std::size_t>(count),
                                    std::chrono::seconds(30));
  for (int fd : sockets) close(fd);
  return ok;
}

void DeadFeeds(benchmark::State& state) {
  testing::LoopbackServer server;
  // The request times of each good feed, as the server saw them.
  std::mutex mutex;
  std::vector<std::vector<Clock::time_point>> fetched(kGoodFeeds);
  server.SetHandler([&](const testing::Request& request) {
    if (request.target == "/hold") return testing::Response::Silent();
    const int n = std::atoi(request.target.c_str() + 2);
    if (request.target.rfind("/g", 0) != 0 || n < 0 || n >= kGoodFeeds) {
      return trickle ? testing::Response::Ok(Feed(n)).Slow(
                           1, std::chrono::seconds(20))
                     : testing::Response::Silent();
    }
    {
      std::lock_guard lock(mutex);
      fetched[n].push_back(Clock::now());
    }
    return testing::Response::Ok(Feed(n));
  });

  for (auto _ : state) {
    const auto hold_start = Clock::now();
    if (!HoldsConnections(server, kGoodFeeds + kSilentFeeds)) {
      state.SkipWithError("the loopback server did not hold the connections");
      return;
    }
    state.counters["server_held_1050_connections_ms"] =
        std::chrono::duration<double, std::milli>(Clock::now() - hold_start)
            .count();

    testing::AppHarness harness;
    RivoletApp& app = harness.Start({}, HttpClientSettings{});
    int good = 0;
    int silent = 0;
    for (int i = 0; i < kGoodFeeds + kSilentFeeds; ++i) {
      const bool is_silent =
          silent < kSilentFeeds && (silent_first || i % 21 == 20);
      const std::string target = is_silent ? "/s" + std::to_string(silent++)
                                           : "/g" + std::to_string(good++);
      app.feed_list.Append("Feed " + target, "c", "1", server.Url(target));
    }

    std::vector<Clock::time_point> ticks;
    QEventLoop loop;
    QTimer minute;
    minute.setTimerType(Qt::PreciseTimer);
    minute.setInterval(kMinute);
    QObject::connect(&minute, &QTimer::timeout, [&] {
      if (static_cast<int>(ticks.size()) == minutes) {
        loop.quit();
        return;
      }
      ticks.push_back(Clock::now());
      app.Updater().Tick();
    });
    ticks.push_back(Clock::now());
    app.Updater().Tick();
    minute.start();
    loop.exec();
    app.Updater().Stop();

    double worst_ms = 0;
    int late_total = 0;
    std::lock_guard lock(mutex);
    for (int m = 0; m < minutes; ++m) {
      const auto end = m + 1 < minutes ? ticks[m + 1] : ticks[m] + kMinute;
      auto worst = Clock::duration::zero();
      int late = 0;
      for (const auto& times : fetched) {
        const auto it = std::find_if(times.begin(), times.end(), [&](auto t) {
          return t >= ticks[m] && t < end;
        });
        const auto lateness =
            it == times.end() ? end - ticks[m] : *it - ticks[m];
        worst = std::max(worst, lateness);
        if (lateness > kTarget) ++late;
      }
      const double ms =
          std::chrono::duration<double, std::milli>(worst).count();
      worst_ms = std::max(worst_ms, ms);
      late_total += late;
      state.counters["worst_late_ms_minute" + std::to_string(m + 1)] = ms;
      state.counters["late_over_5s_minute" + std::to_string(m + 1)] = late;
    }
    state.counters["worst_late_ms"] = worst_ms;
    state.counters["late_over_5s"] = late_total;
    state.counters["target_met"] = late_total == 0 ? 1 : 0;
  }
}
BENCHMARK(DeadFeeds)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace rivolet

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--minutes=", 10) == 0) {
      rivolet::minutes = std::max(1, std::atoi(argv[i] + 10));
    } else if (std::strcmp(argv[i], "--silent-first") == 0) {
      rivolet::silent_first = true;
    } else if (std::strcmp(argv[i], "--trickle") == 0) {
      rivolet::trickle = true;
    }
  }
  return rivolet::RunQtBenchmarks(argc, argv);
}
