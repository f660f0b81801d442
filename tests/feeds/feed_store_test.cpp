// The store's promise: a feed list file that could not be read is kept,
// never overwritten, whatever its size.
#include "feeds/feed_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>

#include <filesystem>

#include "tests/support/error_text.h"
#include "tests/support/temp_dir.h"

namespace rivolet {
namespace {

namespace fs = std::filesystem;
using testing::ErrorText;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

// Starts the program once over whatever feeds.che holds and saves at close.
void StartAndSave(const fs::path& file) {
  FeedStore store(file);
  FeedList list;
  FeedListControl control;
  store.LoadStored(list, control, {}, {});
  store.Save(list, control);
}

TEST(FeedStoreTest, EachDamagedListGetsABackupOfItsOwn) {
  TempDir dir;
  const fs::path file = dir / "feeds.che";
  for (const char* damaged : {"first", "second", "third"}) {
    WriteFileBytes(file, damaged);
    StartAndSave(file);
  }
  EXPECT_EQ(ReadFileBytes(dir / "feeds.che.bak"), "first");
  EXPECT_EQ(ReadFileBytes(dir / "feeds.che.1.bak"), "second");
  EXPECT_EQ(ReadFileBytes(dir / "feeds.che.2.bak"), "third");
  // A backup the user removed frees its name for the next one.
  fs::remove(dir / "feeds.che.bak");
  WriteFileBytes(file, "fourth");
  StartAndSave(file);
  EXPECT_EQ(ReadFileBytes(dir / "feeds.che.bak"), "fourth");
  EXPECT_EQ(ReadFileBytes(file), WriteFeedFile(FeedList(), FeedListControl()));
}

// Opening another list keeps the list as it was under a name of its own,
// whatever is there already.
TEST(FeedStoreTest, DatedBackupsAreNewFilesBesideTheLinkedList) {
  TempDir dir;
  fs::create_directory(dir / "sync");
  fs::create_symlink(dir / "sync" / "list.che", dir / "feeds.che");
  FeedStore store(dir / "feeds.che");
  FeedList list;
  list.Append("A", "c", "60", "http://a/");
  std::tm when{};
  strptime("2024-05-01 10:22:05", "%Y-%m-%d %H:%M:%S", &when);
  const fs::path taken = dir / "sync" / "list.che.2024-05-01-102205.bak";
  const fs::path kept = dir / "sync" / "list.che.2024-05-01-102205.1.bak";
  WriteFileBytes(taken, "the user's own");
  EXPECT_EQ(store.KeepDatedBackup(list, FeedListControl(), when), kept);
  EXPECT_EQ(ReadFileBytes(taken), "the user's own");
  EXPECT_EQ(ReadFileBytes(kept), WriteFeedFile(list, FeedListControl()));
  EXPECT_EQ(fs::status(kept).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
}

// The list is written at every change: only the first save of a run that
// could not read the stored list keeps it.
TEST(FeedStoreTest, SavingAtEveryChangeKeepsOneBackup) {
  TempDir dir;
  const fs::path file = dir / "feeds.che";
  WriteFileBytes(file, "damaged");
  FeedStore store(file);
  FeedList list;
  FeedListControl control;
  store.LoadStored(list, control, {}, {});
  for (const char* name : {"a", "b", "c"}) {
    list.Append(name, "c", "60", "http://x/");
    store.Save(list, control);
  }
  EXPECT_EQ(ReadFileBytes(dir / "feeds.che.bak"), "damaged");
  EXPECT_FALSE(fs::exists(dir / "feeds.che.1.bak"));
  EXPECT_EQ(ReadFileBytes(file), WriteFeedFile(list, control));
}

// Kept at the load, which says why and where; a run killed before its first
// save finds the file kept already.
TEST(FeedStoreTest, ADamagedListIsKeptAtLoadUnderOneName) {
  TempDir dir;
  const fs::path file = dir / "feeds.che";
  WriteFileBytes(file, "damaged");
  for (int run = 0; run < 2; ++run) {
    FeedStore store(file);
    FeedList list;
    FeedListControl control;
    const auto damage = store.LoadStored(list, control, {}, {});
    ASSERT_TRUE(damage.has_value());
    EXPECT_EQ(damage->reason, "Invalid stream format");
    EXPECT_EQ(damage->backup, dir / "feeds.che.bak");
    EXPECT_EQ(ReadFileBytes(dir / "feeds.che.bak"), "damaged");
  }
  EXPECT_FALSE(fs::exists(dir / "feeds.che.1.bak"));
}

TEST(FeedStoreTest, AListTooLargeToReadIsKeptWhole) {
  TempDir dir;
  const fs::path file = dir / "feeds.che";
  constexpr std::uintmax_t kSize = 257u * 1024 * 1024;
  WriteFileBytes(file, "x");
  fs::resize_file(file, kSize);  // sparse: costs no disk
  struct stat before {};
  ASSERT_EQ(::stat(file.c_str(), &before), 0);
  StartAndSave(file);
  struct stat after {};
  ASSERT_EQ(::stat((dir / "feeds.che.bak").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);  // kept, not copied
  EXPECT_EQ(fs::file_size(dir / "feeds.che.bak"), kSize);
  EXPECT_EQ(ReadFileBytes(file), WriteFeedFile(FeedList(), FeedListControl()));
}

TEST(FeedStoreTest, APipeALinkLeadsToIsNeitherKeptNorReplaced) {
  TempDir dir;
  const fs::path file = dir / "feeds.che";
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  fs::create_symlink("pipe", file);
  EXPECT_EQ(ErrorText([&] { StartAndSave(file); }),
            "Cannot create file " + file.string());
  EXPECT_TRUE(fs::is_fifo(file));
  EXPECT_FALSE(fs::exists(dir / "pipe.bak"));
}

TEST(FeedStoreTest, ASaveIsNeededOnlyWhenTheFileDoesNotHoldTheList) {
  TempDir dir;
  const fs::path file = dir / "feeds.che";
  FeedStore store(file);
  FeedList list;
  FeedListControl control;
  EXPECT_TRUE(store.NeedsSave(list, control));  // nothing there yet
  store.Save(list, control);
  EXPECT_FALSE(store.NeedsSave(list, control));
  list.Append("N", "C", "5", "http://n.example/");
  EXPECT_TRUE(store.NeedsSave(list, control));
  store.Save(list, control);
  FeedStore again(file);
  FeedList loaded;
  again.LoadStored(loaded, control, {}, {});
  EXPECT_FALSE(again.NeedsSave(loaded, control));
}

TEST(FeedStoreTest, ASpecialFileCanNeverBeWrittenNorKept) {
  TempDir dir;
  const fs::path file = dir / "feeds.che";
  EXPECT_FALSE(FeedStore(file).CanNeverBeWritten());  // made at the save
  WriteFileBytes(dir / "regular", "x");
  fs::create_directory(dir / "folder");
  ::mkfifo((dir / "pipe").c_str(), 0600);
  const std::pair<const char*, bool> targets[] = {{"regular", false},
                                                  {"missing", false},
                                                  {"folder", true},
                                                  {"pipe", true},
                                                  {"/dev/null", true}};
  for (const auto& [target, never] : targets) {
    fs::remove(file);
    fs::create_symlink(target, file);
    FeedStore store(file);
    EXPECT_EQ(store.CanNeverBeWritten(), never) << target;
    FeedList list;
    FeedListControl control;
    const auto damage = store.LoadStored(list, control, {}, {});
    if (never) {
      // Nothing could be kept, and the message must not say it was.
      ASSERT_TRUE(damage) << target;
      EXPECT_FALSE(damage->kept) << target;
    }
  }
}

}  // namespace
}  // namespace rivolet
