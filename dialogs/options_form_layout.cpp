// Building the Options dialog's components: the two pages of the page
// control, the hidden sound choice, the buttons, and the sound file dialog.
#include <QCheckBox>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "dialogs/options_form.h"
#include "widgets/artwork.h"
#include "widgets/components.h"

namespace rivolet {
namespace {

constexpr int kClientWidth = TOptionsForm::kFrame.width;
constexpr int kClientHeight = TOptionsForm::kFrame.height;
constexpr int kCheckHeight = 17;
constexpr int kButtonHeight = 25;

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, int left,
                  int top, bool bold = false) {
  QLabel* label = PlaceCaption(parent, name, text, left, top);
  if (bold) {
    label->setFont(WindowFont(11, true));
    label->adjustSize();
  }
  return label;
}

// A check box or radio button; without a width it is as wide as its text.
template <typename Button>
Button* MakeChoice(QWidget* parent, const char* name, const char* text,
                   int left, int top, int width = 0) {
  auto* button = new Button(text, parent);
  button->setObjectName(name);
  button->setGeometry(left, top, width > 0 ? width : button->sizeHint().width(),
                      kCheckHeight);
  return button;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text,
                        int left, int top) {
  return PlaceButton(parent, name, text, {left, top, 75, kButtonHeight});
}

}  // namespace

void TOptionsForm::CreateComponents() {
  Tabs = new QTabWidget(this);
  Tabs->setObjectName("Tabs");
  Tabs->setGeometry(4, 4, 474, 328);
  CreateGeneralPage();
  CreateUpdatingPage();
  Tabs->setCurrentWidget(General);

  // Cancel comes before OK in the tab order and is the default button, so
  // Enter cancels unless the focus is on OK.
  OptionsCaB = MakeButton(this, "OptionsCaB", "Cancel", 400, 337);
  OptionsOKB = MakeButton(this, "OptionsOKB", "OK", 320, 337);
  OptionsCaB->setDefault(true);
  setTabOrder(OptionsCaB, OptionsOKB);
}

void TOptionsForm::CreateGeneralPage() {
  General = new QWidget;
  General->setObjectName("General");
  Tabs->addTab(General, "General");
  Panel3 = FillWithWhitePanel(General, "Panel3");
  oOnStartup = MakeChoice<QCheckBox>(Panel3, "oOnStartup",
                                     "Run Rivolet on startup", 8, 8, 433);
  oRePosMS = MakeChoice<QCheckBox>(
      Panel3, "oRePosMS", "Remember position of the main window", 8, 32, 329);
  oRePosMS->setChecked(true);
  oRememberRead = MakeChoice<QCheckBox>(
      Panel3, "oRememberRead", "Remember what I have read", 8, 56, 329);
}

void TOptionsForm::CreateUpdatingPage() {
  Updating = new QWidget;
  Updating->setObjectName("Updating");
  Tabs->addTab(Updating, "Updating");
  Panel1 = FillWithWhitePanel(Updating, "Panel1");

  oUpdate = MakeLabel(Panel1, "oUpdate", "Update?", 8, 8, true);
  // The radio pair sits on a panel of its own, so it is a group apart from
  // the sound choice.
  Panel2 = new Panel(Panel1);
  Panel2->setObjectName("Panel2");
  Panel2->setFrameShape(QFrame::NoFrame);
  Panel2->setGeometry(8, 24, 185, 41);
  yesUpdate = MakeChoice<QRadioButton>(Panel2, "yesUpdate", "Yes", 8, 0);
  noUpdate = MakeChoice<QRadioButton>(Panel2, "noUpdate", "No", 8, 16);
  yesUpdate->setChecked(true);

  oWindowNot = MakeLabel(Panel1, "oWindowNot",
                         "Close notification window after...", 8, 72, true);
  Edit1 = PlaceEdit(Panel1, "Edit1", 8, 88, 49);
  Edit1->setText("10");
  opM = MakeLabel(Panel1, "opM", "seconds", 64, 91);

  oSounds = MakeLabel(Panel1, "oSounds", "Sounds", 8, 120, true);
  rsN = MakeChoice<QRadioButton>(Panel1, "rsN", "No sounds", 16, 136);
  rsN->setChecked(true);
  roBeep = MakeChoice<QRadioButton>(Panel1, "roBeep", "\"Beep\"", 16, 152);
  roChoo =
      MakeChoice<QRadioButton>(Panel1, "roChoo", "Choose sound...", 16, 168);
  Edit2 = PlaceEdit(Panel1, "Edit2", 32, 184, 161);
  BtnChoose = MakeButton(Panel1, "BtnChoose", "Browse", 200, 184);
  Edit2->setEnabled(false);
  BtnChoose->setEnabled(false);
  for (QWidget* sound : std::initializer_list<QWidget*>{
           oSounds, rsN, roBeep, roChoo, Edit2, BtnChoose}) {
    sound->hide();
  }
  // Below the space the sound choice keeps.
  oOnlyNew = MakeChoice<QCheckBox>(Panel1, "oOnlyNew",
                                   "Notify only about new items", 8, 216, 329);
}

void TOptionsForm::CreateOpenDialog() {
  OpenDialog1 = new QFileDialog(this);
  OpenDialog1->setObjectName("OpenDialog1");
  OpenDialog1->setOption(QFileDialog::DontUseNativeDialog);
  OpenDialog1->setFileMode(QFileDialog::ExistingFile);
  OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
  // One entry, shown as its description alone: "*.mp3; *.wav; *.mid".
  OpenDialog1->setOption(QFileDialog::HideNameFilterDetails);
  OpenDialog1->setNameFilter("*.mp3; *.wav; *.mid (*.mp3 *.wav *.mid)");
  // No places bar.
  OpenDialog1->setSidebarUrls({});
  if (auto* sidebar = OpenDialog1->findChild<QWidget*>("sidebar"))
    sidebar->hide();
}

}  // namespace rivolet
