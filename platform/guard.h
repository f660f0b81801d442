// The general error box and the guard every handler and timer tick runs
// inside, so that no error ever reaches Qt's event loop.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace rivolet {

inline constexpr char kProgramCaption[] = "Rivolet";

// Shows `message` in an error box captioned "Rivolet", with a full stop added
// when the last character's code is above that of the full stop.
void GeneralErrorBox(const std::string& message);

// The text GeneralErrorBox shows for `message`.
std::string ErrorBoxText(const std::string& message);

// Runs `action`; an error that escapes it goes to the general error box.
// Returns false when the action failed.
template <typename Action>
bool Guarded(Action&& action) {
  try {
    std::forward<Action>(action)();
    return true;
  } catch (const std::exception& e) {
    GeneralErrorBox(e.what());
  } catch (...) {
    GeneralErrorBox("Unknown error");
  }
  return false;
}

}  // namespace rivolet
