// Times StripTags followed by DecodeEntities on the generated 2 MB feed,
// against libxml2 parsing the same bytes as the yardstick.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/sample_feed.h"
#include "reader/stored_cleanup.h"
#include "reader/stored_cleanup_tables.h"

#if defined(RIVOLET_HAVE_LIBXML2)
#include <libxml/parser.h>
#endif

namespace rivolet {
namespace {

const std::string& Feed() {
  static const std::string feed = MakeSampleFeed();
  return feed;
}

void BM_StripTagsThenDecodeEntities(benchmark::State& state) {
  const std::string& feed = Feed();
  for (auto _ : state) {
    std::string text = DecodeEntities(StripTags(feed));
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(feed.size()));
}
BENCHMARK(BM_StripTagsThenDecodeEntities)->Unit(benchmark::kMillisecond);

void BM_StripTagsThenDecodeEntitiesUtf8Form(benchmark::State& state) {
  const std::string& feed = Feed();
  for (auto _ : state) {
    std::string text = DecodeEntities(StripTags(feed), TextForm::kUtf8);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(feed.size()));
}
BENCHMARK(BM_StripTagsThenDecodeEntitiesUtf8Form)
    ->Unit(benchmark::kMillisecond);

// The plain step-by-step engine, to show what the one-pass engine saves.
void BM_PlainStepByStep(benchmark::State& state) {
  const std::string& feed = Feed();
  const auto& tags = TagSteps().steps();
  const auto& entities = EntitySteps(TextForm::kSingleByte).steps();
  for (auto _ : state) {
    std::string text =
        ApplyStepsOneByOne(ApplyStepsOneByOne(feed, tags), entities);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(feed.size()));
}
BENCHMARK(BM_PlainStepByStep)->Unit(benchmark::kMillisecond);

#if defined(RIVOLET_HAVE_LIBXML2)
void BM_Libxml2ReadMemory(benchmark::State& state) {
  const std::string& feed = Feed();
  for (auto _ : state) {
    xmlDocPtr doc = xmlReadMemory(feed.data(), static_cast<int>(feed.size()),
                                  "feed.xml", nullptr, XML_PARSE_NONET);
    if (doc == nullptr) {
      state.SkipWithError("libxml2 rejected the sample feed");
      break;
    }
    xmlFreeDoc(doc);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(feed.size()));
}
BENCHMARK(BM_Libxml2ReadMemory)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
}  // namespace rivolet

BENCHMARK_MAIN();
