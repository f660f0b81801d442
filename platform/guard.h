// The general error box and the guard every handler and timer tick runs
// inside, so that no error ever reaches Qt's event loop; and the program-wide
// state of being ended.
#pragma once

#include <exception>
#include <string>
#include <utility>

#include "common/error.h"

namespace rivolet {

inline constexpr char kProgramCaption[] = "Rivolet";

// An action given up because the program is closing (a download abandoned by
// a close request or a termination signal). Nothing is reported for it.
class ActionAbandoned : public Error {
 public:
  ActionAbandoned() : Error("The action was given up") {}
};

// The program has been asked to end by a termination signal: from then on no
// message box is shown, so nothing can keep the process alive.
void BeginShutdown();
bool ShutdownRequested();

// Shows `message` in an error box captioned "Rivolet", with a full stop added
// when the last character's code is above that of the full stop. Nothing is
// shown once the program is being ended.
void GeneralErrorBox(const std::string& message);

// The text GeneralErrorBox shows for `message`.
std::string ErrorBoxText(const std::string& message);

// The general error box for errors that come back on their own (a feed that
// fails every minute): one box at a time, and while it is open further
// errors of the same source are not shown, so boxes never pile up.
class OneErrorBox {
 public:
  void Show(const std::string& message);
  bool open() const { return open_; }

 private:
  bool open_ = false;
};

// Runs `action`; an error that escapes it goes to the general error box, or
// to `box` when one is given. Returns false when the action failed or was
// given up.
template <typename Action>
bool Guarded(Action&& action, OneErrorBox* box = nullptr) {
  const auto report = [box](const std::string& message) {
    if (box) {
      box->Show(message);
    } else {
      GeneralErrorBox(message);
    }
  };
  try {
    std::forward<Action>(action)();
    return true;
  } catch (const ActionAbandoned&) {
  } catch (const std::exception& e) {
    report(e.what());
  } catch (...) {
    report("Unknown error");
  }
  return false;
}

}  // namespace rivolet
