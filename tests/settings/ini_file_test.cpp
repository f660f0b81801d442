// Tests of the INI reader and writer: what is found, where a write lands and
// what it leaves alone, numbers, and failing writes that must keep the file.
#include "settings/ini_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/error.h"
#include "tests/support/temp_dir.h"

namespace rivolet {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

TEST(GetIniValueTest, FindsKeysAsAWindowsReaderDoes) {
  struct Case {
    std::string text, section, key;
    std::optional<std::string> value;
  };
  const std::vector<Case> cases = {
      {"[General]\r\n  Remember_Pos = 1 \r\n", "general", "REMEMBER_POS", "1"},
      {"[ a ] tail\n\tk\t=\tv w\t\n", "a", "k", "v w"},
      {"\xEF\xBB\xBF[a]\nk=1", "a", "k", "1"},
      {"[a]\rk=5\r", "a", "k", "5"},
      {"[a]\nk==x=\n", "a", "k", "=x="},
      {"[a]\nk=\n", "a", "k", ""},
      {"k=1\n[a]\n", "a", "k", std::nullopt},  // before every section
      {"[a]\n;k=1\n", "a", "k", std::nullopt},
      {"[a\nk=1\n", "a", "k", std::nullopt},  // not a header
      {"[b]\nk=1\n[a]\n", "a", "k", std::nullopt},
      {"[a]\nk=1\nk=2\n", "a", "k", "1"},
      {"[a]\nx=1\n[b]\n[A]\nk=3\n", "a", "k", "3"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetIniValue(c.text, c.section, c.key), c.value) << c.text;
  }
}

TEST(SetIniValueTest, ChangesOneLineAndKeepsEveryOtherByte) {
  struct Case {
    std::string before, section, key, value, after;
  };
  const std::vector<Case> cases = {
      {"", "general", "left", "5", "[general]\r\nleft=5\r\n"},
      // In place, spelt as found, ending kept; never a second line.
      {"[General]\n  Left = 1 \n", "general", "LEFT", "7",
       "[General]\nLeft=7\n"},
      {"[a]\r\nk=1\r\n[A]\r\nk=2", "A", "K", "3", "[a]\r\nk=3\r\n[A]\r\nk=2"},
      // After the section's last key, before what closes the section.
      {"[a]\nx=1\n\n; about b\n[b]\n", "a", "y", "2",
       "[a]\nx=1\ny=2\n\n; about b\n[b]\n"},
      {"[a]\n\n[b]\n", "a", "y", "2", "[a]\ny=2\n\n[b]\n"},
      {"[a]\nx=1", "a", "y", "2", "[a]\nx=1\ny=2"},
      {"[a]\n[b]\n[A]\nx=1\n", "A", "y", "2", "[a]\ny=2\n[b]\n[A]\nx=1\n"},
      // A new section at the end; the file's own line ending.
      {"[a]\r\nx=1", "b", "y", "2", "[a]\r\nx=1\r\n[b]\r\ny=2\r\n"},
      {"[a]\rx=1\r", "b", "y", "2", "[a]\rx=1\r[b]\ry=2\r"},
      // Mixed endings: the inserted line must not swallow the blank line.
      {"[a]\rx=1\n\nz", "a", "y", "2", "[a]\rx=1\ny=2\n\nz"},
  };
  for (const Case& c : cases) {
    const std::string after = SetIniValue(c.before, c.section, c.key, c.value);
    EXPECT_EQ(after, c.after) << c.before;
    EXPECT_EQ(GetIniValue(after, c.section, c.key), c.value) << c.before;
  }
}

TEST(SetIniValueTest, RefusesWhatCouldNotBeReadBack) {
  struct Case {
    const char *section, *key, *value;
  };
  const Case cases[] = {
      {"", "k", "v"},   {"a]", "k", "v"},   {"a", "k=", "v"},
      {"a", ";k", "v"}, {"a", " k", "v"},   {"a", "", "v"},
      {"a", "k", "v "}, {"a", "k", "v\nw"}, {"a\r", "k", "v"}};
  for (const Case& c : cases) {
    EXPECT_THROW(SetIniValue("", c.section, c.key, c.value),
                 std::invalid_argument)
        << c.section << "/" << c.key << "/" << c.value;
  }
}

TEST(IniFileTest, NumbersAndBooleans) {
  struct Case {
    const char* stored;  // nullptr: no key
    int number;          // ReadInteger with default 5
    bool flag;           // ReadBool with default true
  };
  const Case cases[] = {
      {nullptr, 5, true},   {"0x1E", 30, true}, {"abc", 5, true}, {"", 5, true},
      {" -12 ", -12, true}, {"0", 0, false},    {"2", 2, true},
  };
  TempDir dir;
  IniFile ini(dir / "rivolet.ini");
  EXPECT_EQ(ini.ReadInteger("a", "k", 5), 5);  // no file at all
  for (const Case& c : cases) {
    WriteFileBytes(ini.path(),
                   c.stored ? std::string("[a]\nk=") + c.stored + "\n" : "");
    EXPECT_EQ(ini.ReadInteger("a", "k", 5), c.number) << c.stored;
    EXPECT_EQ(ini.ReadBool("a", "k", true), c.flag) << c.stored;
  }
}

TEST(IniFileTest, WritesGoStraightToDiskAndKeepTheRest) {
  TempDir dir;
  IniFile ini(dir / "rivolet.ini");
  const std::string before =
      "; kept\r\n[Other]\r\nLeft=9\r\n\r\n[GENERAL]\r\n  Left =  1\r\n"
      "odd line\r\n\r\n";
  WriteFileBytes(ini.path(), before);
  ini.WriteInteger("general", "left", -3);
  ini.WriteBool("general", "remember_pos", true);
  EXPECT_EQ(ReadFileBytes(ini.path()),
            "; kept\r\n[Other]\r\nLeft=9\r\n\r\n[GENERAL]\r\nLeft=-3\r\n"
            "remember_pos=1\r\nodd line\r\n\r\n");
  // Nothing is cached: a change made behind its back is read at once.
  WriteFileBytes(ini.path(), "[general]\nleft=4\n");
  EXPECT_EQ(ini.ReadInteger("general", "left", 0), 4);
}

TEST(IniFileTest, AFailedWriteLeavesTheFileAsItWas) {
  struct Case {
    const char* name;
    void (*spoil)(const std::filesystem::path& ini);
    int left_read;  // with default 7
  };
  const Case cases[] = {
      {"the file is a folder",
       [](const std::filesystem::path& ini) {
         std::filesystem::create_directory(ini);
       },
       7},
      {"the disk takes no more bytes",
       [](const std::filesystem::path& ini) {
         WriteFileBytes(ini, "[general]\nleft=1\n");
         // A file size limit fails the write: not even root escapes it.
         std::signal(SIGXFSZ, SIG_IGN);
         rlimit limit{};
         getrlimit(RLIMIT_FSIZE, &limit);
         limit.rlim_cur = 4;
         setrlimit(RLIMIT_FSIZE, &limit);
       },
       1},
      {"the file is a pipe that would block a read",
       [](const std::filesystem::path& ini) {
         ASSERT_EQ(mkfifo(ini.c_str(), 0600), 0);
       },
       7},
      {"the file is too large to be ours",
       [](const std::filesystem::path& ini) {
         WriteFileBytes(
             ini, "[general]\nleft=1\n" + std::string(kMaxIniFileSize, ';'));
       },
       7},
  };
  rlimit no_limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &no_limit), 0);
  for (const Case& c : cases) {
    TempDir dir;
    IniFile ini(dir / "rivolet.ini");
    c.spoil(ini.path());
    const bool is_file = std::filesystem::is_regular_file(ini.path());
    const std::string old = is_file ? ReadFileBytes(ini.path()) : "";
    try {
      ini.WriteInteger("general", "left", 2);
      ADD_FAILURE() << c.name << ": no failure";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()),
                "Unable to write to " + ini.path().string())
          << c.name;
    }
    setrlimit(RLIMIT_FSIZE, &no_limit);
    if (is_file) {
      EXPECT_EQ(ReadFileBytes(ini.path()), old) << c.name;
    }
    EXPECT_EQ(ini.ReadInteger("general", "left", 7), c.left_read) << c.name;
  }
}

}  // namespace
}  // namespace rivolet
