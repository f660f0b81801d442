// Modal dialogs and message boxes under a window manager that offers to
// minimise every window, whatever the window asks.
#pragma once

namespace rivolet {

// A modal dialog or message box asks the window manager for a close box only,
// but some (openbox among them) offer minimising all the same. Minimised on
// its own, it would leave the program blocked behind a window nobody sees:
// from this call on, such a window comes straight back. Minimised with its
// owner, it stays with it.
void KeepModalWindowsFromMinimising();

}  // namespace rivolet
