// The shared opening and key handling of the modal dialogs.
#include "dialogs/modal_dialog.h"

#include <QKeyEvent>
#include <QShowEvent>
#include <utility>

#include "platform/guard.h"
#include "widgets/components.h"

namespace rivolet {

ModalDialog::ModalDialog(LanguageSource language,
                         const WindowLanguageKeys& keys, QWidget* parent)
    : QDialog(parent), language_(std::move(language)), keys_(keys) {}

void ModalDialog::ApplyLanguage() {
  ApplyDialogLanguage(LanguageTarget(), language_, keys_);
}

void ModalDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // A window coming back from the task bar is not a new opening.
  if (event->spontaneous()) return;
  CentreOnScreen(this, size());
  if (QWidget* first = OpeningFocus()) first->setFocus();
  // A failed show is reported and the dialog opens all the same.
  Guarded([this] { FormShow(); });
}

void ModalDialog::keyPressEvent(QKeyEvent* event) {
  // Only the close box and the dialog's own buttons close it.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->ignore();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace rivolet
