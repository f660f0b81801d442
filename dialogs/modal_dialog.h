// What every modal dialog of the program does alike: each opening is centred
// on the screen, starts at the dialog's first component, runs the dialog's
// FormShow (whose failure is reported without keeping the dialog shut) and
// applies the chosen language; Escape closes nothing.
#pragma once

#include <QDialog>

#include "settings/language_apply.h"
#include "settings/language_file.h"

namespace rivolet {

class ModalDialog : public QDialog {
  Q_OBJECT

 public:
  // The handler of each opening.
  virtual void FormShow() = 0;

 protected:
  // `language` is where each showing finds the chosen language (nothing:
  // the built-in texts stay); `keys` are the dialog's own language keys.
  ModalDialog(LanguageSource language, const WindowLanguageKeys& keys,
              QWidget* parent);

  // The language step of a showing: the language file is read again and
  // applied. An unreadable file throws, which ends the showing there.
  void ApplyLanguage();

  // Where the language file's texts go: the dialog itself by default; a
  // dialog with a list or message texts adds where those go.
  virtual LanguageWindow LanguageTarget() { return {this}; }
  // The component every opening starts at; none keeps Qt's choice.
  virtual QWidget* OpeningFocus() { return nullptr; }

  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  LanguageSource language_;
  WindowLanguageKeys keys_;
};

}  // namespace rivolet
