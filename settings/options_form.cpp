// The Options dialog's handlers. The components are built in
// options_form_layout.cpp.
#include "settings/options_form.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <utility>

#include "platform/connect.h"
#include "platform/desktop.h"
#include "platform/frame_position.h"
#include "platform/guard.h"
#include "platform/text_bridge.h"
#include "settings/language_file.h"
#include "settings/options.h"

namespace rivolet {

TOptionsForm::TOptionsForm(IniFile settings, std::filesystem::path executable,
                           QWidget* main_window, LanguageSource language,
                           QWidget* parent)
    : ModalDialog(std::move(language), OptionsFormLanguageKeys(), parent),
      settings_(std::move(settings)),
      executable_(std::move(executable)),
      main_window_(main_window) {
  CreateComponents();
  ConnectGuarded(OptionsOKB, &QPushButton::clicked, this,
                 &TOptionsForm::OptionsOKBClick);
  ConnectGuarded(OptionsCaB, &QPushButton::clicked, this,
                 &TOptionsForm::OptionsCaBClick);
  ConnectGuarded(oOnStartup, &QCheckBox::clicked, this,
                 &TOptionsForm::oOnStartupClick);
  ConnectGuarded(yesUpdate, &QRadioButton::clicked, this,
                 &TOptionsForm::yesUpdateClick);
  ConnectGuarded(noUpdate, &QRadioButton::clicked, this,
                 &TOptionsForm::noUpdateClick);
  ConnectGuarded(rsN, &QRadioButton::clicked, this, &TOptionsForm::rsNClick);
  ConnectGuarded(roBeep, &QRadioButton::clicked, this,
                 &TOptionsForm::roBeepClick);
  ConnectGuarded(roChoo, &QRadioButton::clicked, this,
                 &TOptionsForm::roChooClick);
  ConnectGuarded(BtnChoose, &QPushButton::clicked, this,
                 &TOptionsForm::BtnChooseClick);
  Guarded([this] { FormCreate(); });
}

TOptionsForm::~TOptionsForm() = default;

bool TOptionsForm::UpdatingOn() const { return yesUpdate->isChecked(); }

std::string TOptionsForm::NotificationTimeText() const {
  return FromQt(Edit1->text());
}

bool TOptionsForm::RememberPosition() const { return oRePosMS->isChecked(); }

void TOptionsForm::FormCreate() {
  const OptionsLoad load = LoadOptions(settings_);
  oRePosMS->setChecked(load.controls.oRePosMS);
  oOnStartup->setChecked(load.controls.oOnStartup);
  yesUpdate->setChecked(load.controls.yesUpdate);
  noUpdate->setChecked(load.controls.noUpdate);
  // Both unchecked is a state of its own (updating off, Edit1 enabled),
  // which an exclusive group cannot hold.
  if (!load.controls.yesUpdate && !load.controls.noUpdate) {
    yesUpdate->setAutoExclusive(false);
    yesUpdate->setChecked(false);
    yesUpdate->setAutoExclusive(true);
  }
  Edit1->setText(ToQt(load.controls.Edit1));
  // Loading a state that differs from the starting one counts as a click.
  if (load.oOnStartupClicked) oOnStartupClick();
  if (load.noUpdateClicked) noUpdateClick();
}

void TOptionsForm::FormShow() {
  ApplyLanguage();
  // Nothing is read again: the controls hold the settings as left.
}

void TOptionsForm::OptionsOKBClick() {
  OptionsControls controls;
  controls.oRePosMS = oRePosMS->isChecked();
  controls.oOnStartup = oOnStartup->isChecked();
  controls.yesUpdate = yesUpdate->isChecked();
  controls.noUpdate = noUpdate->isChecked();
  controls.Edit1 = FromQt(Edit1->text());
  // A failure leaves the dialog open, with what was written before it kept.
  const QPoint corner = FramePosition(main_window_);
  SaveOptions(settings_, controls, corner.x(), corner.y());
  close();
}

void TOptionsForm::OptionsCaBClick() { close(); }

void TOptionsForm::oOnStartupClick() {
  // The entry is the desktop's business: the box keeps its state and OK
  // stores it whether or not the entry could be changed.
  try {
    CurrentDesktop().SetStartupEntry(oOnStartup->isChecked(), executable_);
  } catch (...) {
  }
}

void TOptionsForm::EnableUpdateControls(bool enabled) {
  for (QWidget* control : std::initializer_list<QWidget*>{
           Edit1, rsN, roBeep, roChoo, Edit2, BtnChoose}) {
    control->setEnabled(enabled);
  }
}

void TOptionsForm::yesUpdateClick() { EnableUpdateControls(true); }

void TOptionsForm::noUpdateClick() { EnableUpdateControls(false); }

void TOptionsForm::rsNClick() {
  if (!rsN->isChecked()) return;
  Edit2->setEnabled(false);
  BtnChoose->setEnabled(false);
}

void TOptionsForm::roBeepClick() {
  if (!roBeep->isChecked()) return;
  Edit2->setEnabled(false);
  BtnChoose->setEnabled(false);
}

void TOptionsForm::roChooClick() {
  if (!roChoo->isChecked()) return;
  Edit2->setEnabled(true);
  BtnChoose->setEnabled(true);
}

void TOptionsForm::BtnChooseClick() {
  if (OpenDialog1 == nullptr) CreateOpenDialog();
  const int result = file_dialog_runner ? file_dialog_runner(*OpenDialog1)
                                        : OpenDialog1->exec();
  if (result != QDialog::Accepted) return;
  const QStringList files = OpenDialog1->selectedFiles();
  if (!files.isEmpty()) Edit2->setText(files.front());
}

}  // namespace rivolet
