// The shown reading of documents shaped to make a reader search again and
// again: 20,000 entries that never end, 20,000 unclosed links in one entry,
// 100,000 nested elements, tags with thousands of attributes, and the same
// items in RSS. Each is read whole (as a feed is opened) and for the
// notification's first item (as a tick reads it). Reports the time per
// megabyte of input; every shape must stay linear.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "reader/shown_feed.h"

namespace {

std::string Shape(int shape) {
  std::string body;
  switch (shape) {
    case 0:  // entries without an end
      for (int i = 0; i < 20000; ++i) {
        body += "<entry><title>Entry " + std::to_string(i) + "</title>";
      }
      return "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>F</title>" +
             body + "</feed>";
    case 1:  // links without an end in one entry
      for (int i = 0; i < 20000; ++i) body += "<link rel=\"x\">";
      return "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>F</title>"
             "<entry>" +
             body + "<title>T</title></entry></feed>";
    case 2:  // deep nesting
      for (int i = 0; i < 100000; ++i) body += "<a>";
      return "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>F</title>"
             "<entry><title>T</title>" +
             body + "</entry></feed>";
    case 3:  // many attributes
      for (int i = 0; i < 200; ++i) {
        body += "<entry";
        for (int k = 0; k < 500; ++k) body += " a" + std::to_string(k) + "='v'";
        body += "><title>T</title></entry>";
      }
      return "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>F</title>" +
             body + "</feed>";
    default:  // items without an end, read as the stored reading cuts them
      for (int i = 0; i < 20000; ++i) {
        body += "<item><title>Item " + std::to_string(i) + "</title>";
      }
      return "<rss><channel><title>C</title>" + body + "</channel></rss>";
  }
}

constexpr const char* kNames[] = {"unclosed_entries", "unclosed_links",
                                  "deep_nesting", "many_attributes",
                                  "unclosed_items"};

void BM_HostileShape(benchmark::State& state) {
  const std::string document = Shape(static_cast<int>(state.range(0)));
  const bool first = state.range(1) != 0;
  state.SetLabel(std::string(kNames[state.range(0)]) +
                 (first ? " first item" : " whole"));
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    if (first) {
      benchmark::DoNotOptimize(rivolet::ReadShownFirstItem(document));
    } else {
      benchmark::DoNotOptimize(rivolet::ReadShownFeed(document));
    }
  }
  const double ms = std::chrono::duration<double, std::milli>(
                        std::chrono::steady_clock::now() - start)
                        .count() /
                    static_cast<double>(state.iterations());
  const double mb = static_cast<double>(document.size()) / 1e6;
  state.counters["MB"] = mb;
  state.counters["ms_per_MB"] = ms / mb;
}
BENCHMARK(BM_HostileShape)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
