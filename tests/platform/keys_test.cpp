// Qt key events as the virtual-key codes the period fields' rule reads.
#include "platform/keys.h"

#include <gtest/gtest.h>

#include <QKeyEvent>

namespace rivolet {
namespace {

TEST(VirtualKeyCode, NamesTheKeyNotTheCharacter) {
  struct Case {
    int key;
    Qt::KeyboardModifiers modifiers;
    int code;
  } cases[] = {
      {Qt::Key_0, Qt::NoModifier, 48},
      {Qt::Key_9, Qt::ShiftModifier, 57},
      {Qt::Key_Exclam, Qt::ShiftModifier, 49},  // Shift+1 is still "1"
      {Qt::Key_0, Qt::KeypadModifier, 96},
      {Qt::Key_9, Qt::KeypadModifier, 105},
      {Qt::Key_Minus, Qt::KeypadModifier, 109},
      {Qt::Key_Minus, Qt::NoModifier, 189},
      {Qt::Key_Up, Qt::KeypadModifier, 38},  // keypad without Num Lock
      {Qt::Key_Backspace, Qt::NoModifier, 8},
      {Qt::Key_Tab, Qt::NoModifier, 9},
      {Qt::Key_Backtab, Qt::ShiftModifier, 9},
      {Qt::Key_Shift, Qt::ShiftModifier, 16},
      {Qt::Key_Control, Qt::NoModifier, 17},
      {Qt::Key_Alt, Qt::NoModifier, 18},
      {Qt::Key_Delete, Qt::NoModifier, 46},
      {Qt::Key_V, Qt::ControlModifier, 86},
      {Qt::Key_F12, Qt::NoModifier, 123},
      {Qt::Key_VolumeUp, Qt::NoModifier, 0},  // a key with no code
  };
  for (const Case& c : cases) {
    const QKeyEvent event(QEvent::KeyRelease, c.key, c.modifiers);
    EXPECT_EQ(VirtualKeyCode(event), c.code) << std::hex << c.key;
  }
}

TEST(VirtualKeyCode, UnderX11TheMainRowIsToldByPlace) {
  struct Case {
    const char* what;
    int key;
    Qt::KeyboardModifiers modifiers;
    quint32 keycode;
    ScanCodes scan_codes;
    int code;
  } cases[] = {
      {"French 1 (&)", Qt::Key_Ampersand, Qt::NoModifier, 10, ScanCodes::kX11,
       49},
      {"French 2", Qt::Key_Eacute, Qt::NoModifier, 11, ScanCodes::kX11, 50},
      {"French 0", Qt::Key_Agrave, Qt::NoModifier, 19, ScanCodes::kX11, 48},
      {"German Shift+3", Qt::Key_section, Qt::ShiftModifier, 12,
       ScanCodes::kX11, 51},
      {"German Shift+0 (=)", Qt::Key_Equal, Qt::ShiftModifier, 19,
       ScanCodes::kX11, 48},
      {"French ! key", Qt::Key_Exclam, Qt::NoModifier, 61, ScanCodes::kX11, 0},
      {"keypad 5", Qt::Key_5, Qt::KeypadModifier, 84, ScanCodes::kX11, 101},
      {"Backspace", Qt::Key_Backspace, Qt::NoModifier, 22, ScanCodes::kX11, 8},
      {"a made-up event", Qt::Key_5, Qt::NoModifier, 0, ScanCodes::kX11, 53},
      {"elsewhere", Qt::Key_Eacute, Qt::NoModifier, 11, ScanCodes::kNone, 0},
  };
  for (const Case& c : cases) {
    const QKeyEvent event(QEvent::KeyRelease, c.key, c.modifiers, c.keycode, 0,
                          0);
    EXPECT_EQ(VirtualKeyCode(event, c.scan_codes), c.code) << c.what;
  }
}

}  // namespace
}  // namespace rivolet
