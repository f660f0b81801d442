// The reading store for the whole program, from any thread: the window's
// thread queues read marks and reads the unread counts without ever waiting
// on the disk; the workers that read a feed record what it shows and get its
// marks back. The store is opened once, on the keeper's own thread (or by
// the first worker that needs it); marks are committed there in batches.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "reading/reading_store.h"

namespace rivolet {

// Trouble with the store file, told once per run.
struct StoreTrouble {
  enum class Kind {
    kSetAside,     // damaged or unreadable: kept as `kept_as`, a new one made
    kUnavailable,  // no store file could be had: marks last until the close
  };
  Kind kind = Kind::kSetAside;
  std::string reason;
  std::filesystem::path kept_as;
};

class ReadingKeeper {
 public:
  struct Options {
    std::filesystem::path file;  // reading.db
    StoreLimits limits;
    // Seconds since the epoch; the system clock when empty.
    std::function<std::int64_t()> now;
    // Called once, on whichever thread met the trouble.
    std::function<void(const StoreTrouble&)> on_trouble;
    // How long a mark may wait for others to share its commit.
    std::chrono::milliseconds commit_delay{100};
  };

  explicit ReadingKeeper(Options options);
  // Commits whatever is queued, then stops.
  ~ReadingKeeper();
  ReadingKeeper(const ReadingKeeper&) = delete;
  ReadingKeeper& operator=(const ReadingKeeper&) = delete;

  // Opens the store on the keeper's thread and reads the unread counts,
  // unless that is done already. Returns at once.
  void OpenSoon();
  bool opened() const { return opened_; }

  // The feed at `url` shows `identities`: recorded (see
  // ReadingStore::RecordShowing) with whatever marks are queued, and the
  // feed's unread count updated. Waits for the store: never on the window's
  // thread. A store that fails gives every item unread and not new.
  std::vector<StoredItemState> RecordShowing(
      const std::string& url, const std::vector<std::string>& identities);

  // Queues marks for the items of `url`; committed within `commit_delay`
  // (later only while the disk refuses them). Never waits on the disk.
  void SetRead(const std::string& url, std::vector<std::string> identities,
               bool read);

  // The feed's unread items as last known; nothing for a feed the store
  // does not know or before the store is open. Never waits on the disk.
  std::optional<int> UnreadCount(std::string_view url) const;
  // The count the window has just made true by its marks.
  void SetUnreadCount(const std::string& url, int count);

  // Waits until every mark queued so far is committed (or given up).
  void Flush();

 private:
  struct Change {
    std::string url;
    std::vector<std::string> identities;
    bool read;
  };

  void Run();
  // With the store lock held: the store, opened when it is not yet.
  ReadingStore& Store();
  // With the store lock held: runs `use`; a store found damaged on the way
  // is set aside and `use` runs once more on a new one.
  template <typename Use>
  auto WithStore(Use use);
  void OpenOrReplace(bool replace, const std::string& reason);
  void Tell(const StoreTrouble& trouble);
  // With the store lock held: the queued marks, committed; false when the
  // disk refused them (they are queued again).
  bool CommitQueued();
  void Count(const std::string& url, int count);
  std::int64_t Now() const;

  Options options_;

  std::mutex store_mutex_;  // guards the store and what follows
  std::unique_ptr<ReadingStore> store_;
  std::size_t item_count_ = 0;
  std::int64_t last_prune_ = 0;
  bool trouble_told_ = false;
  std::atomic<bool> opened_ = false;  // a store is there, its counts read

  std::mutex queue_mutex_;  // guards the queue and what follows
  std::condition_variable queue_changed_;
  std::condition_variable committed_;
  std::vector<Change> queued_;
  std::uint64_t queued_count_ = 0;     // changes queued so far
  std::uint64_t committed_count_ = 0;  // of them, committed or given up
  int flush_wanted_ = 0;               // callers of Flush waiting
  bool open_wanted_ = false;
  bool stopping_ = false;

  mutable std::mutex counts_mutex_;
  std::unordered_map<std::string, int> counts_;

  std::thread thread_;
};

}  // namespace rivolet
