// The Options dialog: made when first opened, it shows the program's
// settings, its controls edit the settings object as they change (Cancel
// and the close box put both back as the opening showed them), and OK
// writes them to rivolet.ini.
#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/modal_dialog.h"
#include "settings/ini_file.h"
#include "settings/settings.h"

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
  // The frame, as the layout builds it.
  static constexpr DialogFrame kFrame = {"OptionsForm", "Options", 481, 366};

  // `settings` are the program's, which the dialog edits and OK writes to
  // `file` (rivolet.ini); `executable` goes into the start-up entry; OK
  // stores the position of `main_window`.
  TOptionsForm(Settings& settings, IniFile file,
               std::filesystem::path executable, QWidget* main_window,
               LanguageSource language = {}, QWidget* parent = nullptr);
  ~TOptionsForm() override;

  // Components, named as the language files know them.
  QTabWidget* Tabs;
  QWidget* General;
  QFrame* Panel3;
  QCheckBox* oOnStartup;
  QCheckBox* oRePosMS;
  QCheckBox* oRememberRead;  // "Remember what I have read"
  QWidget* Updating;
  QFrame* Panel1;
  QLabel* oUpdate;
  QFrame* Panel2;
  QRadioButton* yesUpdate;
  QRadioButton* noUpdate;
  QLabel* oWindowNot;
  QLineEdit* Edit1;
  QLabel* opM;
  QCheckBox* oOnlyNew;  // "Notify only about new items"
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

  // Runs the file dialog and returns its result. Tests replace it so that
  // no test blocks in the dialog's own event loop.
  std::function<int(QFileDialog&)> file_dialog_runner;

  // Handlers.
  void FormCreate();
  void OptionsOKBClick();
  void OptionsCaBClick();
  void oOnStartupClick();
  void yesUpdateClick();
  void noUpdateClick();
  void rsNClick();
  void roBeepClick();
  void roChooClick();
  void BtnChooseClick();

 signals:
  // OK wrote the settings.
  void settingsSaved();

 protected:
  // What Cancel goes back to is taken after every opening, even one whose
  // language file could not be read.
  void Opened() override { TakeOpeningState(); }

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

  // The controls write what they show into the settings.
  void FollowControls();

  Settings& settings_;
  IniFile file_;
  std::filesystem::path executable_;
  QWidget* main_window_;
};

}  // namespace rivolet
