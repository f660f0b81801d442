// The program's settings in rivolet.ini: the main window's remembered
// position and the Options dialog's load and save.
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

}  // namespace rivolet
