// The frame, the openings and the keys every dialog shares.
#include "dialogs/modal_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <utility>

#include "common/codepage.h"
#include "platform/desktop.h"
#include "platform/guard.h"
#include "platform/text_bridge.h"
#include "settings/language_file.h"
#include "widgets/artwork.h"
#include "widgets/components.h"

namespace rivolet {
namespace {

constexpr int kSidePictureWidth = 120;

}  // namespace

ModalDialog::ModalDialog(const DialogFrame& frame, LanguageStep language_step,
                         LanguageSource language,
                         const WindowLanguageKeys& keys, QWidget* parent)
    : QDialog(parent),
      language_step_(language_step),
      language_(std::move(language)),
      keys_(keys),
      escape_closes_(frame.escape_closes) {
  setObjectName(frame.name);
  setWindowTitle(frame.caption);
  // A close box only: a modal dialog minimised on its own would leave the
  // program blocked behind a window nobody sees.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFont(WindowFont(11));
  setFixedSize(frame.width, frame.height);
  if (frame.side_picture) {
    side_picture_ = new QLabel(this);
    side_picture_->setObjectName("picture");
    side_picture_->setGeometry(0, 0, kSidePictureWidth, frame.height);
    side_picture_->setPixmap(SidePicture(frame.height));
  }
}

void ModalDialog::ApplyLanguage() {
  ApplyDialogLanguage(LanguageTarget(), language_, keys_);
}

void ModalDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // A window coming back from the task bar is not a new opening.
  if (event->spontaneous()) return;
  CentreOnScreen(this, size());
  if (QWidget* first = OpeningFocus()) first->setFocus();
  // A failed opening is reported and the dialog opens all the same.
  Guarded([this] {
    if (language_step_ == LanguageStep::kFirst) ApplyLanguage();
    FormShow();
    if (language_step_ == LanguageStep::kLast) ApplyLanguage();
  });
  Opened();
}

bool KeepsLettersOrAgreed(const std::vector<const QLineEdit*>& edits,
                          const std::string& text, const std::string& store,
                          QWidget* owner) {
  std::vector<TypedText> texts;
  for (const QLineEdit* edit : edits) {
    texts.push_back({edit->text().toStdString(), FromQt(edit->text())});
  }
  const std::string lines = LostLetterLines(texts);
  if (lines.empty()) return true;
  // Going back is what Enter does.
  return CurrentDesktop().AskChoice(
             FillIn(Cp1250ToUtf8(text), {"\n\n" + lines + "\n"}),
             kProgramCaption, {Cp1250ToUtf8(store)}, 1, owner) == 0u;
}

void ModalDialog::keyPressEvent(QKeyEvent* event) {
  // Only the close box and the dialog's own buttons close it.
  if (!escape_closes_ && event->key() == Qt::Key_Escape &&
      event->modifiers() == Qt::NoModifier) {
    event->ignore();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace rivolet
