// Qt key events as the virtual-key codes the period fields' rule reads.
#include "widgets/keys.h"

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
  // Qt's key, X11 keycode, code: French 1 (&), 2 (e acute) and 0 (a grave),
  // German Shift+0 (=), the French "!" key, a made-up event without keycode.
  const int cases[][3] = {{Qt::Key_Ampersand, 10, 49}, {Qt::Key_Eacute, 11, 50},
                          {Qt::Key_Agrave, 19, 48},    {Qt::Key_Equal, 19, 48},
                          {Qt::Key_Exclam, 61, 0},     {Qt::Key_5, 0, 53}};
  for (const auto& [key, keycode, code] : cases) {
    const QKeyEvent event(QEvent::KeyRelease, key, {}, keycode, 0, 0);
    EXPECT_EQ(VirtualKeyCode(event, ScanCodes::kX11), code) << keycode;
  }
  const QKeyEvent french_2(QEvent::KeyRelease, Qt::Key_Eacute, {}, 11, 0, 0);
  EXPECT_EQ(VirtualKeyCode(french_2, ScanCodes::kNone), 0);  // not by place
}

}  // namespace
}  // namespace rivolet
