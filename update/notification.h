// The notification window's rules that need no window: how long it stays on
// screen.
#pragma once

#include <string_view>

namespace rivolet {

// The auto-close timer's interval for the seconds text of the Options
// dialog: the whole number times 1000 milliseconds, capped to what a timer
// holds; 0 for a number of 0 or less, which leaves the window up until the
// user closes it. Throws Error "'%s' is not a valid integer value" for a text
// that is not a whole number.
int NotificationCloseInterval(std::string_view seconds_text);

}  // namespace rivolet
