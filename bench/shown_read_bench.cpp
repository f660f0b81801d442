// The shown reading against the stored one and against libxml2 on the same
// 2 MB, 1,000-item sample (same run), and the description sanitizer on a
// 64 KiB real description and on 10 MB of hostile markup.
//
// Run the hostile case alone for its memory figure, since the peak of the
// process is what it reads:
//   shown_read_bench --benchmark_filter=Hostile
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>
#include <string>
#include <utility>

#include "bench/sample_feed.h"
#include "common/file_io.h"
#include "reader/feed_reader.h"
#include "reader/shown_feed.h"
#include "reader/shown_html.h"
#include "reader/shown_text.h"

#ifdef RIVOLET_HAVE_LIBXML2
#include <libxml/parser.h>
#endif

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

// 10 MB: 100,000 nested elements, a 1 MB attribute, unclosed formatting
// elements that the parser would copy again and again, deep tables.
const std::string& HostileMarkup() {
  static const std::string html = [] {
    std::string doc;
    for (int i = 0; i < 100000; ++i) doc += "<div>";
    doc += "<p title=\"" + std::string(1 << 20, 'x') + "\">t</p>";
    for (int i = 0; i < 2000; ++i)
      doc += "<b class=c" + std::to_string(i) + ">";
    for (int i = 0; i < 20000; ++i) doc += "<div>x</div>";
    for (int i = 0; i < 20000; ++i) doc += "<table><tr><td>";
    while (doc.size() < (10u << 20)) doc += "<i>words <u>and";
    return doc;
  }();
  return html;
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

#ifdef RIVOLET_HAVE_LIBXML2
void BM_LibXml2ReadMemory(benchmark::State& state) {
  const std::string& feed = SampleFeed();
  xmlInitParser();
  for (auto _ : state) {
    xmlDocPtr doc = xmlReadMemory(feed.data(), static_cast<int>(feed.size()),
                                  "sample.xml", nullptr, XML_PARSE_NONET);
    if (doc == nullptr) state.SkipWithError("libxml2 rejected the document");
    xmlFreeDoc(doc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(feed.size()));
}
BENCHMARK(BM_LibXml2ReadMemory)->Unit(benchmark::kMillisecond);
#endif

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

long PeakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void BM_FormatHostile10MB(benchmark::State& state) {
  const std::string& html = HostileMarkup();
  const long before = PeakKiB();
  for (auto _ : state) {
    rivolet::ShownMarkup shown =
        rivolet::FormatShownContent(html, rivolet::MarkupKind::kXhtml);
    benchmark::DoNotOptimize(shown);
  }
  state.counters["peak_MiB_above_start"] =
      static_cast<double>(PeakKiB() - before) / 1024.0;
}
BENCHMARK(BM_FormatHostile10MB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
