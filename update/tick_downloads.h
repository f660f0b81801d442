// The downloads of one update tick, on the download service's workers: at
// most eight at once that are moving, each worker with its own client that
// shares the main window's cookies, and each download read by the notification
// reader where it was made. The job's `finished` tells the window's thread to
// take the reads.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "background/download.h"
#include "net/http_client.h"
#include "update/scheduler.h"

namespace rivolet {

class TickDownloads {
 public:
  static constexpr std::size_t kMaxWorkers = 8;
  // Feeds that went silent do not hold back the others: workers are added
  // beside the stalled ones, up to this many in all.
  static constexpr std::size_t kStallCap = 64;

  // Starts downloading `urls` at once, with the time-outs and size cap of
  // `settings`; each download is read by `reader` (ReadDownload when it is
  // empty). Throws Error when no worker thread can be started.
  TickDownloads(std::vector<std::string> urls, HttpClientSettings settings,
                std::shared_ptr<SharedCookieJar> cookies,
                std::size_t max_workers = kMaxWorkers, TickReader reader = {});
  // Abandons whatever still runs.
  ~TickDownloads();
  TickDownloads(const TickDownloads&) = delete;
  TickDownloads& operator=(const TickDownloads&) = delete;

  // Emits `finished` once every URL has been downloaded and read.
  DownloadJob& job() { return *job_; }

  // Every URL has been downloaded and read (and nothing was abandoned).
  bool Finished() const { return job_->Done(); }

  // One read per URL, in the order of the URLs; empty until Finished().
  std::vector<FeedRead> TakeReads();

  // One flag per URL, in the order of the URLs: its download has not ended
  // yet (it runs, or waits for a worker).
  std::vector<bool> Downloading() const;

 private:
  struct Reads;
  std::shared_ptr<Reads> reads_;
  std::unique_ptr<DownloadJob> job_;
};

}  // namespace rivolet
