// The yardstick the feed readers are measured against: libxml2 parsing the
// 2 MB, 1,000-item sample document. A benchmark program includes this once,
// so that both are measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "bench/sample_feed.h"

#ifdef RIVOLET_HAVE_LIBXML2
#include <libxml/parser.h>

namespace rivolet {

inline void BM_LibXml2ReadMemory(benchmark::State& state) {
  static const std::string feed = MakeSampleFeed();
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

}  // namespace rivolet
#endif
