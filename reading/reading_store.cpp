// The reading store on SQLite's C API.
#include "reading/reading_store.h"

#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <tuple>
#include <utility>

namespace rivolet {
namespace {

// The schema, written as SQLite keeps it, so that a file's own can be
// compared with it byte for byte.
constexpr const char* kSchema[] = {
    "CREATE TABLE feeds(id INTEGER PRIMARY KEY, url BLOB NOT NULL UNIQUE)",
    "CREATE TABLE items(feed INTEGER NOT NULL, identity BLOB NOT NULL, "
    "first_seen INTEGER NOT NULL, last_seen INTEGER NOT NULL, "
    "present INTEGER NOT NULL, read INTEGER NOT NULL, "
    "PRIMARY KEY(feed, identity)) WITHOUT ROWID",
    "CREATE INDEX items_by_last_seen ON items(last_seen)",
};
constexpr int kSchemaVersion = 1;

// Nothing the store holds is longer than an identity and a URL; a longer
// value in a file is not ours.
constexpr int kMaxValueLength = 1 << 20;

using SchemaRows =
    std::vector<std::tuple<std::string, std::string, std::string>>;

bool IsDamage(int rc) {
  const int primary = rc & 0xFF;
  return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB ||
         primary == SQLITE_FORMAT || primary == SQLITE_TOOBIG;
}

}  // namespace

class ReadingStore::Statement {
 public:
  Statement(const ReadingStore& store, const char* sql) : store_(store) {
    store.Check(sqlite3_prepare_v3(
        store.db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement_, nullptr));
  }
  ~Statement() { sqlite3_finalize(statement_); }

  // Ready for new values; a statement left mid-way by a failure is reset
  // here too.
  Statement& Start() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
    return *this;
  }
  // The bytes must live until the statement is done.
  Statement& Bind(int index, std::string_view bytes) {
    store_.Check(sqlite3_bind_blob64(statement_, index, bytes.data(),
                                     bytes.size(), SQLITE_STATIC));
    return *this;
  }
  Statement& Bind(int index, std::int64_t value) {
    store_.Check(sqlite3_bind_int64(statement_, index, value));
    return *this;
  }
  // True for a row, false when done.
  bool Step() {
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) {
      sqlite3_reset(statement_);
      return false;
    }
    sqlite3_reset(statement_);
    store_.Fail(rc);
  }
  void Run() {
    while (Step()) {
    }
  }
  std::int64_t Int(int column) {
    return sqlite3_column_int64(statement_, column);
  }
  std::string Text(int column) {
    const void* bytes = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    return bytes ? std::string(static_cast<const char*>(bytes),
                               static_cast<std::size_t>(size))
                 : std::string();
  }
  // Ends a query before its last row, so that it holds no read open.
  void Done() { sqlite3_reset(statement_); }

 private:
  const ReadingStore& store_;
  sqlite3_stmt* statement_ = nullptr;
};

namespace {

enum StatementId {
  kFindFeed,
  kAddFeed,
  kNoLongerPresent,
  kFindItem,
  kSeeItem,
  kAddItem,
  kSetRead,
  kCountUnread,
  kCountAllUnread,
  kCountItems,
  kStatementCount,
};

sqlite3* OpenConnection(const std::string& name, int flags) {
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(name.c_str(), &db, flags, nullptr);
  if (rc == SQLITE_OK) return db;
  std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  sqlite3_close(db);
  if (IsDamage(rc)) throw StoreDamaged(message);
  throw Error(message);
}

// Outside input cannot run code of its own or reach other files through
// our connection, and cannot make us hold huge values.
void Harden(sqlite3* db) {
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
  sqlite3_limit(db, SQLITE_LIMIT_LENGTH, kMaxValueLength);
  sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
}

// The file as it stands before SQLite touches it: too large or unreadable
// is damage of a kind.
void CheckFile(const std::filesystem::path& file, std::uintmax_t max_size,
               bool writable) {
  std::error_code ec;
  const auto status = std::filesystem::status(file, ec);
  if (!std::filesystem::exists(status)) return;
  if (!std::filesystem::is_regular_file(status))
    throw StoreDamaged("not a regular file");
  const std::uintmax_t size = std::filesystem::file_size(file, ec);
  if (ec) throw StoreDamaged(ec.message());
  if (size > max_size) throw StoreDamaged("too large");
  if (::access(file.c_str(), writable ? R_OK | W_OK : R_OK) != 0)
    throw StoreDamaged(std::strerror(errno));
}

}  // namespace

ReadingStore::ReadingStore(sqlite3* db, StoreLimits limits)
    : db_(db), limits_(limits) {
  statements_.resize(kStatementCount);
}

ReadingStore::~ReadingStore() {
  statements_.clear();
  sqlite3_close_v2(db_);
}

void ReadingStore::Fail(int rc) const {
  const std::string message = sqlite3_errmsg(db_);
  if (IsDamage(rc)) throw StoreDamaged(message);
  throw Error(message);
}

void ReadingStore::Check(int rc) const {
  if (rc != SQLITE_OK) Fail(rc);
}

void ReadingStore::Execute(const char* sql) {
  Check(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr));
}

ReadingStore::Statement& ReadingStore::Prepared(int which, const char* sql) {
  std::unique_ptr<Statement>& statement = statements_[which];
  if (!statement) statement = std::make_unique<Statement>(*this, sql);
  return statement->Start();
}

namespace {

// Our schema as SQLite writes it down, made once in memory.
const SchemaRows& ExpectedSchema() {
  static const SchemaRows expected = [] {
    sqlite3* db = OpenConnection(":memory:", SQLITE_OPEN_READWRITE);
    for (const char* sql : kSchema)
      sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    SchemaRows rows;
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(
        db, "SELECT type, name, sql FROM sqlite_schema ORDER BY name", -1,
        &query, nullptr);
    while (sqlite3_step(query) == SQLITE_ROW) {
      auto text = [query](int column) {
        const unsigned char* value = sqlite3_column_text(query, column);
        return value ? std::string(reinterpret_cast<const char*>(value))
                     : std::string();
      };
      rows.emplace_back(text(0), text(1), text(2));
    }
    sqlite3_finalize(query);
    sqlite3_close(db);
    return rows;
  }();
  return expected;
}

}  // namespace

std::unique_ptr<ReadingStore> ReadingStore::Open(
    const std::filesystem::path& file, StoreLimits limits) {
  CheckFile(file, limits.max_file_size, true);
  std::error_code ec;
  const bool existed = std::filesystem::exists(file, ec);
  std::unique_ptr<ReadingStore> store;
  try {
    store.reset(
        new ReadingStore(OpenConnection(file.string(), SQLITE_OPEN_READWRITE |
                                                           SQLITE_OPEN_CREATE |
                                                           SQLITE_OPEN_NOMUTEX),
                         limits));
  } catch (const StoreDamaged&) {
    throw;
  } catch (const Error& error) {
    // A file that is there but cannot be opened counts as unreadable.
    if (existed) throw StoreDamaged(error.what());
    throw;
  }
  Harden(store->db_);
  // Another copy of the program writing at this moment is waited for.
  sqlite3_busy_timeout(store->db_, 1000);
  // The first statements read the file's header: a file that is no
  // database fails here.
  store->Execute(
      "PRAGMA cell_size_check=ON; PRAGMA cache_size=-512; "
      "PRAGMA mmap_size=0; PRAGMA journal_mode=WAL; "
      "PRAGMA synchronous=NORMAL");
  store->CheckSchema(true);
  return store;
}

std::unique_ptr<ReadingStore> ReadingStore::OpenInMemory(StoreLimits limits) {
  std::unique_ptr<ReadingStore> store(new ReadingStore(
      OpenConnection(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX),
      limits));
  Harden(store->db_);
  store->CheckSchema(true);
  return store;
}

std::unique_ptr<ReadingStore> ReadingStore::OpenReadOnly(
    const std::filesystem::path& file) {
  const StoreLimits limits;
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return nullptr;
  CheckFile(file, limits.max_file_size, false);
  std::unique_ptr<ReadingStore> store(new ReadingStore(
      OpenConnection(file.string(), SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX),
      limits));
  Harden(store->db_);
  store->Execute("PRAGMA cell_size_check=ON; PRAGMA mmap_size=0");
  store->CheckSchema(false);
  return store;
}

void ReadingStore::CheckSchema(bool create) {
  SchemaRows rows;
  {
    Statement query(*this,
                    "SELECT type, name, sql FROM sqlite_schema ORDER BY name");
    while (query.Step()) {
      rows.emplace_back(query.Text(0), query.Text(1), query.Text(2));
    }
  }
  if (rows.empty() && create) {
    Begin();
    try {
      for (const char* sql : kSchema) Execute(sql);
      Execute("PRAGMA user_version=1");
      Commit();
    } catch (...) {
      Rollback();
      throw;
    }
    return;
  }
  if (rows != ExpectedSchema()) throw StoreDamaged("not a reading store");
  Statement version(*this, "PRAGMA user_version");
  if (!version.Step() || version.Int(0) != kSchemaVersion) {
    throw StoreDamaged("not a reading store");
  }
  version.Done();
}

void ReadingStore::Begin() { Execute("BEGIN IMMEDIATE"); }

void ReadingStore::Commit() { Execute("COMMIT"); }

void ReadingStore::Rollback() {
  // Nothing to undo when the failure already ended the transaction.
  if (!sqlite3_get_autocommit(db_))
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void ReadingStore::AddItem(std::int64_t feed, std::string_view identity,
                           std::int64_t now, bool read) {
  Prepared(kAddItem,
           "INSERT INTO items(feed, identity, first_seen, last_seen, present, "
           "read) VALUES(?1, ?2, ?3, ?3, 1, ?4)")
      .Bind(1, feed)
      .Bind(2, identity)
      .Bind(3, now)
      .Bind(4, std::int64_t{read ? 1 : 0})
      .Run();
}

std::int64_t ReadingStore::FeedId(std::string_view url, bool add) {
  if (add) {
    Prepared(kAddFeed, "INSERT OR IGNORE INTO feeds(url) VALUES(?1)")
        .Bind(1, url)
        .Run();
  }
  Statement& find = Prepared(kFindFeed, "SELECT id FROM feeds WHERE url = ?1");
  find.Bind(1, url);
  if (!find.Step()) return 0;
  const std::int64_t id = find.Int(0);
  find.Done();
  return id;
}

namespace {

// Runs `change` in a transaction of its own unless one is open.
template <typename Change>
auto InTransaction(ReadingStore& store, sqlite3* db, Change change) {
  if (!sqlite3_get_autocommit(db)) return change();
  store.Begin();
  try {
    auto result = change();
    store.Commit();
    return result;
  } catch (...) {
    store.Rollback();
    throw;
  }
}

}  // namespace

std::vector<StoredItemState> ReadingStore::RecordShowing(
    std::string_view url, const std::vector<std::string>& identities,
    std::int64_t now) {
  return InTransaction(*this, db_, [&] {
    const std::int64_t feed = FeedId(url, true);
    Prepared(kNoLongerPresent,
             "UPDATE items SET present = 0 WHERE feed = ?1 AND present = 1")
        .Bind(1, feed)
        .Run();
    std::vector<StoredItemState> states;
    states.reserve(identities.size());
    for (const std::string& identity : identities) {
      StoredItemState state;
      Statement& find =
          Prepared(kFindItem,
                   "SELECT read FROM items WHERE feed = ?1 AND identity = ?2");
      find.Bind(1, feed).Bind(2, identity);
      if (find.Step()) {
        state.read = find.Int(0) != 0;
        find.Done();
        Prepared(kSeeItem,
                 "UPDATE items SET present = 1, last_seen = ?3 "
                 "WHERE feed = ?1 AND identity = ?2")
            .Bind(1, feed)
            .Bind(2, identity)
            .Bind(3, now)
            .Run();
      } else {
        state.first_seen = true;
        AddItem(feed, identity, now, false);
      }
      states.push_back(state);
    }
    return states;
  });
}

void ReadingStore::SetRead(std::string_view url,
                           const std::vector<std::string>& identities,
                           bool read, std::int64_t now) {
  InTransaction(*this, db_, [&] {
    const std::int64_t feed = FeedId(url, true);
    const std::int64_t mark = read ? 1 : 0;
    for (const std::string& identity : identities) {
      Prepared(kSetRead,
               "UPDATE items SET read = ?3 WHERE feed = ?1 AND identity = ?2")
          .Bind(1, feed)
          .Bind(2, identity)
          .Bind(3, mark)
          .Run();
      if (sqlite3_changes(db_) > 0) continue;
      AddItem(feed, identity, now, read);
    }
    return 0;
  });
}

std::vector<bool> ReadingStore::ReadMarks(
    std::string_view url, const std::vector<std::string>& identities) {
  std::vector<bool> marks(identities.size(), false);
  const std::int64_t feed = FeedId(url, false);
  if (feed == 0) return marks;
  for (std::size_t i = 0; i < identities.size(); ++i) {
    Statement& find = Prepared(
        kFindItem, "SELECT read FROM items WHERE feed = ?1 AND identity = ?2");
    find.Bind(1, feed).Bind(2, identities[i]);
    if (find.Step()) {
      marks[i] = find.Int(0) != 0;
      find.Done();
    }
  }
  return marks;
}

std::unordered_map<std::string, int> ReadingStore::UnreadCounts() {
  std::unordered_map<std::string, int> counts;
  Statement& query = Prepared(
      kCountAllUnread,
      "SELECT url, (SELECT count(*) FROM items WHERE items.feed = feeds.id "
      "AND present = 1 AND read = 0) FROM feeds");
  while (query.Step()) counts[query.Text(0)] = static_cast<int>(query.Int(1));
  return counts;
}

int ReadingStore::UnreadCount(std::string_view url) {
  const std::int64_t feed = FeedId(url, false);
  if (feed == 0) return 0;
  Statement& query = Prepared(kCountUnread,
                              "SELECT count(*) FROM items WHERE feed = ?1 AND "
                              "present = 1 AND read = 0");
  query.Bind(1, feed);
  const int count = query.Step() ? static_cast<int>(query.Int(0)) : 0;
  query.Done();
  return count;
}

std::size_t ReadingStore::ItemCount() {
  Statement& query = Prepared(kCountItems, "SELECT count(*) FROM items");
  const std::int64_t count = query.Step() ? query.Int(0) : 0;
  query.Done();
  return static_cast<std::size_t>(count);
}

void ReadingStore::Prune(std::int64_t now) {
  InTransaction(*this, db_, [&] {
    Statement unseen(*this, "DELETE FROM items WHERE last_seen < ?1");
    unseen.Bind(1, now - limits_.keep_unseen_seconds).Run();
    const std::size_t count = ItemCount();
    if (count > limits_.max_items) {
      Statement oldest(*this,
                       "DELETE FROM items WHERE (feed, identity) IN (SELECT "
                       "feed, identity FROM items ORDER BY last_seen, "
                       "first_seen LIMIT ?1)");
      oldest.Bind(1, static_cast<std::int64_t>(count - limits_.max_items))
          .Run();
    }
    Execute(
        "DELETE FROM feeds WHERE NOT EXISTS "
        "(SELECT 1 FROM items WHERE items.feed = feeds.id)");
    return 0;
  });
}

std::filesystem::path ReadingStore::SetAside(
    const std::filesystem::path& file) {
  std::error_code ec;
  for (int n = 0; n < 1000; ++n) {
    std::filesystem::path kept = file;
    kept += n == 0 ? ".damaged" : ".damaged." + std::to_string(n);
    if (std::filesystem::exists(std::filesystem::symlink_status(kept, ec)))
      continue;
    std::filesystem::rename(file, kept, ec);
    if (ec) throw Error(ec.message());
    // The log goes with the file it belongs to: left behind, a new store
    // would take it for its own.
    for (const char* log : {"-wal", "-journal"}) {
      std::filesystem::path from = file, to = kept;
      from += log;
      to += log;
      if (!std::filesystem::exists(std::filesystem::symlink_status(from, ec)))
        continue;
      std::filesystem::rename(from, to, ec);
      if (ec) std::filesystem::remove(from, ec);
    }
    std::filesystem::path shared = file;
    shared += "-shm";
    std::filesystem::remove(shared, ec);
    return kept;
  }
  throw Error("no free name to keep it under");
}

}  // namespace rivolet
