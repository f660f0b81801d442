// Keys as the program's rules know them: the virtual-key codes of a Windows
// keyboard (digits 48 to 57, letters 65 to 90, keypad digits 96 to 105, ...),
// and an edit field that reports every key released in it with that code.
#pragma once

#include <QLineEdit>

class QKeyEvent;

namespace rivolet {

// The virtual-key code of the key an event is about; 0 for a key that has
// none. A key is named by its place on the keyboard, so Shift+1 is still the
// "1" key (49), and a keypad digit is told from a main-keyboard one.
int VirtualKeyCode(const QKeyEvent& event);

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
