// The downloads of one update tick, on worker threads: at most eight at once,
// each worker with its own client that shares the main window's cookies, and
// each download read by the notification reader where it was made. The
// window's thread learns of the end through a callback and takes the reads.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/http_client.h"
#include "update/scheduler.h"

namespace rivolet {

class TickDownloads {
 public:
  static constexpr std::size_t kMaxWorkers = 8;

  // Starts downloading `urls` at once, with the time-outs and size cap of
  // `settings`. `finished` runs once, on a worker thread, when every URL has
  // been downloaded and read, unless the downloads were abandoned first; it
  // should only pass the news on to the thread that owns this object. With
  // no URLs nothing runs and `finished` is never called. Throws Error when
  // no worker thread can be started.
  TickDownloads(std::vector<std::string> urls, HttpClientSettings settings,
                std::shared_ptr<SharedCookieJar> cookies,
                std::function<void()> finished,
                std::size_t max_workers = kMaxWorkers);
  // Abandons whatever still runs.
  ~TickDownloads();
  TickDownloads(const TickDownloads&) = delete;
  TickDownloads& operator=(const TickDownloads&) = delete;

  // Every URL has been downloaded and read (and nothing was abandoned).
  bool Finished() const;

  // One read per URL, in the order of the URLs; empty until Finished().
  std::vector<FeedRead> TakeReads();

  // Gives up every download in flight at once; `finished` is not called any
  // more. The workers end on their own and never touch this object.
  void Abandon();

 private:
  struct State;
  std::shared_ptr<State> state_;
  std::vector<std::thread> workers_;
};

// Worker threads of abandoned ticks that have not ended yet (one may still be
// looking up a host name, which cannot be interrupted): the program must not
// run its exit handlers under them.
int UnfinishedTickWorkers();

}  // namespace rivolet
