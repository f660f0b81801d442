// The shown reading against the stored one and against libxml2 on the same
// 2 MB, 1,000-item sample (same run), and the description sanitizer on a
// 64 KiB real description and on 10 MB of hostile markup.
//
// The hostile case reports the peak of resident memory above what the
// program held before (the document included), as Linux counts it.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "bench/libxml2_baseline.h"
#include "bench/sample_feed.h"
#include "common/file_io.h"
#include "reader/shown_feed.h"
#include "reader/shown_html.h"
#include "reader/shown_text.h"
#include "reader/stored_feed.h"

namespace {

const std::string& SampleFeed() {
  static const std::string feed = rivolet::MakeSampleFeed();
  return feed;
}

// The largest description of the corpus (a 24 KB post of escaped HTML),
// unescaped and repeated to 64 KiB.
const std::string& RealDescription() {
  static const std::string html = [] {
    const std::string document =
        rivolet::ReadWholeFile(std::filesystem::path(RIVOLET_CORPUS_DIR) /
                                   "rss2_dustri_24k_description.xml",
                               16u << 20);
    const rivolet::ShownFeed feed = rivolet::ReadShownFeed(document);
    std::string largest;
    for (const rivolet::ShownItem& item : feed.items) {
      std::string source = rivolet::XmlText(item.description);
      if (source.size() > largest.size()) largest = std::move(source);
    }
    std::string repeated;
    while (!largest.empty() && repeated.size() < 64 * 1024) repeated += largest;
    return std::string(rivolet::Utf8Prefix(repeated, 64 * 1024));
  }();
  return html;
}

// A feed whose one item has 10 MB of hostile markup as its description:
// unclosed formatting elements that the parser would copy again and again,
// a 1 MB attribute, 100,000 nested elements, deep tables. The parser sees
// only a prefix, so `part` picks which comes first.
std::string HostileFeed(int part) {
  std::string html;
  if (part == 0) {
    html = "<div>";
    for (int i = 0; i < 2000; ++i) {
      html += "<b class=c" + std::to_string(i) + ">";
    }
    html += "</div>";
    for (int i = 0; i < 20000; ++i) html += "<div>x</div>";
  }
  if (part <= 1) {
    html += "<p title=\"" + std::string(1 << 20, 'x') + "\">t</p>";
  }
  if (part <= 2) {
    for (int i = 0; i < 100000; ++i) html += "<div>";
  }
  for (int i = 0; i < 20000; ++i) html += "<table><tr><td>";
  while (html.size() < (10u << 20)) html += "<i>words <u>and";
  return "<rss><channel><title>t</title><item><title>x</title>"
         "<description><![CDATA[" +
         html + "]]></description></item></channel></rss>";
}

void BM_ReadFeed(benchmark::State& state) {
  const std::string& feed = SampleFeed();
  for (auto _ : state) {
    state.PauseTiming();
    std::string document = feed;
    state.ResumeTiming();
    rivolet::FeedReadResult result = rivolet::ReadFeed(std::move(document));
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(feed.size()));
}
BENCHMARK(BM_ReadFeed)->Unit(benchmark::kMillisecond);

void BM_ReadShownFeed(benchmark::State& state) {
  const std::string& feed = SampleFeed();
  for (auto _ : state) {
    rivolet::ShownFeed result = rivolet::ReadShownFeed(feed);
    benchmark::DoNotOptimize(result);
    if (result.total != 1000 || result.items.size() != 100) {
      state.SkipWithError("unexpected item count");
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(feed.size()));
}
BENCHMARK(BM_ReadShownFeed)->Unit(benchmark::kMillisecond);

// Opening an item: its description formatted for the view.
void BM_FormatRealDescription64KiB(benchmark::State& state) {
  const std::string& html = RealDescription();
  for (auto _ : state) {
    rivolet::ShownMarkup shown = rivolet::FormatHtml(html);
    benchmark::DoNotOptimize(shown);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(html.size()));
}
BENCHMARK(BM_FormatRealDescription64KiB)->Unit(benchmark::kMillisecond);

// A field of /proc/self/status in KiB: VmRSS now, VmHWM its peak.
long StatusKiB(std::string_view key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with(key)) return std::atol(line.c_str() + key.size() + 1);
  }
  return 0;
}

// Reading the feed and opening its item, as the windows do.
void BM_OpenHostile10MB(benchmark::State& state) {
  const std::string feed = HostileFeed(static_cast<int>(state.range(0)));
  // The peak is counted afresh from here, with the memory that building
  // the document freed given back first, so that none of it is reused
  // unseen.
  malloc_trim(0);
  std::ofstream("/proc/self/clear_refs") << "5";
  const long before = StatusKiB("VmRSS");
  for (auto _ : state) {
    const rivolet::ShownFeed read = rivolet::ReadShownFeed(feed);
    if (read.items.size() != 1) state.SkipWithError("the item is missing");
    rivolet::ShownMarkup shown = rivolet::FormatShownItem(read.items.front());
    benchmark::DoNotOptimize(shown);
  }
  state.counters["peak_MiB_above_start"] =
      static_cast<double>(StatusKiB("VmHWM") - before) / 1024.0;
}
BENCHMARK(BM_OpenHostile10MB)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// Opening the item alone: only what the view shows of it is formatted.
void BM_FormatItemOf10MB(benchmark::State& state) {
  const rivolet::ShownFeed read =
      rivolet::ReadShownFeed(HostileFeed(static_cast<int>(state.range(0))));
  if (read.items.size() != 1) state.SkipWithError("the item is missing");
  for (auto _ : state) {
    rivolet::ShownMarkup shown = rivolet::FormatShownItem(read.items.front());
    benchmark::DoNotOptimize(shown);
  }
}
BENCHMARK(BM_FormatItemOf10MB)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
