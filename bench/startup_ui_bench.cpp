// How long the program takes to start (the application object, its windows
// and the first showing of the main window, on the offscreen platform) with an
// empty feed list and with 10,000 feeds.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

#include "app/application.h"
#include "app/main_form.h"
#include "bench/qt_bench_main.h"
#include "feeds/feed_stream.h"
#include "tests/support/temp_dir.h"
#include "tests/support/ui/recording_desktop.h"

namespace rivolet {
namespace {

void Startup(benchmark::State& state) {
  const int feeds = static_cast<int>(state.range(0));
  testing::TempDir dir;
  FeedList list;
  for (int i = 0; i < feeds; ++i) {
    const std::string n = std::to_string(i);
    list.Append(
        "Feed number " + n + " of the test list",
        "Category " + std::to_string(i % 40), std::to_string(15 + i % 120),
        "https://news.example.com/section/" + n + "/rss.xml?format=full");
  }
  testing::WriteFileBytes(dir / "feeds.che",
                          WriteFeedFile(list, FeedListControl()));
  RecordingDesktop desktop;
  ScopedDesktop scoped(&desktop);
  for (auto _ : state) {
    RivoletApp app(PortableFolders(dir.path()), dir.path() / "rivolet", {});
    app.CreateWindows();
    app.MainForm().show();
    QCoreApplication::processEvents();
    benchmark::DoNotOptimize(app.feed_list.Count());
  }
  state.counters["feeds"] = feeds;
}
BENCHMARK(Startup)->Arg(0)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rivolet

int main(int argc, char** argv) { return rivolet::RunQtBenchmarks(argc, argv); }
