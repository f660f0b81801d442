// Importing OPML files at the outline cap: a long real-looking subscription
// list, and a file made so that every address has a length of its own and
// each is searched for in long addresses before it, the most work the
// duplicate test can be given.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "feeds/opml.h"

namespace rivolet {
namespace {

constexpr int kFeeds = static_cast<int>(kMaxOpmlOutlines) - 1;

std::string Letters(std::mt19937& rng, int min_len, int max_len,
                    char last = 'z') {
  std::uniform_int_distribution<int> len(min_len, max_len);
  std::uniform_int_distribution<int> letter('a', last);
  std::string s(static_cast<std::size_t>(len(rng)), ' ');
  for (char& c : s) c = static_cast<char>(letter(rng));
  return s;
}

std::string Document(bool crafted) {
  std::mt19937 rng(1234);
  std::string doc = "<opml><body><outline text=\"Folder\">\n";
  for (int i = 0; i < kFeeds; ++i) {
    std::string url;
    if (!crafted) {
      url = "https://www." + Letters(rng, 5, 20) + ".example.com/" +
            Letters(rng, 10, 70) + "/rss.xml";
    } else if (i < kFeeds / 2) {
      url = Letters(rng, 255, 255, 'b');
    } else {
      url = Letters(rng, 1 + i % 254, 1 + i % 254, 'b');
    }
    doc += "<outline text=\"" + Letters(rng, 15, 45) + "\" xmlUrl=\"" + url +
           "\"/>\n";
  }
  return doc + "</outline></body></opml>\n";
}

void BM_ImportOpml(benchmark::State& state) {
  const std::string doc = Document(state.range(0) != 0);
  for (auto _ : state) {
    FeedList list;
    benchmark::DoNotOptimize(AddOpmlFeeds(
        *ParseOpml(doc), "60", list, [](std::string_view) { return true; }));
  }
  state.SetItemsProcessed(state.iterations() * kFeeds);
  state.counters["file_bytes"] = static_cast<double>(doc.size());
}
BENCHMARK(BM_ImportOpml)
    ->ArgName("crafted")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rivolet

BENCHMARK_MAIN();
