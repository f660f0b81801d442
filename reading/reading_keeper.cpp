// The reading store for the whole program.
#include "reading/reading_keeper.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <set>
#include <utility>

namespace rivolet {
namespace {

// Marks the disk keeps refusing are held back up to this many; the oldest
// go first beyond it.
constexpr std::size_t kMaxQueued = 10000;
// A failed commit is tried again after this long.
constexpr auto kRetryDelay = std::chrono::seconds(1);
// The items not seen for long are looked for once a day of running.
constexpr std::int64_t kPruneEvery = 24 * 60 * 60;
// A feed address longer than this is not remembered: too long a value is
// what a damaged store gives, so the store must never be asked to hold one.
constexpr std::size_t kMaxUrlSize = 64 * 1024;

}  // namespace

ReadingKeeper::ReadingKeeper(Options options)
    : options_(std::move(options)), thread_([this] { Run(); }) {}

ReadingKeeper::~ReadingKeeper() {
  {
    std::lock_guard lock(queue_mutex_);
    stopping_ = true;
  }
  queue_changed_.notify_all();
  thread_.join();
}

std::int64_t ReadingKeeper::Now() const {
  if (options_.now) return options_.now();
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

void ReadingKeeper::OpenSoon() {
  if (opened_) return;
  {
    std::lock_guard lock(queue_mutex_);
    open_wanted_ = true;
  }
  queue_changed_.notify_all();
}

void ReadingKeeper::Run() {
  std::unique_lock lock(queue_mutex_);
  bool retry = false;
  for (;;) {
    const auto woken = [this] {
      return stopping_ || open_wanted_ || !queued_.empty();
    };
    if (retry) {
      queue_changed_.wait_for(
          lock, kRetryDelay, [this] { return stopping_ || flush_wanted_ > 0; });
    } else {
      queue_changed_.wait(lock, woken);
    }
    if (open_wanted_) {
      open_wanted_ = false;
      lock.unlock();
      {
        std::lock_guard store_lock(store_mutex_);
        try {
          Store();
        } catch (const std::exception&) {
          // Not even memory: every later use tries again.
        }
      }
      lock.lock();
      continue;
    }
    if (queued_.empty()) {
      retry = false;
      if (stopping_) break;
      continue;
    }
    // Marks that come close together share one commit.
    if (!retry && !stopping_ && flush_wanted_ == 0) {
      queue_changed_.wait_for(lock, options_.commit_delay, [this] {
        return stopping_ || flush_wanted_ > 0;
      });
    }
    lock.unlock();
    bool committed = false;
    {
      std::lock_guard store_lock(store_mutex_);
      committed = CommitQueued();
    }
    lock.lock();
    retry = !committed;
    // A close or a flush does not wait for a disk that keeps refusing.
    if (!committed && (stopping_ || flush_wanted_ > 0)) {
      committed_count_ += queued_.size();
      queued_.clear();
      committed_.notify_all();
      retry = false;
    }
  }
}

ReadingStore& ReadingKeeper::Store() {
  if (!store_) OpenOrReplace(false, {});
  return *store_;
}

template <typename Use>
auto ReadingKeeper::WithStore(Use use) {
  try {
    return use(Store());
  } catch (const StoreDamaged& damage) {
    OpenOrReplace(true, damage.what());
    return use(*store_);
  }
}

void ReadingKeeper::OpenOrReplace(bool replace, const std::string& reason) {
  StoreTrouble trouble;
  trouble.reason = reason;
  // The file as it is, else a new one in its place, else one in memory.
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      if (replace) {
        store_.reset();
        trouble.kept_as = ReadingStore::SetAside(options_.file);
      }
      store_ = ReadingStore::Open(options_.file, options_.limits);
      const std::int64_t now = Now();
      store_->Prune(now);
      last_prune_ = now;
      item_count_ = store_->ItemCount();
      std::unordered_map<std::string, int> counts = store_->UnreadCounts();
      {
        std::lock_guard lock(counts_mutex_);
        counts_ = std::move(counts);
      }
      opened_ = true;
      if (replace) Tell(trouble);
      return;
    } catch (const StoreDamaged& damage) {
      if (replace) break;
      replace = true;
      trouble.reason = damage.what();
    } catch (const std::exception& error) {
      trouble.reason = error.what();
      break;
    }
  }
  store_.reset();
  store_ = ReadingStore::OpenInMemory(options_.limits);
  item_count_ = 0;
  {
    std::lock_guard lock(counts_mutex_);
    counts_.clear();
  }
  opened_ = true;
  trouble.kind = StoreTrouble::Kind::kUnavailable;
  trouble.kept_as.clear();
  Tell(trouble);
}

void ReadingKeeper::Tell(const StoreTrouble& trouble) {
  if (trouble_told_) return;
  trouble_told_ = true;
  if (options_.on_trouble) options_.on_trouble(trouble);
}

bool ReadingKeeper::CommitQueued() {
  std::vector<Change> batch;
  {
    std::lock_guard lock(queue_mutex_);
    batch.swap(queued_);
  }
  if (batch.empty()) return true;
  std::set<std::string> feeds;
  try {
    WithStore([&](ReadingStore& store) {
      const std::int64_t now = Now();
      store.Begin();
      try {
        for (const Change& change : batch) {
          store.SetRead(change.url, change.identities, change.read, now);
        }
        store.Commit();
      } catch (...) {
        store.Rollback();
        throw;
      }
      return 0;
    });
    for (const Change& change : batch) feeds.insert(change.url);
    for (const std::string& url : feeds) Count(url, store_->UnreadCount(url));
  } catch (const std::exception&) {
    std::lock_guard lock(queue_mutex_);
    queued_.insert(queued_.begin(), std::make_move_iterator(batch.begin()),
                   std::make_move_iterator(batch.end()));
    if (queued_.size() > kMaxQueued) {
      const std::size_t dropped = queued_.size() - kMaxQueued;
      queued_.erase(queued_.begin(),
                    queued_.begin() + static_cast<std::ptrdiff_t>(dropped));
      committed_count_ += dropped;
    }
    return false;
  }
  {
    std::lock_guard lock(queue_mutex_);
    committed_count_ += batch.size();
  }
  committed_.notify_all();
  return true;
}

std::vector<StoredItemState> ReadingKeeper::RecordShowing(
    const std::string& url, const std::vector<std::string>& identities) {
  std::vector<StoredItemState> states(identities.size());
  if (url.size() > kMaxUrlSize) return states;
  std::lock_guard lock(store_mutex_);
  try {
    // Marks still queued belong before this reading.
    CommitQueued();
    const std::int64_t now = Now();
    states = WithStore([&](ReadingStore& store) {
      return store.RecordShowing(url, identities, now);
    });
    item_count_ += static_cast<std::size_t>(
        std::count_if(states.begin(), states.end(),
                      [](const StoredItemState& s) { return s.first_seen; }));
    if (item_count_ > options_.limits.max_items ||
        now - last_prune_ >= kPruneEvery) {
      store_->Prune(now);
      last_prune_ = now;
      item_count_ = store_->ItemCount();
    }
    Count(url, store_->UnreadCount(url));
  } catch (const std::exception&) {
    // What could not be recorded is neither read nor new.
    std::fill(states.begin(), states.end(), StoredItemState());
  }
  return states;
}

void ReadingKeeper::SetRead(const std::string& url,
                            std::vector<std::string> identities, bool read) {
  if (url.size() > kMaxUrlSize) return;
  {
    std::lock_guard lock(queue_mutex_);
    queued_.push_back({url, std::move(identities), read});
    ++queued_count_;
  }
  queue_changed_.notify_all();
}

std::optional<int> ReadingKeeper::UnreadCount(std::string_view url) const {
  std::lock_guard lock(counts_mutex_);
  const auto found = counts_.find(std::string(url));
  if (found == counts_.end()) return std::nullopt;
  return found->second;
}

void ReadingKeeper::SetUnreadCount(const std::string& url, int count) {
  Count(url, count);
}

void ReadingKeeper::Count(const std::string& url, int count) {
  std::lock_guard lock(counts_mutex_);
  counts_[url] = count;
}

void ReadingKeeper::Flush() {
  std::unique_lock lock(queue_mutex_);
  const std::uint64_t target = queued_count_;
  ++flush_wanted_;
  queue_changed_.notify_all();
  committed_.wait(lock, [&] { return committed_count_ >= target; });
  --flush_wanted_;
}

}  // namespace rivolet
