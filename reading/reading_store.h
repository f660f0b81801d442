// The reading store: reading.db, an SQLite database of the items seen in
// each feed (by the feed's stored URL), when each was first and last seen,
// and whether it was read. One connection, used from one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/error.h"

struct sqlite3;

namespace rivolet {

inline constexpr char kReadingStoreFileName[] = "reading.db";

// The store file is not one of ours, or is damaged; what() says why.
class StoreDamaged : public Error {
 public:
  using Error::Error;
};

// What the store knows of one item of a reading.
struct StoredItemState {
  bool read = false;
  bool first_seen = false;  // it was not in the store before this reading
  friend bool operator==(const StoredItemState&,
                         const StoredItemState&) = default;
};

// The bounds of the store.
struct StoreLimits {
  // An item not seen in its feed for this long is dropped.
  std::int64_t keep_unseen_seconds = 90LL * 24 * 60 * 60;
  // Beyond this many items the ones seen longest ago go.
  std::size_t max_items = 200000;
  // A larger file cannot be ours: it is set aside unread.
  std::uintmax_t max_file_size = 256u * 1024 * 1024;
};

class ReadingStore {
 public:
  // Opens `file` for reading and writing (write-ahead log), making it when
  // missing. Throws StoreDamaged for a file that is not a store of ours, is
  // damaged, too large or unreadable; Error when it cannot be made.
  static std::unique_ptr<ReadingStore> Open(const std::filesystem::path& file,
                                            StoreLimits limits = {});
  // A store that lives in memory only, for a run whose file cannot be made.
  static std::unique_ptr<ReadingStore> OpenInMemory(StoreLimits limits = {});
  // Opens `file` without ever writing it; nothing when it does not exist.
  // Throws as Open.
  static std::unique_ptr<ReadingStore> OpenReadOnly(
      const std::filesystem::path& file);

  ~ReadingStore();
  ReadingStore(const ReadingStore&) = delete;
  ReadingStore& operator=(const ReadingStore&) = delete;

  // A transaction around several changes; every change outside one is a
  // transaction of its own.
  void Begin();
  void Commit();
  void Rollback();

  // The feed at `url` shows the items `identities` at `now` (seconds): they
  // are seen now (first seen now when new, unread), every other item of the
  // feed is no longer in it. One state per identity, in order.
  std::vector<StoredItemState> RecordShowing(
      std::string_view url, const std::vector<std::string>& identities,
      std::int64_t now);

  // Marks the items of the feed read or unread; an item the store lacks is
  // added as seen now.
  void SetRead(std::string_view url, const std::vector<std::string>& identities,
               bool read, std::int64_t now);

  // The read marks of the items, in order; false for an unknown item.
  std::vector<bool> ReadMarks(std::string_view url,
                              const std::vector<std::string>& identities);

  // The unread items of each feed's last reading, for every feed the store
  // knows, and for one feed (0 for one it does not know).
  std::unordered_map<std::string, int> UnreadCounts();
  int UnreadCount(std::string_view url);

  std::size_t ItemCount();

  // Drops the items not seen in their feed for the time the limits keep
  // them, then the items seen longest ago while there are more than the
  // limits allow, then the feeds left without items.
  void Prune(std::int64_t now);

  // The store file and what goes with it (its log) are put aside as
  // `<file>.damaged` (or `.damaged.1` and on when that is taken), never
  // replacing a file. Returns the name the store was kept under; throws
  // Error when it cannot be moved.
  static std::filesystem::path SetAside(const std::filesystem::path& file);

 private:
  class Statement;
  ReadingStore(sqlite3* db, StoreLimits limits);
  void Execute(const char* sql);
  // Makes the schema in an empty database (when `create`), else fails with
  // StoreDamaged unless the database holds exactly ours.
  void CheckSchema(bool create);
  Statement& Prepared(int which, const char* sql);
  // The feed's key; 0 when the store does not know it and `add` is false.
  std::int64_t FeedId(std::string_view url, bool add);
  // A new item of the feed, seen `now`.
  void AddItem(std::int64_t feed, std::string_view identity, std::int64_t now,
               bool read);
  // A failure of `rc` as StoreDamaged or Error.
  [[noreturn]] void Fail(int rc) const;
  void Check(int rc) const;

  sqlite3* db_;
  StoreLimits limits_;
  std::vector<std::unique_ptr<Statement>> statements_;
};

}  // namespace rivolet
