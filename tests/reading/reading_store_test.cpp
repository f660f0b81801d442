// The reading store: identities, what a showing records, the bounds, damaged
// files set aside, and the keeper's commits from other threads.
#include "reading/reading_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "reading/item_identity.h"
#include "reading/reading_keeper.h"
#include "tests/support/temp_dir.h"

namespace rivolet {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

constexpr std::int64_t kDay = 24 * 60 * 60;

TEST(ItemIdentityTest, IdThenLinkThenTitleAndDate) {
  const auto item = [](std::string title, std::string date,
                       std::string link = "", std::string id = "") {
    ShownItem made;
    made.title = std::move(title);
    made.date = std::move(date);
    made.link = std::move(link);
    made.id = std::move(id);
    return made;
  };
  EXPECT_EQ(ItemIdentity(item("T", "D", "L", "I")), "I");
  EXPECT_EQ(ItemIdentity(item("T", "D", "L")), "L");
  // A hash the same in every run and version: FNV-1a of "T\nD".
  EXPECT_EQ(ItemIdentity(item("T", "D")), "#6bb1be19e0ffb77d");
  EXPECT_NE(ItemIdentity(item("T", "D")), ItemIdentity(item("T\nD", "")));
  const std::string huge(kMaxItemIdentitySize + 1, 'x');
  EXPECT_EQ(ItemIdentity(item("", "", "", huge)).size(), 17u);
}

TEST(ReadingStoreTest, ShowingsRecordTheItemsAndMarksLast) {
  TempDir dir;
  const auto file = dir / "reading.db";
  {
    auto store = ReadingStore::Open(file);
    const auto first = store->RecordShowing("u", {"a", "b", "c"}, 100);
    EXPECT_EQ(first, std::vector<StoredItemState>(3, {false, true}));
    store->SetRead("u", {"b", "z"}, true, 101);  // z: marked before it showed
    EXPECT_EQ(store->ReadMarks("u", {"a", "b", "z", "q"}),
              (std::vector<bool>{false, true, true, false}));
    EXPECT_EQ(store->ReadMarks("other", {"a"}), std::vector<bool>{false});
  }
  // The marks are in the file: a new connection sees them.
  auto store = ReadingStore::Open(file);
  const auto again = store->RecordShowing("u", {"c", "b", "d", "d"}, 200);
  EXPECT_EQ(again,
            (std::vector<StoredItemState>{
                {false, false}, {true, false}, {false, true}, {false, false}}));
  // a and z are no longer in the feed: only c and d count.
  EXPECT_EQ(store->UnreadCount("u"), 2);
  store->RecordShowing("v", {"a"}, 200);
  store->SetRead("v", {"a"}, true, 201);
  EXPECT_EQ(store->UnreadCounts(),
            (std::unordered_map<std::string, int>{{"u", 2}, {"v", 0}}));
  store->SetRead("u", {"b"}, false, 202);
  EXPECT_EQ(store->UnreadCount("u"), 3);
  EXPECT_EQ(store->UnreadCount("unknown"), 0);
}

TEST(ReadingStoreTest, UnseenItemsGoAfterTheirTimeAndTheOldestBeyondTheCap) {
  StoreLimits limits;
  limits.max_items = 3;
  auto store = ReadingStore::OpenInMemory(limits);
  store->RecordShowing("u", {"old"}, 0);
  store->RecordShowing("u", {"a", "b"}, 10 * kDay);  // "old" leaves the feed
  store->RecordShowing("v", {"c", "d"}, 20 * kDay);
  EXPECT_EQ(store->ItemCount(), 5u);
  store->Prune(91 * kDay);  // only "old" was unseen for 90 days
  EXPECT_EQ(store->ItemCount(), 3u);
  EXPECT_EQ(store->ReadMarks("u", {"old"}), std::vector<bool>{false});
  store->SetRead("u", {"a"}, true, 91 * kDay);
  // Beyond the cap the item seen longest ago goes: "a" or "b" of day 10.
  store->RecordShowing("v", {"c", "d", "e"}, 95 * kDay);
  store->Prune(95 * kDay);
  EXPECT_EQ(store->ItemCount(), 3u);
  EXPECT_EQ(store->UnreadCount("v"), 3);
  // A feed whose items all went is forgotten.
  store->Prune(200 * kDay);
  EXPECT_TRUE(store->UnreadCounts().empty());
}

// A database of SQLite holding `sql`.
void MakeDatabase(const std::filesystem::path& file, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}

TEST(ReadingStoreTest, WhatIsNotOurStoreIsRefusedAndSetAside) {
  TempDir dir;
  const auto file = dir / "reading.db";
  {
    auto store = ReadingStore::Open(file);
    store->RecordShowing("u", {"a"}, 1);
  }
  const std::string ours = ReadFileBytes(file);
  const std::string page_of_garbage(4096, '\x5A');
  struct Case {
    std::string name;
    std::function<void()> make;
  } cases[] = {
      {"not a database",
       [&] { WriteFileBytes(file, "SQLite format 3" + page_of_garbage); }},
      {"damaged page",
       [&] {
         std::string damaged = ours;
         damaged.replace(damaged.size() - 4096, 4096, page_of_garbage);
         WriteFileBytes(file, damaged);
       }},
      {"another program's tables",
       [&] { MakeDatabase(file, "CREATE TABLE t(x)"); }},
      {"a trigger of its own",
       [&] {
         WriteFileBytes(file, ours);
         MakeDatabase(file,
                      "CREATE TRIGGER t AFTER INSERT ON items BEGIN "
                      "DELETE FROM feeds; END");
       }},
      {"too large",
       [&] { WriteFileBytes(file, ours + std::string(5000, '\0')); }},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(file);
    c.make();
    StoreLimits limits;
    limits.max_file_size = ours.size() + 4096;
    EXPECT_THROW(
        {
          auto store = ReadingStore::Open(file, limits);
          store->RecordShowing("u", {"a", "b"}, 2);
          store->UnreadCounts();
        },
        StoreDamaged)
        << c.name;
  }
  // Set aside under the first free name, with its log; never over a file.
  WriteFileBytes(dir / "reading.db.damaged", "earlier");
  WriteFileBytes(dir / "reading.db-wal", "log");
  WriteFileBytes(dir / "reading.db-shm", "index");
  EXPECT_EQ(ReadingStore::SetAside(file), dir / "reading.db.damaged.1");
  EXPECT_EQ(ReadFileBytes(dir / "reading.db.damaged"), "earlier");
  EXPECT_EQ(ReadFileBytes(dir / "reading.db.damaged.1-wal"), "log");
  for (const char* gone : {"reading.db", "reading.db-wal", "reading.db-shm"})
    EXPECT_FALSE(std::filesystem::exists(dir / gone)) << gone;
  EXPECT_EQ(ReadingStore::OpenReadOnly(file), nullptr);
}

TEST(ReadingKeeperTest, MarksReachTheFileSoonAndDamageIsToldOnce) {
  TempDir dir;
  const auto file = dir / "reading.db";
  WriteFileBytes(file, "not a store");
  std::vector<StoreTrouble> told;
  {
    ReadingKeeper::Options options;
    options.file = file;
    options.on_trouble = [&told](const StoreTrouble& t) { told.push_back(t); };
    ReadingKeeper keeper(options);
    const auto states = keeper.RecordShowing("u", {"a", "b"});
    EXPECT_EQ(states, std::vector<StoredItemState>(2, {false, true}));
    EXPECT_EQ(keeper.UnreadCount("u"), 2);
    keeper.SetRead("u", {"a"}, true);
    keeper.SetUnreadCount("u", 1);
    EXPECT_EQ(keeper.UnreadCount("u"), 1);
    // Committed without anyone waiting for it, well within a second.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(1);
    std::vector<bool> marks;
    while (std::chrono::steady_clock::now() < deadline) {
      marks = ReadingStore::OpenReadOnly(file)->ReadMarks("u", {"a", "b"});
      if (marks[0]) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(marks, (std::vector<bool>{true, false}));
  }
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].kind, StoreTrouble::Kind::kSetAside);
  EXPECT_EQ(told[0].kept_as, dir / "reading.db.damaged");
  EXPECT_EQ(ReadFileBytes(dir / "reading.db.damaged"), "not a store");

  // A folder that cannot hold the store: the run goes on in memory.
  told.clear();
  ReadingKeeper::Options options;
  options.file = dir / "missing-folder" / "reading.db";
  options.on_trouble = [&told](const StoreTrouble& t) { told.push_back(t); };
  ReadingKeeper keeper(options);
  keeper.RecordShowing("u", {"a"});
  keeper.SetRead("u", {"a"}, true);
  keeper.Flush();
  EXPECT_EQ(keeper.RecordShowing("u", {"a"})[0].read, true);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].kind, StoreTrouble::Kind::kUnavailable);
}

}  // namespace
}  // namespace rivolet
