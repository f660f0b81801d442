// The main window's remembered position: restored at creation, written at
// close with the Options dialog's check box, and the Options command.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <filesystem>

#include "dialogs/options_form.h"
#include "tests/support/ui/app_harness.h"

namespace rivolet {
namespace {

using testing::AppHarness;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

TEST(MainFormPosition, FirstCloseRemembersTheCentredPosition) {
  AppHarness h;
  h.Start();
  const QSize size = h.Main().sizeHint();
  const QPoint centred((1024 - size.width()) / 2, (768 - size.height()) / 2);
  EXPECT_EQ(h.Main().pos(), centred);
  ASSERT_TRUE(h.Close());
  EXPECT_EQ(
      ReadFileBytes(h.dir / "rivolet.ini"),
      "[general]\r\nremember_pos=1\r\nleft=" + std::to_string(centred.x()) +
          "\r\ntop=" + std::to_string(centred.y()) + "\r\n");
}

TEST(MainFormPosition, StoredPositionIsRestoredOrBroughtBackOnScreen) {
  struct Case {
    const char* ini;
    bool centred;
    QPoint at;  // when not centred; x or y -1: at the far edge
  };
  const Case cases[] = {
      // Under the top panel: just below it, the whole window in reach.
      {"[general]\nremember_pos=1\nleft=0\ntop=0\n", false, {0, 30}},
      {"[general]\nremember_pos=1\nleft=20\ntop=40\n", false, {20, 40}},
      {"[general]\nremember_pos=1\nleft=1700\ntop=-900\n", false, {-1, 0}},
      {"[general]\nremember_pos=1\nleft=-1300\ntop=90\n", false, {0, 90}},
      {"[general]\nremember_pos=0\nleft=100\ntop=200\n", true, {}},
  };
  for (const Case& c : cases) {
    AppHarness h;
    // A panel along the top of the first screen; a second screen to its
    // right.
    h.desktop.screens = {{{0, 0, 1024, 768}, {0, 30, 1024, 738}},
                         {{1024, 0, 800, 600}, {1024, 0, 800, 600}}};
    WriteFileBytes(h.dir / "rivolet.ini", c.ini);
    h.Start();
    const QSize size = h.Main().sizeHint();
    QPoint expected = c.at;
    if (c.centred) {
      expected = {(1024 - size.width()) / 2, (768 - size.height()) / 2};
    } else if (c.at.x() < 0) {
      expected.setX(1024 + 800 - size.width());
    }
    EXPECT_EQ(h.Main().pos(), expected) << c.ini;
  }
}

TEST(MainFormPosition, CloseWritesTheBoxAsConfirmedNotAsCancelled) {
  AppHarness h;
  WriteFileBytes(h.dir / "rivolet.ini",
                 "[general]\nremember_pos=1\nleft=100\ntop=200\n");
  h.Start();
  h.Main().N2->trigger();
  ASSERT_EQ(h.shown_dialogs.size(), 1u);
  TOptionsForm& options = h.app->OptionsForm();
  EXPECT_EQ(h.shown_dialogs[0], &options);
  options.show();
  options.oRePosMS->click();
  options.OptionsCaB->click();
  h.Main().move(300, 40);
  ASSERT_TRUE(h.Close());
  EXPECT_EQ(ReadFileBytes(h.dir / "rivolet.ini"),
            "[general]\nremember_pos=1\nleft=300\ntop=40\n");
}

TEST(MainFormPosition,
     SettingsThatCannotBeWrittenAreReportedAndTheCloseGoesOn) {
  AppHarness h;
  h.Start();
  std::filesystem::create_directory(h.dir / "rivolet.ini");
  EXPECT_TRUE(h.Close());
  EXPECT_TRUE(std::filesystem::exists(h.dir / "feeds.che"));
  EXPECT_TRUE(std::filesystem::exists(h.dir / "language.dat"));
  EXPECT_EQ(h.ErrorTexts(),
            std::vector<std::string>{"Unable to write to " +
                                     (h.dir / "rivolet.ini").string() + "."});
}

}  // namespace
}  // namespace rivolet
