// Remembered reading on a store of 200,000 items: what marking an item read
// costs the window's thread (the mark is queued), how soon a mark is on the
// disk, the marks of a 100-item showing as the worker that read the feed
// looks them up, and opening the store with its unread counts.
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "app/remembered_reading.h"
#include "bench/reading_store_sample.h"
#include "tests/support/temp_dir.h"

namespace rivolet {
namespace {

// One store for the whole run, made once.
const std::filesystem::path& SampleStore() {
  static testing::TempDir dir;
  static const std::filesystem::path file = [] {
    const std::filesystem::path made = dir / "reading.db";
    MakeSampleReadingStore(made);
    return made;
  }();
  return file;
}

// A shown reading of sample feed `feed`: 100 items whose links are the
// store's identities.
ShownFeed SampleReading(int feed) {
  ShownFeed reading;
  for (const std::string& link : SampleIdentities(feed, 100)) {
    ShownItem item;
    item.title = "An item of the sample";
    item.link = link;
    reading.items.push_back(item);
  }
  return reading;
}

RememberedReading& Remembering() {
  static RememberedReading remembered(SampleStore(), nullptr);
  static const bool on = [] {
    remembered.SetSwitches({true, false});
    remembered.Marker()(SampleFeedUrl(0), SampleReading(0));  // opened
    return true;
  }();
  (void)on;
  return remembered;
}

void MarkReadOnTheWindowsThread(benchmark::State& state) {
  RememberedReading& remembered = Remembering();
  const ShownFeed reading = SampleReading(1);
  int row = 0;
  for (auto _ : state) {
    remembered.Mark(SampleFeedUrl(1), reading, {row}, true, 50);
    row = (row + 1) % 100;
  }
  remembered.keeper()->Flush();
}
BENCHMARK(MarkReadOnTheWindowsThread)->Unit(benchmark::kMicrosecond);

void AMarkReachesTheDisk(benchmark::State& state) {
  RememberedReading& remembered = Remembering();
  const ShownFeed reading = SampleReading(2);
  int row = 0;
  for (auto _ : state) {
    remembered.Mark(SampleFeedUrl(2), reading, {row}, row % 2 == 0, 50);
    remembered.keeper()->Flush();
    row = (row + 1) % 100;
  }
}
BENCHMARK(AMarkReachesTheDisk)->Unit(benchmark::kMillisecond);

void MarksOfA100ItemShowing(benchmark::State& state) {
  RememberedReading& remembered = Remembering();
  const RememberedReading::ShowingMarker marker = remembered.Marker();
  int feed = 3;
  for (auto _ : state) {
    const ShownFeed reading = SampleReading(feed);
    benchmark::DoNotOptimize(marker(SampleFeedUrl(feed), reading));
    feed = 3 + (feed + 1) % 1000;
  }
}
BENCHMARK(MarksOfA100ItemShowing)->Unit(benchmark::kMillisecond);

void OpenWithUnreadCounts(benchmark::State& state) {
  const std::filesystem::path& file = SampleStore();
  for (auto _ : state) {
    ReadingKeeper::Options options;
    options.file = file;
    ReadingKeeper keeper(options);
    keeper.OpenSoon();
    while (!keeper.opened())
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    benchmark::DoNotOptimize(keeper.UnreadCount(SampleFeedUrl(5)));
  }
}
BENCHMARK(OpenWithUnreadCounts)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rivolet

BENCHMARK_MAIN();
