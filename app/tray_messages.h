// The mouse on the notification-area icon: which mouse messages the icon's
// settings "restore on" and "menu on" select.
#pragma once

namespace rivolet {

// The mouse action that restores the program or opens the icon's menu.
enum class TTrayIconMessage {
  imClick,             // a release of any button
  imDoubleClick,       // a double click of any button
  imMouseDown,         // a press of any button
  imMouseUp,           // a release of any button
  imLeftClickUp,       // the left button released
  imLeftDoubleClick,   // a double click of the left button
  imRightClickUp,      // the right button released
  imRightDoubleClick,  // a double click of the right button
  imNone,              // never
};

// What the icon reports of the mouse.
enum class TrayMouseMessage {
  kMove,
  kLeftDown,
  kLeftUp,
  kLeftDoubleClick,
  kRightDown,
  kRightUp,
  kRightDoubleClick,
  kMiddleDown,
  kMiddleUp,
  kMiddleDoubleClick,
};

// True when `message` is the action `on` selects.
bool TrayMessageSelects(TTrayIconMessage on, TrayMouseMessage message);

}  // namespace rivolet
