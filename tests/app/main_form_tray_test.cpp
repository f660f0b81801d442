// The main window's tray icon and tray menu, and the commands that open the
// Catalogue and the About box. The offscreen platform has no notification
// area; tests that need one switch the icon's view of the desktop.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <string>
#include <vector>

#include "app/about_form.h"
#include "app/tray_icon.h"
#include "common/links.h"
#include "dialogs/catalogue_form.h"
#include "tests/support/ui/app_harness.h"
#include "widgets/link_label.h"

namespace rivolet {
namespace {

using testing::AppHarness;
using M = TrayMouseMessage;

class MainFormTrayTest : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }

  // As if the desktop had a notification area.
  void WithTray() {
    h.Main().tray->tray_available = [] { return true; };
  }
  // Minimises the main window as its title bar does; the tray hides it from
  // the event loop.
  void Minimise() {
    h.Main().showMinimized();
    QCoreApplication::processEvents();
  }
  // The window is out of sight: minimised, and hidden when in the tray.
  bool Away() { return h.Main().isMinimized() || !h.Main().isVisible(); }

  AppHarness h;
};

TEST_F(MainFormTrayTest, MouseOnTheIconRestoresOrOpensTheMenu) {
  WithTray();
  TMainForm& main = h.Main();
  Minimise();
  EXPECT_FALSE(main.isVisible());  // the taskbar entry is gone

  struct Case {
    M message;
    bool restored;
    bool menu;
  } cases[] = {
      {M::kLeftDoubleClick, false, false},
      {M::kRightDoubleClick, false, false},
      {M::kRightUp, false, true},
      {M::kLeftUp, true, false},
  };
  for (const Case& c : cases) {
    main.tray->DoMessage(c.message);
    EXPECT_EQ(!Away(), c.restored) << static_cast<int>(c.message);
    EXPECT_EQ(main.TrayMenu->isVisible(), c.menu)
        << static_cast<int>(c.message);
    main.TrayMenu->hide();
  }
  EXPECT_FALSE(main.isMinimized());
  EXPECT_TRUE(h.desktop.messages.empty());

  // The notification area goes away while the window is hidden in it: the
  // window comes back to the taskbar.
  Minimise();
  ASSERT_FALSE(main.isVisible());
  main.tray->tray_available = [] { return false; };
  main.tray->WatchTheArea();
  EXPECT_TRUE(main.isVisible());
  EXPECT_TRUE(main.isMinimized());
}

TEST_F(MainFormTrayTest, WithoutANotificationAreaMinimisingKeepsTheWindow) {
  TMainForm& main = h.Main();
  EXPECT_TRUE(main.tray->Visible());
  EXPECT_FALSE(main.tray->IconShown());
  EXPECT_TRUE(h.desktop.messages.empty());  // no error at start
  Minimise();
  EXPECT_TRUE(main.isMinimized());
  EXPECT_TRUE(main.isVisible());  // its taskbar entry is the way back
}

TEST_F(MainFormTrayTest, TrayMenuItemsActLikeTheirTwins) {
  TMainForm& main = h.Main();
  std::vector<std::string> items;
  for (QAction* a : main.TrayMenu->actions()) {
    items.push_back(a->objectName().toStdString() + " " +
                    a->text().toStdString());
  }
  EXPECT_EQ(items,
            (std::vector<std::string>{
                "Restore1 Restore", "N5 ", "Options1 Options",
                "FeedsManagement1 Feeds' Management", "N6 ", "Exit2 Exit"}));
  EXPECT_EQ(main.TrayMenu->defaultAction(), main.Restore1);

  WithTray();
  Minimise();
  main.Restore1->trigger();
  EXPECT_FALSE(Away());

  for (auto [item, twin] :
       {std::pair{main.Options1, main.N2},
        std::pair{main.FeedsManagement1, main.ChannelsManagement1}}) {
    h.shown_dialogs.clear();
    twin->trigger();
    const std::vector<QDialog*> by_twin = h.shown_dialogs;
    h.shown_dialogs.clear();
    item->trigger();
    EXPECT_EQ(h.shown_dialogs, by_twin) << item->text().toStdString();
  }

  main.Exit2->trigger();
  EXPECT_FALSE(main.isVisible());
  EXPECT_TRUE(std::filesystem::exists(h.dir / "feeds.che"));
}

TEST_F(MainFormTrayTest, EndOfSessionRemovesTheIconAndLeavesAWayBack) {
  WithTray();
  TMainForm& main = h.Main();
  Minimise();
  ASSERT_FALSE(main.isVisible());
  main.tray->EndSession();
  EXPECT_FALSE(main.tray->icon().isVisible());
  EXPECT_TRUE(main.isVisible());
  EXPECT_TRUE(main.isMinimized());
}

TEST_F(MainFormTrayTest, CatalogueAndAboutOpenFromTheirCommands) {
  TMainForm& main = h.Main();
  main.Catalogue1->trigger();
  main.CatalogueButton->click();
  main.AboutRivolet1->trigger();
  EXPECT_EQ(h.shown_dialogs, (std::vector<QDialog*>{&h.app->CatalogueForm(),
                                                    &h.app->CatalogueForm(),
                                                    &h.app->AboutForm()}));
}

TEST_F(MainFormTrayTest, AboutShowsTheVersionAtEveryShowingAndLeadsToTheHelp) {
  TAboutForm& about = h.app->AboutForm();
  EXPECT_EQ(about.windowTitle(), "About Rivolet");
  EXPECT_EQ(about.size(), QSize(527, 433));
  for (int showing = 0; showing < 2; ++showing) {
    about.Label1->setText("x");
    about.show();
    EXPECT_EQ(about.Label1->text(), "0.51");
    EXPECT_EQ(about.Label1->pos(), QPoint(493, 181));
    about.hide();
  }
  about.show();
  for (ClickLabel* label :
       {about.tarvel, about.velmora, about.ls, about.cops}) {
    QTest::mouseClick(label, Qt::LeftButton);
  }
  // No web site: the logo and the credit open the help page.
  const std::string help = (h.dir / "help.html").string();
  EXPECT_EQ(h.desktop.opened, (std::vector<std::string>{help, help}));
  QTest::mouseClick(about.OK, Qt::LeftButton);
  EXPECT_FALSE(about.isVisible());
}

}  // namespace
}  // namespace rivolet
