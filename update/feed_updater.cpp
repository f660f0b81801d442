// The update room.
#include "update/feed_updater.h"

#include <QPointer>
#include <algorithm>
#include <string>
#include <utility>

#include "background/download.h"
#include "platform/guard.h"
#include "update/tick_downloads.h"

namespace rivolet {
namespace {

// Runs `step` of `updater` when no download is being waited for, otherwise as
// soon as it has ended; nothing when the updater is gone by then.
void WhenNoDownload(FeedUpdater* updater, void (FeedUpdater::*step)()) {
  DownloadService::AfterWait([updater = QPointer<FeedUpdater>(updater), step] {
    if (updater) Guarded([&] { (updater->*step)(); });
  });
}

}  // namespace

// A tick whose downloads still run.
struct FeedUpdater::RunningTick {
  std::uint64_t number;  // in the order the ticks began
  std::vector<DueFeed> due;
  std::unique_ptr<TickDownloads> downloads;
};

FeedUpdater::FeedUpdater(const FeedList& feeds, HttpClient& http,
                         std::function<bool()> updating_on,
                         std::function<bool()> box_free)
    : feeds_(feeds),
      http_(http),
      updating_on_(std::move(updating_on)),
      box_free_(std::move(box_free)) {}

FeedUpdater::~FeedUpdater() = default;

void FeedUpdater::Tick() { WhenNoDownload(this, &FeedUpdater::BeginTick); }

std::unordered_set<std::string> FeedUpdater::InFlight() const {
  // A feed a running tick has already read is free again: only one still
  // downloading waits, never the rest of its tick.
  std::unordered_set<std::string> urls;
  for (const RunningTick& tick : ticks_) {
    const std::vector<bool> downloading = tick.downloads->Downloading();
    for (std::size_t i = 0; i < tick.due.size(); ++i) {
      if (downloading[i]) urls.insert(tick.due[i].url);
    }
  }
  return urls;
}

void FeedUpdater::BeginTick() {
  const std::unordered_set<std::string> in_flight = InFlight();
  const TickPlan plan = scheduler_.BeginTick(
      updating_on_(), feeds_, [&in_flight](const std::string& url) {
        return in_flight.count(url) > 0;
      });
  if (plan.action != TickAction::kRun) return;
  emit tickStarted();
  if (plan.due.empty()) return;
  std::vector<std::string> urls;
  for (const DueFeed& feed : plan.due) urls.push_back(feed.url);
  auto downloads = std::make_unique<TickDownloads>(
      std::move(urls), http_.settings(), http_.cookies(),
      TickDownloads::kMaxWorkers, make_reader_ ? make_reader_() : TickReader());
  const RunningTick* tick = &ticks_.emplace_back(
      RunningTick{++ticks_begun_, plan.due, std::move(downloads)});
  connect(&tick->downloads->job(), &DownloadJob::finished, this, [this, tick] {
    DownloadService::AfterWait([updater = QPointer<FeedUpdater>(this), tick] {
      if (updater) Guarded([&] { updater->DownloadsEnded(tick); });
    });
  });
}

void FeedUpdater::DownloadsEnded(const RunningTick* tick) {
  const auto it =
      std::find_if(ticks_.begin(), ticks_.end(),
                   [tick](const RunningTick& t) { return &t == tick; });
  if (it == ticks_.end() || !it->downloads->Finished()) return;
  std::vector<FeedRead> reads = it->downloads->TakeReads();
  // A tick that ends after a later one leaves out the feeds the later one
  // has already read: the newer row stays, and only once. New items are
  // new to one read only, so they all stay.
  std::vector<DueFeed> due;
  std::vector<FeedRead> newest;
  for (std::size_t i = 0; i < it->due.size() && i < reads.size(); ++i) {
    std::uint64_t& read_by = read_by_tick_[it->due[i].url];
    if (read_by > it->number && !reads[i].only_new) continue;
    read_by = std::max(read_by, it->number);
    due.push_back(it->due[i]);
    newest.push_back(std::move(reads[i]));
  }
  const TickOutcome outcome =
      ApplyReads(due, std::move(newest), &told_, !box_free_ || box_free_());
  ticks_.erase(it);
  emit tickEnded(outcome);
}

void FeedUpdater::Stop() { ticks_.clear(); }

}  // namespace rivolet
