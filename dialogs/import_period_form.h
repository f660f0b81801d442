// The one question an OPML import asks for all its feeds: their update
// period, typed as in the New feed dialog (empty: never updated).
#pragma once

#include <string>

#include "dialogs/modal_dialog.h"

class QLabel;
class QPushButton;

namespace rivolet {

class KeyUpEdit;

class TImportPeriodForm : public ModalDialog {
  Q_OBJECT

 public:
  explicit TImportPeriodForm(LanguageSource language = {},
                             QWidget* parent = nullptr);
  ~TImportPeriodForm() override;

  // Components, named as the language files know them.
  QLabel* ImportPeriodLabel;
  KeyUpEdit* ImportPeriodEdit;
  QLabel* ImportPeriodUnit;
  QPushButton* ImportPeriodOK;
  QPushButton* ImportPeriodCancel;

  // The period as typed; the answer when the dialog was accepted.
  std::string Period() const;

  // Handlers.
  void FormShow() override;
  void ImportPeriodEditKeyUp(int virtual_key);
  void ImportPeriodOKClick() { accept(); }
  void ImportPeriodCancelClick() { reject(); }

 protected:
  QWidget* OpeningFocus() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Whether a key was pressed in the field since the opening.
  bool typed_ = false;
};

}  // namespace rivolet
