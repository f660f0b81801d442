// Keys as the program's rules know them: the virtual-key codes of a Windows
// keyboard (digits 48 to 57, letters 65 to 90, keypad digits 96 to 105, ...),
// and an edit field that reports every key released in it with that code.
#pragma once

#include <QLineEdit>

class QKeyEvent;

namespace rivolet {

// Where a key event's native scan code comes from.
enum class ScanCodes {
  kNone,  // no meaning known: keys are told by the character they type
  kX11,   // an X11 keycode, which names the key's place on the keyboard
};

// What the platform the program runs on gives as scan codes.
ScanCodes PlatformScanCodes();

// The virtual-key code of the key an event is about; 0 for a key that has
// none. A key is named by its place on the keyboard, so Shift+1 is still the
// "1" key (49), and a keypad digit is told from a main-keyboard one. With X11
// keycodes the keys of the main row of digits are told by their place, not
// by what the layout makes them type (a French "1" key types "&"), and no
// other key is taken for one of them.
int VirtualKeyCode(const QKeyEvent& event,
                   ScanCodes scan_codes = PlatformScanCodes());

// An edit field that tells, on each release of a key while it has the focus,
// which key it was. Auto-repeat produces no release of its own.
class KeyUpEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit KeyUpEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}

 signals:
  void keyUp(int virtual_key);

 protected:
  void keyReleaseEvent(QKeyEvent* event) override;
};

}  // namespace rivolet
