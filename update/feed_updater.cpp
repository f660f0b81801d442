// The update room.
#include "update/feed_updater.h"

#include <QPointer>
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

FeedUpdater::FeedUpdater(const FeedList& feeds, HttpClient& http,
                         std::function<bool()> updating_on)
    : feeds_(feeds), http_(http), updating_on_(std::move(updating_on)) {}

FeedUpdater::~FeedUpdater() = default;

void FeedUpdater::Tick() { WhenNoDownload(this, &FeedUpdater::BeginTick); }

void FeedUpdater::BeginTick() {
  const TickPlan plan = scheduler_.BeginTick(updating_on_(), feeds_);
  if (plan.action != TickAction::kRun) return;
  emit tickStarted();
  if (plan.due.empty()) return;
  std::vector<std::string> urls;
  for (const DueFeed& feed : plan.due) urls.push_back(feed.url);
  due_ = plan.due;
  try {
    downloads_ = std::make_unique<TickDownloads>(
        std::move(urls), http_.settings(), http_.cookies());
  } catch (...) {
    Stop();
    throw;
  }
  connect(&downloads_->job(), &DownloadJob::finished, this,
          [this] { WhenNoDownload(this, &FeedUpdater::DownloadsEnded); });
}

void FeedUpdater::DownloadsEnded() {
  if (!downloads_ || !downloads_->Finished()) return;
  const TickOutcome outcome = ApplyReads(due_, downloads_->TakeReads());
  Stop();
  emit tickEnded(outcome);
}

void FeedUpdater::Stop() {
  downloads_.reset();
  due_.clear();
  scheduler_.FinishTick();
}

}  // namespace rivolet
