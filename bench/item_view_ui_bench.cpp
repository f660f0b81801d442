// Opening one huge item in the main window's item view (filling the view and
// its tab caption, then letting the window lay out and paint): the time it
// takes and the resident memory it adds at its peak, for a description of 10
// and of 60 million bytes in a feed read as usual.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/main_form.h"
#include "bench/qt_bench_main.h"
#include "reader/feed_reader.h"
#include "tests/support/ui/app_harness.h"

namespace rivolet {
namespace {

double StatusMB(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(key, 0) == 0) return std::stod(line.substr(6)) / 1024;
  }
  return 0;
}

std::string HugeFeed(std::size_t description_bytes) {
  std::string words;
  words.reserve(description_bytes);
  while (words.size() + 6 <= description_bytes) words += "slowo ";
  return "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n"
         "<rss><channel><title>Huge</title><link>https://example.com/</link>\n"
         "<item><title>One huge item</title><link>https://example.com/a</link>"
         "<description>" +
         words + "</description></item>\n</channel></rss>\n";
}

void OpenHugeItem(benchmark::State& state) {
  const auto bytes = static_cast<std::size_t>(state.range(0)) * 1000000;
  testing::AppHarness h;
  h.Start();
  h.app->session.TakeFeedRead(ReadFeed(HugeFeed(bytes)));
  h.Main().ShowFeedRead();
  QCoreApplication::processEvents();
  double added = 0;
  double peak = 0;
  for (auto _ : state) {
    std::ofstream("/proc/self/clear_refs") << "5";
    const double before = StatusMB("VmRSS:");
    const auto start = std::chrono::steady_clock::now();
    h.Main().ShowItem(0);
    QCoreApplication::processEvents();
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
            .count());
    peak = StatusMB("VmHWM:");
    added = peak - before;
    h.Main().Zakladki->setCurrentWidget(h.Main().ChannelsTab);
    QCoreApplication::processEvents();
  }
  state.counters["peak_MB"] = peak;
  state.counters["added_MB"] = added;
}
BENCHMARK(OpenHugeItem)
    ->Arg(10)
    ->Arg(60)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rivolet

int main(int argc, char** argv) { return rivolet::RunQtBenchmarks(argc, argv); }
