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

namespace {

struct Span {
  std::int64_t begin;
  std::int64_t size;
  std::int64_t end() const { return begin + size; }
};

std::int64_t Overlap(Span a, Span b) {
  return std::max<std::int64_t>(
      0, std::min(a.end(), b.end()) - std::max(a.begin, b.begin));
}

// The start nearest to `at` that puts `size` inside `room`; the room's start
// when it is too small.
std::int64_t Fit(std::int64_t at, std::int64_t size, Span room) {
  if (size >= room.size) return room.begin;
  return std::clamp(at, room.begin, room.end() - size);
}

}  // namespace

PixelPoint KeepOnScreen(const PixelRect& window,
                        const std::vector<PixelScreen>& screens) {
  const std::int64_t width = std::max(window.width, 0);
  const std::int64_t height = std::max(window.height, 0);
  const std::int64_t strip_height = std::max<std::int64_t>(
      1, std::min<std::int64_t>(height, kTitleBarHeight));
  const std::int64_t grab_width = std::max<std::int64_t>(
      1, std::min<std::int64_t>(width, kTitleBarGrabWidth));
  const Span across{window.left, width};
  const Span strip{window.top, strip_height};
  for (const PixelScreen& each : screens) {
    const PixelRect& screen = each.geometry;
    const Span screen_across{screen.left, std::max(screen.width, 0)};
    const Span screen_down{screen.top, std::max(screen.height, 0)};
    if (Overlap(across, screen_across) >= grab_width &&
        Overlap(strip, screen_down) == strip_height) {
      return {window.left, window.top};
    }
  }
  PixelPoint best{window.left, window.top};
  double best_distance = std::numeric_limits<double>::infinity();
  for (const PixelScreen& each : screens) {
    const PixelRect& screen = each.work_area;
    const std::int64_t left =
        Fit(window.left, width, {screen.left, std::max(screen.width, 0)});
    const std::int64_t top =
        Fit(window.top, height, {screen.top, std::max(screen.height, 0)});
    const double dx = static_cast<double>(left - window.left);
    const double dy = static_cast<double>(top - window.top);
    const double distance = dx * dx + dy * dy;
    if (distance < best_distance) {
      best_distance = distance;
      best = {static_cast<int>(left), static_cast<int>(top)};
    }
  }
  return best;
}

}  // namespace rivolet
