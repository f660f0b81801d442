// The program's settings: one plain object, loaded from rivolet.ini once at
// start, edited by the Options dialog and written back by its OK; the main
// window's remembered position, which the main window reads and writes
// itself at creation and close.
#pragma once

#include <filesystem>
#include <string>

#include "settings/ini_file.h"

namespace rivolet {

inline constexpr char kSettingsFileName[] = "rivolet.ini";

// rivolet.ini in the program's folder.
std::filesystem::path SettingsFilePath(
    const std::filesystem::path& program_folder);

// The settings in force. The defaults are the Options dialog's starting
// states, before anything is loaded.
struct Settings {
  bool remember_position = true;  // "general" / "remember_pos"
  bool run_on_startup = false;    // "general" / "run_on_startup"
  // "updating" / "YesUpdate" and "NoUpdate": a radio pair that can also be
  // loaded with neither on (updating is off then).
  bool update_yes = true;
  bool update_no = false;
  // "updating" / "act_time" as the dialog's field shows it; a text that is
  // not a whole number is refused at OK and when the notification window
  // comes up.
  std::string notification_seconds = "5";
  // "reading" / "remember": read marks last, in reading.db.
  bool remember_reading = false;
  // "updating" / "only_new": the notification window lists new items only.
  bool only_new = false;

  bool UpdatingOn() const { return update_yes; }

  friend bool operator==(const Settings&, const Settings&) = default;
};

// The outcome of loading: the settings, and what the load does beside
// setting them. Loading a check box that changes its state clicks it; a
// radio button is clicked only when it becomes checked, which also unchecks
// its partner.
struct SettingsLoad {
  Settings settings;
  // "run_on_startup" turned the box on: the start-up entry must be written
  // again for this executable.
  bool startup_entry_again = false;
  // "NoUpdate" turned "No" on: the controls that follow the update switch
  // start disabled.
  bool updating_switched_off = false;
};

// Loads "remember_pos" (default true), "run_on_startup" (false), "YesUpdate"
// (true), "NoUpdate" (false) and "act_time" (5, shown in decimal), in that
// order, then "remember" (false) and "only_new" (false).
SettingsLoad LoadSettings(const IniFile& file);

// The Options dialog's OK: writes "remember_pos", "left", "top",
// "run_on_startup" in "general", then "YesUpdate", "NoUpdate" and
// "act_time" in "updating", each at once. "act_time" is StrToInt of the
// seconds text: when that is not a whole number the six values before it
// stay written and it fails with "'<text>' is not a valid integer value". A
// failing write stops there with "Unable to write to <path>". Then
// "only_new" and "remember", each only when it is on or already in the
// file, so that a file that never had them keeps its lines as they were.
void SaveSettings(IniFile& file, const Settings& settings, int main_left,
                  int main_top);

// Where the main window goes when it is created.
struct MainWindowPlacement {
  bool remembered = false;  // false: keep the window centred on the desktop
  int left = 0;
  int top = 0;
};

// Reads "remember_pos" (default false) and, when set, "left" then "top"
// (default 0 each) from "general".
MainWindowPlacement ReadMainWindowPlacement(const IniFile& file);

// At the main window's close: "remember_pos", "left", "top" in "general", in
// that order, the position whatever `remember_pos` says. A failing write stops
// there with "Unable to write to <path>".
void WriteMainWindowState(IniFile& file, bool remember_pos, int left, int top);

}  // namespace rivolet
