// ReadFeed on the 2 MB, 1,000-item sample document against libxml2 parsing the
// same bytes, plus a large document that shows the item loop stays linear.
#include <benchmark/benchmark.h>

#include <string>
#include <utility>

#include "bench/libxml2_baseline.h"
#include "bench/sample_feed.h"
#include "reader/stored_cleanup.h"
#include "reader/stored_feed.h"

namespace {

const std::string& SampleFeed() {
  static const std::string feed = rivolet::MakeSampleFeed();
  return feed;
}

// 20 MB with 150 RDF items after a long channel part: every item start is
// found by the second search, and 100 items are cut from deep in the text.
const std::string& LargeRdfFeed() {
  static const std::string feed = [] {
    std::string doc =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rdf:RDF><channel>"
        "<title>Big</title><items>";
    doc.append(20u << 20, 'x');
    doc += "</items></channel>";
    for (int i = 0; i < 150; ++i) {
      doc += "<item rdf:about=\"u\"><title>" + std::to_string(i) +
             "</title><dc:date>2024-01-01</dc:date></item>\n";
    }
    return doc + "</rdf:RDF>";
  }();
  return feed;
}

// The program moves the downloaded text into the reader, so the copy made
// here for every round is left out of the time.
void BM_ReadFeed(benchmark::State& state) {
  const std::string& feed = SampleFeed();
  for (auto _ : state) {
    state.PauseTiming();
    std::string document = feed;
    state.ResumeTiming();
    rivolet::FeedReadResult result = rivolet::ReadFeed(std::move(document));
    benchmark::DoNotOptimize(result);
    if (result.total != 1000 || result.items.count != 100) {
      state.SkipWithError("unexpected item count");
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(feed.size()));
}
BENCHMARK(BM_ReadFeed)->Unit(benchmark::kMillisecond);

// The same with the copy of the document inside the time.
void BM_ReadFeedWithCopy(benchmark::State& state) {
  const std::string& feed = SampleFeed();
  for (auto _ : state) {
    rivolet::FeedReadResult result = rivolet::ReadFeed(feed);
    benchmark::DoNotOptimize(result);
    if (result.total != 1000 || result.items.count != 100) {
      state.SkipWithError("unexpected item count");
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(feed.size()));
}
BENCHMARK(BM_ReadFeedWithCopy)->Unit(benchmark::kMillisecond);

// The whole-document passes alone, to show what share of ReadFeed they take.
void BM_CleanupPasses(benchmark::State& state) {
  const std::string& feed = SampleFeed();
  for (auto _ : state) {
    std::string text = rivolet::DecodeEntities(rivolet::StripTags(feed),
                                               rivolet::TextForm::kUtf8);
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(feed.size()));
}
BENCHMARK(BM_CleanupPasses)->Unit(benchmark::kMillisecond);

void BM_CountItems(benchmark::State& state) {
  const std::string& feed = SampleFeed();
  for (auto _ : state) {
    benchmark::DoNotOptimize(rivolet::CountItems(feed));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(feed.size()));
}
BENCHMARK(BM_CountItems)->Unit(benchmark::kMillisecond);

void BM_ReadFirstItem(benchmark::State& state) {
  const std::string& feed = SampleFeed();
  for (auto _ : state) {
    benchmark::DoNotOptimize(rivolet::ReadFirstItem(feed));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(feed.size()));
}
BENCHMARK(BM_ReadFirstItem)->Unit(benchmark::kMillisecond);

void BM_ReadFeedLargeRdf(benchmark::State& state) {
  const std::string& feed = LargeRdfFeed();
  for (auto _ : state) {
    rivolet::FeedReadResult result = rivolet::ReadFeed(feed);
    benchmark::DoNotOptimize(result);
    if (result.total != 150 || result.items.count != 100) {
      state.SkipWithError("unexpected item count");
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(feed.size()));
}
BENCHMARK(BM_ReadFeedLargeRdf)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
