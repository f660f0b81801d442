// The base of every dialog of the program. It builds the frame they share
// (a close box only, the windows' font, a fixed size, the side picture of
// some), and each opening is centred on the screen, starts at the dialog's
// first component, applies the chosen language before or after the dialog's
// FormShow as the dialog says, and reports a failure without keeping the
// dialog shut. Escape closes nothing but where the dialog says so.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "settings/language_apply.h"
#include "settings/language_file.h"

class QLabel;
class QLineEdit;

namespace rivolet {

// What a dialog's frame is made of.
struct DialogFrame {
  const char* name;     // the object name, which language files address
  const char* caption;  // the window title until a language file sets one
  int width;            // the inside, fixed
  int height;
  // The picture down the left edge, 120 pixels wide (New feed, About feed).
  bool side_picture = false;
  bool escape_closes = false;
};

// Where an opening applies the chosen language: before the dialog's
// FormShow (a failure then skips it), after it, or never (the About box).
enum class LanguageStep { kFirst, kLast, kNone };

class ModalDialog : public QDialog {
  Q_OBJECT

 public:
  // The dialog's own steps of each opening.
  virtual void FormShow() {}

 protected:
  // `language` is where each opening finds the chosen language (nothing:
  // the built-in texts stay); `keys` are the dialog's own language keys.
  ModalDialog(const DialogFrame& frame, LanguageStep language_step,
              LanguageSource language, const WindowLanguageKeys& keys,
              QWidget* parent);

  // The language step of an opening: the language file is read again and
  // applied. An unreadable file throws, which ends the opening there.
  void ApplyLanguage();

  // Where the language file's texts go: the dialog itself by default; a
  // dialog with a list or message texts adds where those go.
  virtual LanguageWindow LanguageTarget() { return {this}; }
  // The component every opening starts at; none keeps Qt's choice.
  virtual QWidget* OpeningFocus() { return nullptr; }
  // After every opening, whatever failed in it.
  virtual void Opened() {}

  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

  QLabel* side_picture_ = nullptr;

 private:
  LanguageStep language_step_;
  LanguageSource language_;
  WindowLanguageKeys keys_;
  bool escape_closes_;
};

// Before the texts of `edits` are stored in the feed list: true when the
// list keeps every letter of them, or when the user, told which would lose
// letters and what they would read (`text`, its "%s" for the list), chose
// `store` (a button's caption) all the same; false to go back and change
// them. `text` and `store` are Windows-1250, as language files give them.
bool KeepsLettersOrAgreed(const std::vector<const QLineEdit*>& edits,
                          const std::string& text, const std::string& store,
                          QWidget* owner);

}  // namespace rivolet
