// Modal dialogs and message boxes under a window manager that offers to
// minimise every window, whatever the window asks.
#pragma once

#include <functional>

class QObject;

namespace rivolet {

// A modal dialog or message box asks the window manager for a close box only,
// but some (openbox among them) offer minimising all the same. Minimised on
// its own, it would leave the program blocked behind a window nobody sees:
// from this call on, such a window comes straight back. Minimised with its
// owner, it stays with it.
void KeepModalWindowsFromMinimising();

// Runs `action` once no modal dialog or message box is open: at once when
// none is, otherwise as soon as the last one has closed, so that nothing
// pops up over a dialog the user is working in. Nothing runs when
// `context` is gone by then.
void WhenNoModalWindow(QObject* context, std::function<void()> action);

}  // namespace rivolet
