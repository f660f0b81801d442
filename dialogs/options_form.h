// The Options dialog. Its controls are the program's settings for the whole
// run: loaded from rivolet.ini once when the dialog is made, written back
// only by OK, and read by the rest of the program straight from the controls.
#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/modal_dialog.h"
#include "settings/ini_file.h"

class QCheckBox;
class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace rivolet {

class TOptionsForm : public ModalDialog {
  Q_OBJECT

 public:
  // `settings` is rivolet.ini; `executable` goes into the start-up entry;
  // OK stores the position of `main_window`.
  TOptionsForm(IniFile settings, std::filesystem::path executable,
               QWidget* main_window, LanguageSource language = {},
               QWidget* parent = nullptr);
  ~TOptionsForm() override;

  // Components, named as the language files know them.
  QTabWidget* Tabs;
  QWidget* General;
  QFrame* Panel3;
  QCheckBox* oOnStartup;
  QCheckBox* oRePosMS;
  QWidget* Updating;
  QFrame* Panel1;
  QLabel* oUpdate;
  QFrame* Panel2;
  QRadioButton* yesUpdate;
  QRadioButton* noUpdate;
  QLabel* oWindowNot;
  QLineEdit* Edit1;
  QLabel* opM;
  // The sound choice: never shown, never stored.
  QLabel* oSounds;
  QRadioButton* rsN;
  QRadioButton* roBeep;
  QRadioButton* roChoo;
  QLineEdit* Edit2;
  QPushButton* BtnChoose;
  QFileDialog* OpenDialog1 = nullptr;  // made on first use
  QPushButton* OptionsOKB;
  QPushButton* OptionsCaB;

  // What the rest of the program reads: whether updating is on, the text
  // of the notification window's time in seconds, and whether the main
  // window's position is to be remembered.
  bool UpdatingOn() const;
  std::string NotificationTimeText() const;
  bool RememberPosition() const;

  // Runs the file dialog and returns its result. Tests replace it so that
  // no test blocks in the dialog's own event loop.
  std::function<int(QFileDialog&)> file_dialog_runner;

  // Handlers.
  void FormCreate();
  void FormShow() override;
  void OptionsOKBClick();
  void OptionsCaBClick();
  void oOnStartupClick();
  void yesUpdateClick();
  void noUpdateClick();
  void rsNClick();
  void roBeepClick();
  void roChooClick();
  void BtnChooseClick();

 private:
  // Building the components (options_form_layout.cpp).
  void CreateComponents();
  void CreateGeneralPage();
  void CreateUpdatingPage();
  void CreateOpenDialog();

  // The controls that follow the update switch.
  void EnableUpdateControls(bool enabled);

  // Cancel and the close box put every control back as the opening showed
  // it; OK keeps what the user changed.
  void closeEvent(QCloseEvent* event) override;
  void TakeOpeningState();
  void PutBackOpeningState();
  struct ControlState {
    QWidget* control;
    bool enabled;
    bool checked;
    QString text;
  };
  std::vector<ControlState> opening_;

  IniFile settings_;
  std::filesystem::path executable_;
  QWidget* main_window_;
};

}  // namespace rivolet
