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

TEST(OptionsTest, KeepOnScreen) {
  const PixelRect first = {0, 0, 1920, 1080}, second = {1920, 0, 1280, 1024};
  const std::vector<PixelScreen> two_screens = {{first, first},
                                                {second, second}};
  const std::vector<PixelScreen> panels = {{first, {0, 24, 1920, 1016}}};
  struct Case {
    const char* name;
    PixelRect window;
    std::vector<PixelScreen> screens;
    PixelPoint expected;
  };
  const std::vector<Case> cases = {
      {"inside", {100, 100, 600, 400}, two_screens, {100, 100}},
      {"mostly off the right edge, title bar grabbable",
       {3150, 900, 600, 400},
       two_screens,
       {3150, 900}},
      {"across two screens", {1800, 50, 600, 400}, two_screens, {1800, 50}},
      {"title bar above the screen",
       {100, -10, 600, 400},
       two_screens,
       {100, 0}},
      {"too little of the title bar",
       {3170, 100, 600, 400},
       two_screens,
       {2600, 100}},
      {"below the second screen, nearest is the second",
       {2000, 1050, 600, 400},
       two_screens,
       {2000, 624}},
      {"far off, left of everything",
       {-5000, 200, 600, 400},
       two_screens,
       {0, 200}},
      {"larger than the screen", {-50, -50, 2500, 1200}, two_screens, {0, 0}},
      {"screen lost since",
       {3000, 100, 600, 400},
       {{first, first}},
       {1320, 100}},
      {"at the corner, under a panel", {0, 0, 600, 400}, panels, {0, 0}},
      {"below the screen, back above the bottom panel",
       {100, 1200, 600, 400},
       panels,
       {100, 640}},
      {"no screens known", {-9000, -9000, 600, 400}, {}, {-9000, -9000}},
  };
  for (const Case& c : cases) {
    const PixelPoint at = KeepOnScreen(c.window, c.screens);
    EXPECT_EQ(at.left, c.expected.left) << c.name;
    EXPECT_EQ(at.top, c.expected.top) << c.name;
  }
}

}  // namespace
}  // namespace rivolet
