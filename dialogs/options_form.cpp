// The Options dialog's handlers. The components are built in
// options_form_layout.cpp.
#include "dialogs/options_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <utility>

#include "platform/desktop.h"
#include "platform/frame_position.h"
#include "platform/guard.h"
#include "platform/text_bridge.h"
#include "settings/language_file.h"
#include "settings/settings.h"
#include "widgets/connect.h"

namespace rivolet {

TOptionsForm::TOptionsForm(Settings& settings, IniFile file,
                           std::filesystem::path executable,
                           QWidget* main_window, LanguageSource language,
                           QWidget* parent)
    : ModalDialog(kFrame, LanguageStep::kFirst, std::move(language),
                  OptionsFormLanguageKeys(), parent),
      settings_(settings),
      file_(std::move(file)),
      executable_(std::move(executable)),
      main_window_(main_window) {
  CreateComponents();
  FollowControls();
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

void TOptionsForm::FollowControls() {
  const auto follow = [this](QAbstractButton* box, bool& setting) {
    connect(box, &QAbstractButton::toggled, this,
            [&setting](bool checked) { setting = checked; });
  };
  follow(oRePosMS, settings_.remember_position);
  follow(oOnStartup, settings_.run_on_startup);
  follow(yesUpdate, settings_.update_yes);
  follow(noUpdate, settings_.update_no);
  follow(oRememberRead, settings_.remember_reading);
  follow(oOnlyNew, settings_.only_new);
  connect(Edit1, &QLineEdit::textChanged, this, [this](const QString& text) {
    settings_.notification_seconds = FromQt(text);
  });
}

void TOptionsForm::FormCreate() {
  // A copy: the controls write into the settings as they are set.
  const Settings loaded = settings_;
  oRePosMS->setChecked(loaded.remember_position);
  oOnStartup->setChecked(loaded.run_on_startup);
  yesUpdate->setChecked(loaded.update_yes);
  noUpdate->setChecked(loaded.update_no);
  // Both unchecked is a state of its own (updating off, Edit1 enabled),
  // which an exclusive group cannot hold.
  if (!loaded.update_yes && !loaded.update_no) {
    yesUpdate->setAutoExclusive(false);
    yesUpdate->setChecked(false);
    yesUpdate->setAutoExclusive(true);
  }
  Edit1->setText(ToQt(loaded.notification_seconds));
  oRememberRead->setChecked(loaded.remember_reading);
  oOnlyNew->setChecked(loaded.only_new);
  settings_ = loaded;
  // "No" disables what follows the update switch, as its click does.
  if (loaded.update_no) noUpdateClick();
}

void TOptionsForm::TakeOpeningState() {
  opening_.clear();
  for (QAbstractButton* choice : std::initializer_list<QAbstractButton*>{
           oOnStartup, oRePosMS, yesUpdate, noUpdate, rsN, roBeep, roChoo,
           oRememberRead, oOnlyNew}) {
    opening_.push_back(
        {choice, choice->isEnabled(), choice->isChecked(), QString()});
  }
  for (QLineEdit* edit : {Edit1, Edit2})
    opening_.push_back({edit, edit->isEnabled(), false, edit->text()});
  opening_.push_back({BtnChoose, BtnChoose->isEnabled(), false, QString()});
}

void TOptionsForm::PutBackOpeningState() {
  const bool startup_entry = oOnStartup->isChecked();
  // A radio group may have been opened with no button on (see FormCreate),
  // which an exclusive group cannot be set to.
  const QList<QRadioButton*> radios = findChildren<QRadioButton*>();
  for (QRadioButton* radio : radios) radio->setAutoExclusive(false);
  for (const ControlState& state : opening_) {
    state.control->setEnabled(state.enabled);
    if (auto* choice = qobject_cast<QAbstractButton*>(state.control)) {
      if (choice->isCheckable()) choice->setChecked(state.checked);
    } else if (auto* edit = qobject_cast<QLineEdit*>(state.control)) {
      edit->setText(state.text);
    }
  }
  for (QRadioButton* radio : radios) radio->setAutoExclusive(true);
  // The start-up entry follows the box back.
  if (oOnStartup->isChecked() != startup_entry) oOnStartupClick();
}

void TOptionsForm::closeEvent(QCloseEvent* event) {
  // Only OK empties the state of the opening.
  if (!opening_.empty()) Guarded([this] { PutBackOpeningState(); });
  opening_.clear();
  ModalDialog::closeEvent(event);
}

void TOptionsForm::OptionsOKBClick() {
  // A failure leaves the dialog open, with what was written before it kept.
  const QPoint corner = FramePosition(main_window_);
  SaveSettings(file_, settings_, corner.x(), corner.y());
  opening_.clear();
  emit settingsSaved();
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
