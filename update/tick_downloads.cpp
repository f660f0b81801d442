// The downloads of one update tick on worker threads.
#include "update/tick_downloads.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <utility>

#include "common/error.h"

namespace rivolet {
namespace {

// How long giving up may wait for the workers to end before leaving them to
// end on their own.
constexpr auto kGiveUpWait = std::chrono::milliseconds(300);

std::atomic<int> live_workers{0};

}  // namespace

// Shared by the object and its workers, so a worker left running after the
// object is gone still has everything it touches.
struct TickDownloads::State {
  State(std::vector<std::string> u, HttpClientSettings s,
        std::shared_ptr<SharedCookieJar> c, std::function<void()> f)
      : urls(std::move(u)),
        settings(std::move(s)),
        cookies(std::move(c)),
        finished(std::move(f)),
        reads(urls.size()) {}

  // Only the last good read in list order gives its rest to the session; the
  // rests of the others would only hold memory, a whole document each.
  void KeepOneRest(std::size_t index, FeedRead& read) {
    if (read.error) return;
    if (kept_rest && *kept_rest > index) {
      std::string().swap(read.item.rest);
      return;
    }
    if (kept_rest) std::string().swap(reads[*kept_rest].item.rest);
    kept_rest = index;
  }

  void Work();

  const std::vector<std::string> urls;
  const HttpClientSettings settings;
  const std::shared_ptr<SharedCookieJar> cookies;
  HttpCancel cancel;

  std::mutex mutex;  // guards everything below
  std::condition_variable ended;
  std::function<void()> finished;
  std::vector<FeedRead> reads;
  std::size_t next = 0;  // the next URL to take
  std::size_t running = 0;
  bool abandoned = false;
  std::optional<std::size_t> kept_rest;
};

void TickDownloads::State::Work() {
  HttpClient client(settings, cookies);
  while (true) {
    std::size_t index;
    {
      std::lock_guard lock(mutex);
      if (abandoned || next >= urls.size()) break;
      index = next++;
    }
    FeedDownload download;
    try {
      download.text = client.Get(urls[index], &cancel);
      download.ok = true;
    } catch (const std::exception& e) {
      download.text = e.what();
    }
    FeedRead read = ReadDownload(std::move(download));
    std::lock_guard lock(mutex);
    KeepOneRest(index, read);
    reads[index] = std::move(read);
  }
  std::lock_guard lock(mutex);
  if (--running == 0 && !abandoned && finished) finished();
  ended.notify_all();
}

TickDownloads::TickDownloads(std::vector<std::string> urls,
                             HttpClientSettings settings,
                             std::shared_ptr<SharedCookieJar> cookies,
                             std::function<void()> finished,
                             std::size_t max_workers)
    : state_(std::make_shared<State>(std::move(urls), std::move(settings),
                                     std::move(cookies), std::move(finished))) {
  const std::size_t wanted =
      std::min(std::max<std::size_t>(max_workers, 1), state_->urls.size());
  // The workers wait for this lock before taking a URL, so none can end
  // before the count of those started is known.
  workers_.reserve(wanted);
  std::unique_lock lock(state_->mutex);
  for (std::size_t i = 0; i < wanted; ++i) {
    ++live_workers;
    try {
      workers_.emplace_back([state = state_]() mutable {
        state->Work();
        state.reset();
        --live_workers;
      });
    } catch (const std::system_error&) {
      // Fewer workers share the URLs.
      --live_workers;
      break;
    }
  }
  state_->running = workers_.size();
  lock.unlock();
  if (wanted > 0 && workers_.empty()) {
    throw Error("Cannot start the update's downloads");
  }
}

TickDownloads::~TickDownloads() {
  Abandon();
  std::unique_lock lock(state_->mutex);
  const bool all_ended = state_->ended.wait_for(
      lock, kGiveUpWait, [this] { return state_->running == 0; });
  lock.unlock();
  for (std::thread& worker : workers_) {
    if (all_ended) {
      worker.join();
    } else {
      worker.detach();
    }
  }
}

bool TickDownloads::Finished() const {
  std::lock_guard lock(state_->mutex);
  return state_->running == 0 && !state_->abandoned;
}

std::vector<FeedRead> TickDownloads::TakeReads() {
  if (!Finished()) return {};
  std::lock_guard lock(state_->mutex);
  return std::move(state_->reads);
}

void TickDownloads::Abandon() {
  {
    std::lock_guard lock(state_->mutex);
    state_->abandoned = true;
    state_->finished = nullptr;
  }
  state_->cancel.Cancel();
}

int UnfinishedTickWorkers() { return live_workers.load(); }

}  // namespace rivolet
