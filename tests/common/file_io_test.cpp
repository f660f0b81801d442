// Reading and writing the program's own files when the folder holds links,
// pipes and other things that are not plain files.
#include "common/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <utility>

#include "common/error.h"
#include "tests/support/error_text.h"
#include "tests/support/temp_dir.h"

namespace rivolet {
namespace {

namespace fs = std::filesystem;
using testing::ErrorText;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

// Temporary files left in a folder and the folders below it.
int Leftovers(const fs::path& folder) {
  int count = 0;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.path().filename().string().find(".tmp") != std::string::npos) {
      ++count;
    }
  }
  return count;
}

TEST(ReadWholeFileTest, RefusesAnythingButARegularFileWithoutBlocking) {
  TempDir dir;
  WriteFileBytes(dir / "plain", "bytes");
  fs::create_symlink("plain", dir / "link");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  fs::create_symlink("fifo", dir / "link-to-fifo");
  fs::create_directory(dir / "folder");
  EXPECT_EQ(ReadWholeFile(dir / "link"), "bytes");

  for (const char* name : {"fifo", "link-to-fifo", "folder", "missing"}) {
    SCOPED_TRACE(name);
    const fs::path path = dir / name;
    auto read = std::async(std::launch::async, [&] {
      return ErrorText([&] { ReadWholeFile(path); });
    });
    const bool returned =
        read.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!returned) {
      // Let a reader stuck in open() go, or the test would never end.
      ::close(::open(path.c_str(), O_WRONLY | O_NONBLOCK));
    }
    EXPECT_TRUE(returned);
    EXPECT_EQ(read.get(), "Cannot open file " + path.string());
  }
}

TEST(WriteFileAtomicallyTest, NeverWritesThroughAPlantedTemporaryFile) {
  TempDir dir;
  WriteFileBytes(dir / "victim", "precious");
  fs::create_symlink(dir / "victim", dir / "feeds.che.tmp");
  WriteFileAtomically(dir / "feeds.che", "list");
  EXPECT_EQ(ReadFileBytes(dir / "victim"), "precious");
  EXPECT_FALSE(fs::is_symlink(dir / "feeds.che"));
  EXPECT_EQ(ReadFileBytes(dir / "feeds.che"), "list");
  EXPECT_EQ(Leftovers(dir.path()), 1);  // the planted one
}

TEST(WriteFileAtomicallyTest, WritesWhereTheLinksLeadAndKeepsThem) {
  struct Case {
    const char* name;
    std::vector<std::pair<const char*, const char*>> links;  // name, target
    const char* target;  // the file that must end up holding the bytes
  };
  const Case cases[] = {
      {"relative link", {{"feeds.che", "sync/list.che"}}, "sync/list.che"},
      {"chain of links",
       {{"feeds.che", "sync/hop"}, {"sync/hop", "list.che"}},
       "sync/list.che"},
      {"dangling link", {{"feeds.che", "sync/new.che"}}, "sync/new.che"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    fs::create_directory(dir / "sync");
    WriteFileBytes(dir / "sync/list.che", "old");
    for (const auto& [name, target] : c.links) {
      fs::create_symlink(target, dir / name);
    }
    WriteFileAtomically(dir / "feeds.che", "new");
    EXPECT_EQ(ReadFileBytes(dir / c.target), "new");
    EXPECT_TRUE(fs::is_symlink(dir / "feeds.che"));
    EXPECT_EQ(Leftovers(dir.path()), 0);
  }
}

// What a save may replace, and the permissions the saved file ends with.
TEST(WriteFileAtomicallyTest,
     ReplacesOnlyWritableRegularFilesKeepingTheirMode) {
  const struct {
    char kind;     // at the target: file, pipe, directory, link back, nothing
    bool linked;   // feeds.che is a link to the target "list"
    mode_t mode;   // of the file
    mode_t after;  // of the written file; 0: the save must fail
  } cases[] = {{'-', 0, 0, 0600},    {'-', 1, 0, 0600}, {'f', 0, 0640, 0640},
               {'f', 1, 0604, 0604}, {'f', 0, 0444, 0}, {'f', 1, 0466, 0},
               {'p', 0, 0, 0},       {'p', 1, 0, 0},    {'d', 1, 0, 0},
               {'l', 1, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(1, c.kind) + (c.linked ? " linked" : ""));
    TempDir dir;
    const fs::path file = dir / "feeds.che";
    const fs::path target = c.linked ? dir / "list" : file;
    if (c.linked) fs::create_symlink("list", file);
    if (c.kind == 'f') WriteFileBytes(target, "old");
    if (c.kind == 'f') fs::permissions(target, fs::perms(c.mode));
    if (c.kind == 'p') ::mkfifo(target.c_str(), 0644);
    if (c.kind == 'd') fs::create_directory(target);
    if (c.kind == 'l') fs::create_symlink("feeds.che", target);
    struct stat before {};
    struct stat after {};
    ::lstat(target.c_str(), &before);
    const std::string error =
        ErrorText([&] { WriteFileAtomically(file, "new"); });
    ::lstat(target.c_str(), &after);
    EXPECT_EQ(error, c.after ? "" : "Cannot create file " + file.string());
    EXPECT_EQ(after.st_mode, c.after ? S_IFREG | c.after : before.st_mode);
    EXPECT_EQ(after.st_ino == before.st_ino, !c.after);  // left in place
    EXPECT_EQ(Leftovers(dir.path()), 0);
  }
}

TEST(RemoveTemporaryLeftoversTest, RemovesOnlyOurRegularTemporaryFiles) {
  TempDir dir;
  const std::pair<std::string, bool> files[] = {
      // name, removed
      {"feeds.che.aZ09xY.tmp", true},   {"rivolet.ini.000000.tmp", true},
      {"feeds.che.aZ09x.tmp", false},   {"feeds.che.aZ09xYz.tmp", false},
      {"feeds.che.aZ-9xY.tmp", false},  {".aZ09xY.tmp", false},
      {"feeds.che.aZ09xY.tmp~", false}, {"notes.txt.aZ09xY.tmp", false}};
  for (const auto& [name, removed] : files) {
    WriteFileBytes(dir / name, "");
    fs::permissions(dir / name, fs::perms::owner_read | fs::perms::owner_write);
  }
  // The user's own file of such a name: readable by others, not a save's.
  WriteFileBytes(dir / "feeds.che.backup.tmp", "mine");
  fs::permissions(dir / "feeds.che.backup.tmp",
                  fs::perms::owner_read | fs::perms::owner_write |
                      fs::perms::group_read | fs::perms::others_read);
  const std::string others[] = {"feeds.che.linkto.tmp", "feeds.che.folder.tmp",
                                "feeds.che.piped0.tmp"};
  fs::create_symlink("notes.txt.aZ09xY.tmp", dir / others[0]);
  fs::create_directory(dir / others[1]);
  ::mkfifo((dir / others[2]).c_str(), 0600);
  RemoveTemporaryLeftovers(dir.path(), {"feeds.che", "rivolet.ini"});
  for (const auto& [name, removed] : files) {
    EXPECT_EQ(fs::exists(dir / name), !removed) << name;
  }
  for (const auto& name : others) EXPECT_TRUE(fs::exists(dir / name)) << name;
  EXPECT_TRUE(fs::exists(dir / "feeds.che.backup.tmp"));
}

}  // namespace
}  // namespace rivolet
