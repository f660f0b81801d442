// Settings keys, their defaults and order, and the load's click rules.
#include "settings/settings.h"

#include "common/text.h"

namespace rivolet {
namespace {

constexpr char kGeneral[] = "general";
constexpr char kRememberPos[] = "remember_pos";
constexpr char kLeft[] = "left";
constexpr char kTop[] = "top";
constexpr char kRunOnStartup[] = "run_on_startup";
constexpr char kUpdating[] = "updating";
constexpr char kYesUpdate[] = "YesUpdate";
constexpr char kNoUpdate[] = "NoUpdate";
constexpr char kActTime[] = "act_time";
constexpr char kOnlyNew[] = "only_new";
constexpr char kReading[] = "reading";
constexpr char kRemember[] = "remember";

// A switch that is off by default is written once it has been on.
void WriteSwitch(IniFile& file, std::string_view section, std::string_view key,
                 bool on) {
  if (on || file.ReadString(section, key)) file.WriteBool(section, key, on);
}

// Returns whether the change counts as a click.
bool SetCheckBox(bool& box, bool checked) {
  const bool changed = box != checked;
  box = checked;
  return changed;
}

bool SetRadioButton(bool& button, bool& partner, bool checked) {
  const bool clicked = checked && !button;
  button = checked;
  if (checked) partner = false;
  return clicked;
}

}  // namespace

std::filesystem::path SettingsFilePath(
    const std::filesystem::path& program_folder) {
  return program_folder / kSettingsFileName;
}

SettingsLoad LoadSettings(const IniFile& file) {
  SettingsLoad load;
  Settings& s = load.settings;
  SetCheckBox(s.remember_position, file.ReadBool(kGeneral, kRememberPos, true));
  load.startup_entry_again = SetCheckBox(
      s.run_on_startup, file.ReadBool(kGeneral, kRunOnStartup, false));
  // "Yes" starts checked, so loading can never click it.
  SetRadioButton(s.update_yes, s.update_no,
                 file.ReadBool(kUpdating, kYesUpdate, true));
  load.updating_switched_off = SetRadioButton(
      s.update_no, s.update_yes, file.ReadBool(kUpdating, kNoUpdate, false));
  s.notification_seconds =
      std::to_string(file.ReadInteger(kUpdating, kActTime, 5));
  s.remember_reading = file.ReadBool(kReading, kRemember, false);
  s.only_new = file.ReadBool(kUpdating, kOnlyNew, false);
  return load;
}

void SaveSettings(IniFile& file, const Settings& settings, int main_left,
                  int main_top) {
  WriteMainWindowState(file, settings.remember_position, main_left, main_top);
  file.WriteBool(kGeneral, kRunOnStartup, settings.run_on_startup);
  file.WriteBool(kUpdating, kYesUpdate, settings.update_yes);
  file.WriteBool(kUpdating, kNoUpdate, settings.update_no);
  file.WriteInteger(kUpdating, kActTime,
                    StrToInt(settings.notification_seconds));
  WriteSwitch(file, kUpdating, kOnlyNew, settings.only_new);
  WriteSwitch(file, kReading, kRemember, settings.remember_reading);
}

MainWindowPlacement ReadMainWindowPlacement(const IniFile& file) {
  MainWindowPlacement placement;
  if (!file.ReadBool(kGeneral, kRememberPos, false)) return placement;
  placement.remembered = true;
  placement.left = file.ReadInteger(kGeneral, kLeft, 0);
  placement.top = file.ReadInteger(kGeneral, kTop, 0);
  return placement;
}

void WriteMainWindowState(IniFile& file, bool remember_pos, int left, int top) {
  file.WriteBool(kGeneral, kRememberPos, remember_pos);
  file.WriteInteger(kGeneral, kLeft, left);
  file.WriteInteger(kGeneral, kTop, top);
}

}  // namespace rivolet
