// Qt's key events as virtual-key codes.
#include "widgets/keys.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <utility>

namespace rivolet {
namespace {

// Keys whose code does not follow from a range. Symbols name the key that
// types them on a US keyboard, shifted or not.
constexpr std::pair<int, int> kNamedKeys[] = {
    {Qt::Key_Backspace, 8},    {Qt::Key_Tab, 9},
    {Qt::Key_Backtab, 9},      {Qt::Key_Clear, 12},
    {Qt::Key_Return, 13},      {Qt::Key_Enter, 13},
    {Qt::Key_Shift, 16},       {Qt::Key_Control, 17},
    {Qt::Key_Alt, 18},         {Qt::Key_AltGr, 18},
    {Qt::Key_Pause, 19},       {Qt::Key_CapsLock, 20},
    {Qt::Key_Escape, 27},      {Qt::Key_Space, 32},
    {Qt::Key_PageUp, 33},      {Qt::Key_PageDown, 34},
    {Qt::Key_End, 35},         {Qt::Key_Home, 36},
    {Qt::Key_Left, 37},        {Qt::Key_Up, 38},
    {Qt::Key_Right, 39},       {Qt::Key_Down, 40},
    {Qt::Key_Print, 44},       {Qt::Key_Insert, 45},
    {Qt::Key_Delete, 46},      {Qt::Key_Meta, 91},
    {Qt::Key_Menu, 93},        {Qt::Key_NumLock, 144},
    {Qt::Key_ScrollLock, 145}, {Qt::Key_ParenRight, '0'},
    {Qt::Key_Exclam, '1'},     {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'}, {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},    {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},  {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},  {Qt::Key_Semicolon, 186},
    {Qt::Key_Colon, 186},      {Qt::Key_Equal, 187},
    {Qt::Key_Plus, 187},       {Qt::Key_Comma, 188},
    {Qt::Key_Less, 188},       {Qt::Key_Minus, 189},
    {Qt::Key_Underscore, 189}, {Qt::Key_Period, 190},
    {Qt::Key_Greater, 190},    {Qt::Key_Slash, 191},
    {Qt::Key_Question, 191},   {Qt::Key_QuoteLeft, 192},
    {Qt::Key_AsciiTilde, 192}, {Qt::Key_BracketLeft, 219},
    {Qt::Key_BraceLeft, 219},  {Qt::Key_Backslash, 220},
    {Qt::Key_Bar, 220},        {Qt::Key_BracketRight, 221},
    {Qt::Key_BraceRight, 221}, {Qt::Key_Apostrophe, 222},
    {Qt::Key_QuoteDbl, 222},
};

// The keypad's own keys; -1 for a key it shares with the rest of the
// keyboard (arrows, Enter, ...).
int KeypadCode(int key) {
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return 96 + (key - Qt::Key_0);
  switch (key) {
    case Qt::Key_Asterisk:
      return 106;
    case Qt::Key_Plus:
      return 107;
    case Qt::Key_Minus:
      return 109;
    case Qt::Key_Period:
    case Qt::Key_Comma:
      return 110;
    case Qt::Key_Slash:
      return 111;
    default:
      return -1;
  }
}

// The code of a key by what Qt makes of it, which follows the layout.
int CodeOfQtKey(const QKeyEvent& event) {
  const int key = event.key();
  if (event.modifiers() & Qt::KeypadModifier) {
    const int code = KeypadCode(key);
    if (code >= 0) return code;
  }
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
  for (const auto& [qt_key, code] : kNamedKeys) {
    if (qt_key == key) return code;
  }
  return 0;
}

// The X11 keycodes of the main row's "1" to "9" and "0" keys follow each
// other from 10 (the kernel's key codes plus 8, under every layout).
constexpr unsigned kX11KeycodeOf1 = 10;
constexpr unsigned kX11KeycodeOf0 = 19;

bool IsDigitCode(int code) { return code >= '0' && code <= '9'; }

}  // namespace

ScanCodes PlatformScanCodes() {
  return QGuiApplication::platformName() == "xcb" ? ScanCodes::kX11
                                                  : ScanCodes::kNone;
}

int VirtualKeyCode(const QKeyEvent& event, ScanCodes scan_codes) {
  if (scan_codes == ScanCodes::kX11) {
    const unsigned keycode = event.nativeScanCode();
    if (keycode >= kX11KeycodeOf1 && keycode <= kX11KeycodeOf0) {
      return keycode == kX11KeycodeOf0
                 ? '0'
                 : '1' + static_cast<int>(keycode - kX11KeycodeOf1);
    }
  }
  const int code = CodeOfQtKey(event);
  // A digit typed elsewhere (a French "!" key, a layout with digits on
  // letters) is not a key of the main row.
  if (scan_codes == ScanCodes::kX11 && event.nativeScanCode() != 0 &&
      IsDigitCode(code)) {
    return 0;
  }
  return code;
}

void KeyUpEdit::keyReleaseEvent(QKeyEvent* event) {
  QLineEdit::keyReleaseEvent(event);
  if (!event->isAutoRepeat()) emit keyUp(VirtualKeyCode(*event));
}

}  // namespace rivolet
