// Loading and saving a feed list file of 10,000 feeds, beside a plain copy of
// the same bytes as the floor to compare against.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "feeds/feed_list.h"
#include "feeds/feed_stream.h"

namespace rivolet {
namespace {

constexpr int kFeeds = 10000;

std::string Letters(std::mt19937& rng, int min_len, int max_len) {
  std::uniform_int_distribution<int> len(min_len, max_len);
  std::uniform_int_distribution<int> letter('a', 'z');
  std::string s(static_cast<std::size_t>(len(rng)), ' ');
  for (char& c : s) c = static_cast<char>(letter(rng));
  return s;
}

// Names of 15 to 45 bytes, a few dozen categories, URLs of 40 to 110 bytes:
// what a long subscription list looks like.
FeedList MakeList() {
  std::mt19937 rng(1234);
  std::vector<std::string> categories;
  for (int i = 0; i < 40; ++i) categories.push_back(Letters(rng, 4, 14));
  const char* periods[] = {"15", "30", "60", "120", "1440", ""};
  std::uniform_int_distribution<int> pick_category(0, 39);
  std::uniform_int_distribution<int> pick_period(0, 5);
  FeedList list;
  for (int i = 0; i < kFeeds; ++i) {
    std::string url = "https://www." + Letters(rng, 5, 20) + ".example.com/" +
                      Letters(rng, 10, 70) + "/rss.xml";
    list.Append(Letters(rng, 15, 45), categories[pick_category(rng)],
                periods[pick_period(rng)], url);
  }
  return list;
}

const std::string& FileBytes() {
  static const std::string bytes = WriteFeedFile(MakeList(), FeedListControl());
  return bytes;
}

void Report(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kFeeds);
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(FileBytes().size()));
  state.counters["file_bytes"] = static_cast<double>(FileBytes().size());
}

void BM_LoadFeedFile(benchmark::State& state) {
  const std::string& bytes = FileBytes();
  for (auto _ : state) {
    FeedList list;
    FeedListControl control;
    ReadFeedFile(bytes, list, control);
    benchmark::DoNotOptimize(list.Count());
  }
  Report(state);
}

void BM_SaveFeedFile(benchmark::State& state) {
  const FeedList list = MakeList();
  const FeedListControl control;
  for (auto _ : state) {
    std::string bytes = WriteFeedFile(list, control);
    benchmark::DoNotOptimize(bytes.data());
  }
  Report(state);
}

void BM_MemcpySameBytes(benchmark::State& state) {
  const std::string& bytes = FileBytes();
  std::vector<char> target(bytes.size());
  for (auto _ : state) {
    std::memcpy(target.data(), bytes.data(), bytes.size());
    benchmark::ClobberMemory();
  }
  Report(state);
}

BENCHMARK(BM_LoadFeedFile);
BENCHMARK(BM_SaveFeedFile);
BENCHMARK(BM_MemcpySameBytes);

}  // namespace
}  // namespace rivolet

BENCHMARK_MAIN();
