// Tests of the settings rules: the main window's remembered position, the
// Options dialog's load and its click effects, OK's write order and failure,
// and bringing a lost window back onto a screen.
#include "settings/options.h"

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

TEST(OptionsTest, MainWindowPlacement) {
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

TEST(OptionsTest, LoadSetsControlsWithTheirClicks) {
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
    const OptionsLoad load = LoadOptions(IniFile(SettingsFilePath(dir.path())));
    EXPECT_EQ(load.controls.oRePosMS, c.re_pos) << c.file;
    EXPECT_EQ(load.controls.oOnStartup, c.on_startup) << c.file;
    EXPECT_EQ(load.controls.yesUpdate, c.yes) << c.file;
    EXPECT_EQ(load.controls.noUpdate, c.no) << c.file;
    EXPECT_EQ(load.controls.Edit1, c.edit1) << c.file;
    EXPECT_EQ(load.oOnStartupClicked, c.startup_clicked) << c.file;
    EXPECT_EQ(load.noUpdateClicked, c.no_clicked) << c.file;
  }
}

TEST(OptionsTest, OkWritesSevenKeysInOrder) {
  TempDir dir;
  IniFile ini(SettingsFilePath(dir.path()));
  OptionsControls controls;
  controls.Edit1 = " $10";
  SaveOptions(ini, controls, -4, 300);
  EXPECT_EQ(ReadFileBytes(ini.path()),
            "[general]\r\nremember_pos=1\r\nleft=-4\r\ntop=300\r\n"
            "run_on_startup=0\r\n[updating]\r\nYesUpdate=1\r\nNoUpdate=0\r\n"
            "act_time=16\r\n");
}

TEST(OptionsTest, OkWithANonNumberWritesTheSixOthers) {
  TempDir dir;
  IniFile ini(SettingsFilePath(dir.path()));
  WriteFileBytes(ini.path(), "[updating]\nact_time=7\n");
  OptionsControls controls;
  controls.oOnStartup = true;
  controls.Edit1 = "abc";
  try {
    SaveOptions(ini, controls, 1, 2);
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
