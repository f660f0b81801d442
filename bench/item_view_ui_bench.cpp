// Opening one huge item in the main window's item view (filling the view and
// its tab caption, then letting the window lay out and paint): the time it
// takes and the resident memory it adds at its peak, for a description of 10
// and of 60 million bytes in a feed read as usual. And the everyday case: a
// double-click on a row whose description is 64 KiB of real HTML (the
// largest description of the corpus, repeated), until the view is painted.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/main_form.h"
#include "bench/qt_bench_main.h"
#include "common/file_io.h"
#include "reader/shown_text.h"
#include "reader/stored_feed.h"
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

// The corpus' largest description (escaped HTML, as written) repeated until
// it holds 64 KiB of HTML, as the only item of a UTF-8 feed.
std::string RealHtmlFeed() {
  const ShownFeed corpus =
      ReadShownFeed(ReadWholeFile(std::filesystem::path(RIVOLET_CORPUS_DIR) /
                                      "rss2_dustri_24k_description.xml",
                                  16u << 20));
  std::string largest;
  for (const ShownItem& item : corpus.items) {
    if (item.description.size() > largest.size()) largest = item.description;
  }
  std::string repeated = largest;
  while (!largest.empty() && XmlText(repeated).size() < kShownTextLimit)
    repeated += largest;
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<rss><channel><title>Real</title><item><title>Real HTML</title>"
         "<link>https://example.com/a</link><description>" +
         repeated + "</description></item></channel></rss>\n";
}

void OpenRealHtmlItem(benchmark::State& state) {
  testing::AppHarness h;
  h.Start();
  TMainForm& form = h.Main();
  form.session.TakeReading(ReadShownFeed(RealHtmlFeed()));
  form.ShowFeedRead();
  QCoreApplication::processEvents();
  for (auto _ : state) {
    form.main_channels->setCurrentItem(form.main_channels->topLevelItem(0));
    const auto start = std::chrono::steady_clock::now();
    form.main_channelsDblClick();
    form.repaint();  // paints the window and the view now
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
            .count());
    form.Zakladki->setCurrentWidget(form.ChannelsTab);
    QCoreApplication::processEvents();
  }
  state.counters["html_bytes"] = static_cast<double>(
      XmlText(form.session.CurrentItem().description).size());
}
BENCHMARK(OpenRealHtmlItem)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void OpenHugeItem(benchmark::State& state) {
  const auto bytes = static_cast<std::size_t>(state.range(0)) * 1000000;
  testing::AppHarness h;
  h.Start();
  h.app->session.TakeReading(ReadShownFeed(HugeFeed(bytes)));
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
