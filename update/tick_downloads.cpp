// The downloads of one update tick on the download service's workers.
#include "update/tick_downloads.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <utility>

namespace rivolet {

// The URLs and what the workers read of them; shared with the workers, so
// one left running after the tick is gone still has what it touches.
struct TickDownloads::Reads {
  Reads(std::vector<std::string> u, HttpClientSettings s,
        std::shared_ptr<SharedCookieJar> c, TickReader r)
      : urls(std::move(u)),
        settings(std::move(s)),
        cookies(std::move(c)),
        reader(std::move(r)),
        reads(urls.size()),
        downloading(urls.size(), true) {}

  void Keep(std::size_t index, FeedRead read) {
    std::lock_guard lock(mutex);
    reads[index] = std::move(read);
    downloading[index] = false;
  }

  const std::vector<std::string> urls;
  const HttpClientSettings settings;
  const std::shared_ptr<SharedCookieJar> cookies;
  const TickReader reader;

  std::mutex mutex;  // guards what follows
  std::vector<FeedRead> reads;
  std::vector<bool> downloading;
};

TickDownloads::TickDownloads(std::vector<std::string> urls,
                             HttpClientSettings settings,
                             std::shared_ptr<SharedCookieJar> cookies,
                             std::size_t max_workers, TickReader reader)
    : reads_(std::make_shared<Reads>(std::move(urls), std::move(settings),
                                     std::move(cookies), std::move(reader))) {
  job_ = DownloadService::Start(
      reads_->urls.size(), max_workers,
      [reads = reads_]() -> DownloadService::Task {
        auto client =
            std::make_shared<HttpClient>(reads->settings, reads->cookies);
        return [reads, client](std::size_t index, const HttpCancel& cancel) {
          FeedDownload download;
          try {
            download.text = HttpGetText(*client, reads->urls[index], &cancel);
            download.ok = true;
          } catch (const std::exception& e) {
            download.text = e.what();
          }
          reads->Keep(index, reads->reader ? reads->reader(reads->urls[index],
                                                           std::move(download))
                                           : ReadDownload(std::move(download)));
        };
      },
      std::max(kStallCap, max_workers));
}

TickDownloads::~TickDownloads() = default;

std::vector<FeedRead> TickDownloads::TakeReads() {
  if (!Finished()) return {};
  std::lock_guard lock(reads_->mutex);
  return std::move(reads_->reads);
}

std::vector<bool> TickDownloads::Downloading() const {
  std::lock_guard lock(reads_->mutex);
  return reads_->downloading;
}

}  // namespace rivolet
