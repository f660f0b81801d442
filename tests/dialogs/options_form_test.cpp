// The Options dialog as a window: its components, the load into the
// controls, OK and its failures, Cancel, the keys, and the start-up entry.
#include "dialogs/options_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <memory>

#include "settings/settings.h"
#include "tests/support/temp_dir.h"
#include "tests/support/ui/recording_desktop.h"

namespace rivolet {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

class OptionsFormTest : public ::testing::Test {
 protected:
  OptionsFormTest() : scoped_(&desktop) { main_window.move(12, 34); }

  // The dialog as the program makes it: over the settings loaded at start.
  TOptionsForm& Make(const char* ini = nullptr) {
    if (ini) WriteFileBytes(IniPath(), ini);
    settings = LoadSettings(IniFile(IniPath())).settings;
    form = std::make_unique<TOptionsForm>(settings, IniFile(IniPath()),
                                          "/opt/rv/rivolet", &main_window);
    return *form;
  }

  // Shows the dialog as the active window, as the user sees it.
  void ShowActive() {
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }

  std::filesystem::path IniPath() const { return SettingsFilePath(dir.path()); }

  std::vector<std::string> ErrorTexts() const {
    std::vector<std::string> texts;
    for (const auto& message : desktop.messages) texts.push_back(message.text);
    return texts;
  }

  TempDir dir;
  RecordingDesktop desktop;
  QWidget main_window;
  Settings settings;
  std::unique_ptr<TOptionsForm> form;

 private:
  ScopedDesktop scoped_;
};

TEST_F(OptionsFormTest, ComponentsSitWhereTheyBelong) {
  TOptionsForm& f = Make();
  EXPECT_EQ(f.objectName(), "OptionsForm");
  EXPECT_EQ(f.windowTitle(), "Options");
  EXPECT_EQ(f.size(), QSize(481, 366));
  EXPECT_EQ(f.minimumSize(), f.maximumSize());
  EXPECT_EQ(f.font().pixelSize(), 11);
  struct Row {
    QWidget* widget;
    const char* name;
    QString text;
    QRect geometry;  // width 0: not fixed
    bool bold;
  };
  auto text = [](QWidget* w) -> QString {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    return {};
  };
  const std::vector<Row> rows = {
      {f.Tabs, "Tabs", "", {4, 4, 474, 328}, false},
      {f.oOnStartup,
       "oOnStartup",
       "Run Rivolet on startup",
       {8, 8, 433, 0},
       false},
      {f.oRePosMS,
       "oRePosMS",
       "Remember position of the main window",
       {8, 32, 329, 0},
       false},
      {f.oUpdate, "oUpdate", "Update?", {8, 8, 0, 0}, true},
      {f.Panel2, "Panel2", "", {8, 24, 185, 41}, false},
      {f.yesUpdate, "yesUpdate", "Yes", {8, 0, 0, 0}, false},
      {f.noUpdate, "noUpdate", "No", {8, 16, 0, 0}, false},
      {f.oWindowNot,
       "oWindowNot",
       "Close notification window after...",
       {8, 72, 0, 0},
       true},
      {f.Edit1, "Edit1", "5", {8, 88, 49, 0}, false},
      {f.opM, "opM", "seconds", {64, 91, 0, 0}, false},
      {f.oSounds, "oSounds", "Sounds", {8, 120, 0, 0}, true},
      {f.rsN, "rsN", "No sounds", {16, 136, 0, 0}, false},
      {f.roBeep, "roBeep", "\"Beep\"", {16, 152, 0, 0}, false},
      {f.roChoo, "roChoo", "Choose sound...", {16, 168, 0, 0}, false},
      {f.Edit2, "Edit2", "", {32, 184, 161, 0}, false},
      {f.BtnChoose, "BtnChoose", "Browse", {200, 184, 75, 0}, false},
      {f.OptionsOKB, "OptionsOKB", "OK", {320, 337, 75, 0}, false},
      {f.OptionsCaB, "OptionsCaB", "Cancel", {400, 337, 75, 0}, false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.widget->objectName(), row.name);
    EXPECT_EQ(text(row.widget), row.text) << row.name;
    EXPECT_EQ(row.widget->pos(), row.geometry.topLeft()) << row.name;
    if (row.geometry.width() > 0) {
      EXPECT_EQ(row.widget->width(), row.geometry.width()) << row.name;
    }
    if (row.geometry.height() > 0) {
      EXPECT_EQ(row.widget->height(), row.geometry.height()) << row.name;
    }
    EXPECT_EQ(row.widget->font().bold(), row.bold) << row.name;
  }
  EXPECT_EQ(f.yesUpdate->parent(), f.Panel2);
  EXPECT_EQ(f.Panel2->parent(), f.Panel1);
  EXPECT_EQ(f.rsN->parent(), f.Panel1);
  ASSERT_EQ(f.Tabs->count(), 2);
  EXPECT_EQ(f.Tabs->widget(0), f.General);
  EXPECT_EQ(f.Tabs->tabText(0), "General");
  EXPECT_EQ(f.Tabs->widget(1), f.Updating);
  EXPECT_EQ(f.Tabs->tabText(1), "Updating");
  EXPECT_EQ(f.Tabs->currentWidget(), f.General);
  EXPECT_EQ(f.Panel3->parent(), f.General);
  EXPECT_EQ(f.Panel3->palette().color(QPalette::Window), Qt::white);
  EXPECT_EQ(f.Panel1->palette().color(QPalette::Window), Qt::white);
  EXPECT_TRUE(f.OptionsCaB->isDefault());
  EXPECT_FALSE(f.OptionsOKB->isDefault());
  for (QWidget* button : {f.OptionsOKB, f.OptionsCaB, f.BtnChoose})
    EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);

  f.show();
  f.Tabs->setCurrentWidget(f.Updating);
  for (QWidget* sound : std::initializer_list<QWidget*>{
           f.oSounds, f.rsN, f.roBeep, f.roChoo, f.Edit2, f.BtnChoose}) {
    EXPECT_FALSE(sound->isVisible()) << sound->objectName().toStdString();
  }
  EXPECT_TRUE(f.rsN->isChecked());
  EXPECT_FALSE(f.Edit2->isEnabled());
  EXPECT_FALSE(f.BtnChoose->isEnabled());
  EXPECT_TRUE(f.Edit1->isVisible());
  EXPECT_EQ(f.OpenDialog1, nullptr);
}

TEST_F(OptionsFormTest, CreationShowsTheSettingsAndDisablesWhatNoDisables) {
  struct Case {
    const char* ini;
    bool yes, no, edit1_enabled, startup;
  };
  const Case cases[] = {
      {"[updating]\nYesUpdate=1\nNoUpdate=1\n", false, true, false, false},
      {"[updating]\nYesUpdate=0\nNoUpdate=0\n", false, false, true, false},
      {"[general]\nrun_on_startup=1\n", true, false, true, true},
  };
  for (const Case& c : cases) {
    TOptionsForm& f = Make(c.ini);
    const Settings loaded = settings;
    EXPECT_EQ(f.yesUpdate->isChecked(), c.yes) << c.ini;
    EXPECT_EQ(f.noUpdate->isChecked(), c.no) << c.ini;
    EXPECT_EQ(f.oOnStartup->isChecked(), c.startup) << c.ini;
    EXPECT_EQ(f.Edit1->isEnabled(), c.edit1_enabled) << c.ini;
    EXPECT_EQ(f.rsN->isEnabled(), c.edit1_enabled) << c.ini;
    EXPECT_TRUE(settings == loaded) << c.ini;  // showing changes nothing
  }
  // The entry is the program's start's to write again, not the dialog's.
  EXPECT_FALSE(desktop.startup_entry);
  EXPECT_EQ(settings.notification_seconds, "5");
  EXPECT_TRUE(settings.remember_position);
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(OptionsFormTest, OkStoresTheControlsAndTheMainWindowPosition) {
  TOptionsForm& f = Make("; mine\r\n[updating]\r\nact_time=9\r\n");
  f.show();
  f.Edit1->setText("0x1E");
  f.noUpdate->click();
  f.OptionsOKB->click();
  EXPECT_FALSE(f.isVisible());
  EXPECT_EQ(ReadFileBytes(IniPath()),
            "; mine\r\n[updating]\r\nact_time=30\r\nYesUpdate=0\r\n"
            "NoUpdate=1\r\n[general]\r\nremember_pos=1\r\nleft=12\r\n"
            "top=34\r\nrun_on_startup=0\r\n");
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(OptionsFormTest, OkWithANonNumberReportsItAndStaysOpen) {
  TOptionsForm& f = Make("[updating]\nact_time=9\n");
  f.show();
  f.Edit1->setText("abc");
  f.OptionsOKB->click();
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(ErrorTexts(),
            std::vector<std::string>{"'abc' is not a valid integer value."});
  EXPECT_EQ(desktop.messages[0].kind, MessageKind::kError);
  EXPECT_EQ(ReadFileBytes(IniPath()),
            "[updating]\nact_time=9\nYesUpdate=1\nNoUpdate=0\n[general]\n"
            "remember_pos=1\nleft=12\ntop=34\nrun_on_startup=0\n");
}

TEST_F(OptionsFormTest, CancelAndTheCloseBoxPutTheControlsBackOkKeepsThem) {
  const char* ini = "[updating]\nYesUpdate=0\nNoUpdate=0\n";
  TOptionsForm& f = Make(ini);
  for (int way = 0; way < 3; ++way) {  // Cancel, the close box, OK
    f.show();
    f.Tabs->setCurrentWidget(f.Updating);
    f.noUpdate->click();
    f.oRePosMS->click();
    f.oOnStartup->click();
    f.Edit1->setText("17");
    f.oRememberRead->click();
    if (way == 0) f.OptionsCaB->click();
    if (way == 1) f.close();
    if (way == 2) f.OptionsOKB->click();
    EXPECT_FALSE(f.yesUpdate->isChecked());
    EXPECT_EQ(f.noUpdate->isChecked(), way == 2);
    EXPECT_EQ(settings.notification_seconds, way == 2 ? "17" : "5");
    EXPECT_EQ(settings.remember_position, way != 2);
    EXPECT_EQ(settings.remember_reading, way == 2);
    EXPECT_EQ(desktop.startup_entry, way == 2);  // the entry follows the box
    EXPECT_EQ(f.Tabs->currentWidget(), f.Updating);       // the page stays
    EXPECT_EQ(ReadFileBytes(IniPath()) == ini, way < 2);  // only OK writes
  }
}

TEST_F(OptionsFormTest, EnterCancelsUnlessTheFocusIsOnAButtonAndEscapeWaits) {
  TOptionsForm& f = Make();
  ShowActive();
  for (QWidget* focus :
       std::initializer_list<QWidget*>{f.oRePosMS, f.Tabs->tabBar()}) {
    if (!f.isVisible()) ShowActive();
    focus->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(f.isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(f.isVisible()) << focus->objectName().toStdString();
  }
  f.Tabs->setCurrentWidget(f.Updating);
  ShowActive();
  f.Edit1->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_FALSE(f.isVisible());
  EXPECT_FALSE(std::filesystem::exists(IniPath()));

  ShowActive();
  f.OptionsOKB->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_FALSE(f.isVisible());
  EXPECT_TRUE(std::filesystem::exists(IniPath()));
}

TEST_F(OptionsFormTest, TabGoesFromThePageToCancelThenOk) {
  TOptionsForm& f = Make();
  ShowActive();
  f.Tabs->tabBar()->setFocus();
  std::vector<QString> order;
  for (int i = 0; i < 5; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    order.push_back(QApplication::focusWidget()->objectName());
  }
  EXPECT_EQ(order,
            (std::vector<QString>{"oOnStartup", "oRePosMS", "oRememberRead",
                                  "OptionsCaB", "OptionsOKB"}));
}

TEST_F(OptionsFormTest, TheStartupBoxFollowsTheEntryAndIgnoresItsFailures) {
  TOptionsForm& f = Make();
  f.show();
  f.oOnStartup->click();
  EXPECT_TRUE(desktop.startup_entry);
  EXPECT_EQ(desktop.startup_executable, "/opt/rv/rivolet");
  f.oOnStartup->click();
  EXPECT_FALSE(desktop.startup_entry);
  desktop.startup_fails = true;
  f.oOnStartup->click();
  EXPECT_TRUE(f.oOnStartup->isChecked());
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(OptionsFormTest, TheSoundChoiceEnablesItsFileAndTheDialogFillsIt) {
  TOptionsForm& f = Make();
  f.roChoo->click();
  EXPECT_TRUE(f.Edit2->isEnabled());
  EXPECT_TRUE(f.BtnChoose->isEnabled());
  f.noUpdate->click();
  EXPECT_FALSE(f.Edit2->isEnabled());
  f.yesUpdate->click();
  EXPECT_TRUE(f.BtnChoose->isEnabled());
  f.roBeep->click();
  EXPECT_FALSE(f.Edit2->isEnabled());

  WriteFileBytes(dir / "ding.wav", "RIFF");
  int runs = 0;
  f.file_dialog_runner = [&](QFileDialog& dialog) {
    ++runs;
    EXPECT_EQ(dialog.nameFilters(),
              QStringList{"*.mp3; *.wav; *.mid (*.mp3 *.wav *.mid)"});
    EXPECT_TRUE(dialog.testOption(QFileDialog::HideNameFilterDetails));
    auto* model = dialog.findChild<QFileSystemModel*>();
    EXPECT_NE(model, nullptr);
    if (model) {
      EXPECT_EQ(model->nameFilters(), (QStringList{"*.mp3", "*.wav", "*.mid"}));
    }
    auto* sidebar = dialog.findChild<QWidget*>("sidebar");
    EXPECT_TRUE(sidebar != nullptr && sidebar->isHidden());
    dialog.setDirectory(QString::fromStdString(dir.path().string()));
    dialog.selectFile("ding.wav");
    return runs == 1 ? int{QDialog::Accepted} : int{QDialog::Rejected};
  };
  f.BtnChooseClick();
  EXPECT_EQ(f.Edit2->text().toStdString(), (dir / "ding.wav").string());
  f.Edit2->clear();
  f.BtnChooseClick();
  EXPECT_EQ(f.Edit2->text(), "");
}

}  // namespace
}  // namespace rivolet
