// Settings keys, their defaults and order, the load's click rules, and the
// rule that brings a remembered window back within reach.
#include "settings/options.h"

#include <algorithm>
#include <cstdint>
#include <limits>

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

MainWindowPlacement ReadMainWindowPlacement(const IniFile& settings) {
  MainWindowPlacement placement;
  if (!settings.ReadBool(kGeneral, kRememberPos, false)) return placement;
  placement.remembered = true;
  placement.left = settings.ReadInteger(kGeneral, kLeft, 0);
  placement.top = settings.ReadInteger(kGeneral, kTop, 0);
  return placement;
}

void WriteMainWindowState(IniFile& settings, bool remember_pos, int left,
                          int top) {
  settings.WriteBool(kGeneral, kRememberPos, remember_pos);
  settings.WriteInteger(kGeneral, kLeft, left);
  settings.WriteInteger(kGeneral, kTop, top);
}

OptionsLoad LoadOptions(const IniFile& settings) {
  OptionsLoad load;
  OptionsControls& c = load.controls;
  SetCheckBox(c.oRePosMS, settings.ReadBool(kGeneral, kRememberPos, true));
  load.oOnStartupClicked = SetCheckBox(
      c.oOnStartup, settings.ReadBool(kGeneral, kRunOnStartup, false));
  // "Yes" starts checked, so loading can never click it.
  SetRadioButton(c.yesUpdate, c.noUpdate,
                 settings.ReadBool(kUpdating, kYesUpdate, true));
  load.noUpdateClicked = SetRadioButton(
      c.noUpdate, c.yesUpdate, settings.ReadBool(kUpdating, kNoUpdate, false));
  c.Edit1 = std::to_string(settings.ReadInteger(kUpdating, kActTime, 5));
  return load;
}

void SaveOptions(IniFile& settings, const OptionsControls& controls,
                 int main_left, int main_top) {
  WriteMainWindowState(settings, controls.oRePosMS, main_left, main_top);
  settings.WriteBool(kGeneral, kRunOnStartup, controls.oOnStartup);
  settings.WriteBool(kUpdating, kYesUpdate, controls.yesUpdate);
  settings.WriteBool(kUpdating, kNoUpdate, controls.noUpdate);
  settings.WriteInteger(kUpdating, kActTime, StrToInt(controls.Edit1));
}

}  // namespace rivolet
