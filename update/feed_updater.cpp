// The update room.
#include "update/feed_updater.h"

#include <QPointer>
#include <algorithm>
#include <string>
#include <utility>

#include "platform/download.h"
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
  std::vector<DueFeed> due;
  std::unique_ptr<TickDownloads> downloads;
};

FeedUpdater::FeedUpdater(const FeedList& feeds, HttpClient& http,
                         std::function<bool()> updating_on)
    : feeds_(feeds), http_(http), updating_on_(std::move(updating_on)) {}

FeedUpdater::~FeedUpdater() = default;

void FeedUpdater::Tick() { WhenNoDownload(this, &FeedUpdater::BeginTick); }

bool FeedUpdater::InFlight(const std::string& url) const {
  for (const RunningTick& tick : ticks_) {
    for (const DueFeed& feed : tick.due) {
      if (feed.url == url) return true;
    }
  }
  return false;
}

void FeedUpdater::BeginTick() {
  const TickPlan plan = scheduler_.BeginTick(
      updating_on_(), feeds_,
      [this](const std::string& url) { return InFlight(url); });
  if (plan.action != TickAction::kRun) return;
  emit tickStarted();
  if (plan.due.empty()) return;
  std::vector<std::string> urls;
  for (const DueFeed& feed : plan.due) urls.push_back(feed.url);
  auto downloads = std::make_unique<TickDownloads>(
      std::move(urls), http_.settings(), http_.cookies());
  const RunningTick* tick =
      &ticks_.emplace_back(RunningTick{plan.due, std::move(downloads)});
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
  const TickOutcome outcome = ApplyReads(it->due, it->downloads->TakeReads());
  ticks_.erase(it);
  emit tickEnded(outcome);
}

void FeedUpdater::Stop() { ticks_.clear(); }

}  // namespace rivolet
