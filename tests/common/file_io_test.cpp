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

  TempDir dir;
  fs::create_symlink("feeds.che", dir / "feeds.che");
  EXPECT_EQ(ErrorText([&] { WriteFileAtomically(dir / "feeds.che", "x"); }),
            "Cannot create file " + (dir / "feeds.che").string());
}

}  // namespace
}  // namespace rivolet
