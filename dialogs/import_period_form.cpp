// The update period of an OPML import.
#include "dialogs/import_period_form.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <utility>

#include "dialogs/new_feed.h"
#include "feeds/opml.h"
#include "platform/text_bridge.h"
#include "settings/language_file.h"
#include "widgets/artwork.h"
#include "widgets/components.h"
#include "widgets/connect.h"
#include "widgets/keys.h"

namespace rivolet {

TImportPeriodForm::TImportPeriodForm(LanguageSource language, QWidget* parent)
    : ModalDialog({"ImportPeriodForm", "Update Period", 264, 100},
                  LanguageStep::kLast, std::move(language),
                  ImportPeriodFormLanguageKeys(), parent) {
  ImportPeriodLabel = PlaceCaption(this, "ImportPeriodLabel",
                                   "Update period of the imported feeds", 8, 8);
  ImportPeriodEdit = PlaceEdit<KeyUpEdit>(this, "ImportPeriodEdit", 8, 24, 97);
  ImportPeriodEdit->setMaxLength(5);
  ImportPeriodUnit = PlaceCaption(this, "ImportPeriodUnit", "minutes", 112, 27);
  ImportPeriodOK = PlaceButton(this, "ImportPeriodOK", "OK", {94, 67, 80, 25});
  ImportPeriodOK->setDefault(true);
  ImportPeriodCancel =
      PlaceButton(this, "ImportPeriodCancel", "Cancel", {178, 67, 80, 25});

  ImportPeriodEdit->installEventFilter(this);
  ConnectGuarded(ImportPeriodEdit, &KeyUpEdit::keyUp, this,
                 &TImportPeriodForm::ImportPeriodEditKeyUp);
  ConnectGuarded(ImportPeriodOK, &QPushButton::clicked, this,
                 &TImportPeriodForm::ImportPeriodOKClick);
  ConnectGuarded(ImportPeriodCancel, &QPushButton::clicked, this,
                 &TImportPeriodForm::ImportPeriodCancelClick);
}

TImportPeriodForm::~TImportPeriodForm() = default;

QWidget* TImportPeriodForm::OpeningFocus() { return ImportPeriodEdit; }

std::string TImportPeriodForm::Period() const {
  return FromQt(ImportPeriodEdit->text());
}

bool TImportPeriodForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ImportPeriodEdit && event->type() == QEvent::KeyPress)
    typed_ = true;
  return ModalDialog::eventFilter(watched, event);
}

void TImportPeriodForm::FormShow() {
  typed_ = false;
  // Selected, so that the first digit typed replaces it.
  ImportPeriodEdit->setText(kDefaultOpmlPeriod);
  ImportPeriodEdit->selectAll();
}

void TImportPeriodForm::ImportPeriodEditKeyUp(int virtual_key) {
  // The release of the key that chose the file (Enter in the file dialog)
  // may arrive here; it is no typing.
  if (!typed_) return;
  if (!PeriodKeyKeepsText(virtual_key)) ImportPeriodEdit->clear();
}

}  // namespace rivolet
