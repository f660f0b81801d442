// The program's settings in rivolet.ini: the main window's remembered
// position, the Options dialog's load and save, and keeping a remembered
// position reachable on the screens of the day.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "settings/ini_file.h"

namespace rivolet {

inline constexpr char kSettingsFileName[] = "rivolet.ini";

// rivolet.ini in the program's folder.
std::filesystem::path SettingsFilePath(
    const std::filesystem::path& program_folder);

// Where the main window goes when it is created.
struct MainWindowPlacement {
  bool remembered = false;  // false: keep the window centred on the desktop
  int left = 0;
  int top = 0;
};

// Reads "remember_pos" (default false) and, when set, "left" then "top"
// (default 0 each) from "general".
MainWindowPlacement ReadMainWindowPlacement(const IniFile& settings);

// At the main window's close: "remember_pos", "left", "top" in "general", in
// that order, the position whatever `remember_pos` says. A failing write stops
// there with "Unable to write to <path>".
void WriteMainWindowState(IniFile& settings, bool remember_pos, int left,
                          int top);

// The settings as the Options dialog's controls hold them. The defaults are
// the states the dialog's components start with before anything is loaded.
struct OptionsControls {
  bool oRePosMS = true;
  bool oOnStartup = false;
  bool yesUpdate = true;
  bool noUpdate = false;
  std::string Edit1 = "10";
};

// The outcome of loading the file into the dialog's controls. Setting a check
// box clicks it when its state changes; setting a radio button clicks it only
// when it becomes checked, which also unchecks its partner.
struct OptionsLoad {
  OptionsControls controls;
  // oOnStartupClick ran: the start-up entry must be written (or removed)
  // again for the loaded state.
  bool oOnStartupClicked = false;
  // noUpdateClick ran: Edit1 and the sound controls start disabled.
  bool noUpdateClicked = false;
};

// Loads "remember_pos" (default true), "run_on_startup" (false), "YesUpdate"
// (true), "NoUpdate" (false) and "act_time" (5, shown in decimal), in that
// order, into controls in their starting states.
OptionsLoad LoadOptions(const IniFile& settings);

// The OK button: writes "remember_pos", "left", "top", "run_on_startup" in
// "general", then "YesUpdate", "NoUpdate" and "act_time" in "updating", each
// at once. "act_time" is StrToInt of Edit1: when that is not a whole number
// the six values before it stay written and it fails with "'<text>' is not a
// valid integer value". A failing write stops there with "Unable to write to
// <path>".
void SaveOptions(IniFile& settings, const OptionsControls& controls,
                 int main_left, int main_top);

// Screen geometry in pixels.
struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct PixelPoint {
  int left = 0;
  int top = 0;
};

// A window can be grabbed when a strip along its top edge, as tall as a title
// bar and at least this wide, lies on one screen (smaller windows: all of it).
inline constexpr int kTitleBarHeight = 24;
inline constexpr int kTitleBarGrabWidth = 48;

// One screen: the whole of it, and the part its panels leave free.
struct PixelScreen {
  PixelRect geometry;
  PixelRect work_area;
};

// The top-left corner for `window`, remembered at window.left/top. A window
// that can be grabbed on a screen stays exactly where it was, also where a
// panel covers it (the panel is part of the screen, and (0, 0) under a top
// panel is a place the user can have chosen). Otherwise it moves the shortest
// distance that puts it whole in one screen's work area (its top-left corner
// there when it is larger). Without screens nothing moves.
PixelPoint KeepOnScreen(const PixelRect& window,
                        const std::vector<PixelScreen>& screens);

}  // namespace rivolet
