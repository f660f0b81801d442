// Tests of the settings rules: the main window's remembered position, the
// load and its click effects, OK's write order and failure.
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/error.h"
#include "tests/support/temp_dir.h"

namespace rivolet {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

TEST(SettingsTest, MainWindowPlacement) {
  struct Case {
    const char* file;  // nullptr: no settings file
    bool remembered;
    int left, top;
  };
  const Case cases[] = {
      {nullptr, false, 0, 0},
      {"[general]\nleft=5\ntop=6\n", false, 0, 0},
      {"[general]\nremember_pos=1\n", true, 0, 0},
      {"[General]\nREMEMBER_POS=2\nleft=0x10\ntop=-5\n", true, 16, -5},
  };
  for (const Case& c : cases) {
    TempDir dir;
    if (c.file) WriteFileBytes(SettingsFilePath(dir.path()), c.file);
    const MainWindowPlacement placement =
        ReadMainWindowPlacement(IniFile(SettingsFilePath(dir.path())));
    EXPECT_EQ(placement.remembered, c.remembered) << c.file;
    EXPECT_EQ(placement.left, c.left) << c.file;
    EXPECT_EQ(placement.top, c.top) << c.file;
  }
}

TEST(SettingsTest, LoadSetsTheSettingsWithTheirClicks) {
  struct Case {
    const char* file;  // nullptr: no settings file
    bool re_pos, on_startup, yes, no;
    const char* edit1;
    bool startup_clicked, no_clicked;
  };
  const Case cases[] = {
      {nullptr, true, false, true, false, "5", false, false},
      {"[general]\nremember_pos=0\nrun_on_startup=1\n", false, true, true,
       false, "5", true, false},
      {"[updating]\nNoUpdate=1\nYesUpdate=0\n", true, false, false, true, "5",
       false, true},
      {"[updating]\nYesUpdate=1\nNoUpdate=1\n", true, false, false, true, "5",
       false, true},
      {"[updating]\nYesUpdate=0\nNoUpdate=0\n", true, false, false, false, "5",
       false, false},
      {"[updating]\nact_time=0x1E\n", true, false, true, false, "30", false,
       false},
      {"[updating]\nact_time=abc\n", true, false, true, false, "5", false,
       false},
  };
  for (const Case& c : cases) {
    TempDir dir;
    if (c.file) WriteFileBytes(SettingsFilePath(dir.path()), c.file);
    const SettingsLoad load =
        LoadSettings(IniFile(SettingsFilePath(dir.path())));
    EXPECT_EQ(load.settings.remember_position, c.re_pos) << c.file;
    EXPECT_EQ(load.settings.run_on_startup, c.on_startup) << c.file;
    EXPECT_EQ(load.settings.update_yes, c.yes) << c.file;
    EXPECT_EQ(load.settings.update_no, c.no) << c.file;
    EXPECT_EQ(load.settings.notification_seconds, c.edit1) << c.file;
    EXPECT_EQ(load.startup_entry_again, c.startup_clicked) << c.file;
    EXPECT_EQ(load.updating_switched_off, c.no_clicked) << c.file;
  }
}

TEST(SettingsTest, OkWritesSevenKeysInOrder) {
  TempDir dir;
  IniFile ini(SettingsFilePath(dir.path()));
  Settings settings;
  settings.notification_seconds = " $10";
  SaveSettings(ini, settings, -4, 300);
  EXPECT_EQ(ReadFileBytes(ini.path()),
            "[general]\r\nremember_pos=1\r\nleft=-4\r\ntop=300\r\n"
            "run_on_startup=0\r\n[updating]\r\nYesUpdate=1\r\nNoUpdate=0\r\n"
            "act_time=16\r\n");
}

TEST(SettingsTest, TheReadingSwitchesAreWrittenOnceTheyHaveBeenOn) {
  TempDir dir;
  IniFile ini(SettingsFilePath(dir.path()));
  Settings settings;
  settings.only_new = true;
  SaveSettings(ini, settings, 0, 0);
  EXPECT_TRUE(LoadSettings(ini).settings.only_new);
  EXPECT_FALSE(LoadSettings(ini).settings.remember_reading);
  settings.only_new = false;
  settings.remember_reading = true;
  SaveSettings(ini, settings, 0, 0);
  EXPECT_EQ(ReadFileBytes(ini.path()),
            "[general]\r\nremember_pos=1\r\nleft=0\r\ntop=0\r\n"
            "run_on_startup=0\r\n[updating]\r\nYesUpdate=1\r\nNoUpdate=0\r\n"
            "act_time=5\r\nonly_new=0\r\n[reading]\r\nremember=1\r\n");
  EXPECT_TRUE(LoadSettings(ini).settings.remember_reading);
}

TEST(SettingsTest, OkWithANonNumberWritesTheSixOthers) {
  TempDir dir;
  IniFile ini(SettingsFilePath(dir.path()));
  WriteFileBytes(ini.path(), "[updating]\nact_time=7\n");
  Settings settings;
  settings.run_on_startup = true;
  settings.notification_seconds = "abc";
  try {
    SaveSettings(ini, settings, 1, 2);
    ADD_FAILURE() << "no failure";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
  }
  EXPECT_EQ(ReadFileBytes(ini.path()),
            "[updating]\nact_time=7\nYesUpdate=1\nNoUpdate=0\n[general]\n"
            "remember_pos=1\nleft=1\ntop=2\nrun_on_startup=1\n");
}

}  // namespace
}  // namespace rivolet
