// The Feeds' Management dialog on the offscreen platform: its layout, and the
// wiring of the list, its header, its popup shortcuts and the buttons to the
// working copy. The rules themselves are tested on the core
// (management_test.cpp).
#include "dialogs/management_form.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <string>
#include <vector>

#include "platform/text_bridge.h"
#include "tests/support/ui/recording_desktop.h"
#include "tests/support/ui/window_checks.h"
#include "widgets/keys.h"
#include "widgets/whole_text_tips.h"

namespace rivolet {
namespace {

class ManagementFormTest : public ::testing::Test {
 protected:
  ManagementFormTest() : scoped_(&desktop), form(list) {
    list.Append("Wiadomo\x9C\x63i", "Kraj", "60", "http://w.example/rss");
    list.Append("Gazeta Wyborcza", "Kraj", "120", "http://g.example/rss");
    list.Append("Kultura", "Sztuka", "9", "http://k.example/rss");
  }

  void Open() { testing::ShowActive(form); }

  // The names the list shows, top to bottom.
  std::vector<std::string> ShownNames() const {
    std::vector<std::string> names;
    for (int row = 0; row < form.ManageRssList->rowCount(); ++row) {
      names.push_back(FromQt(form.ManageRssList->item(row, 0)->text()));
    }
    return names;
  }

  std::vector<std::string> ListNames() const {
    std::vector<std::string> names;
    for (const FeedEntry& e : list.entries()) names.push_back(e.name);
    return names;
  }

  void ClickRow(int row) {
    QTableWidget* table = form.ManageRssList;
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      table->visualItemRect(table->item(row, 0)).center());
  }

  void ClickHeader(int column) {
    QHeaderView* header = form.ManageRssList->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 10, 5));
  }

  RecordingDesktop desktop;
  ScopedDesktop scoped_;
  FeedList list;
  TManagementForm form;
};

TEST_F(ManagementFormTest, Layout) {
  EXPECT_EQ(form.windowTitle(), "Feeds' Management");
  EXPECT_EQ(form.size(), QSize(542, 502));
  const std::vector<testing::Placed> placed = {
      {"ManageRssList", {6, 8, 529, 302}},
      {"PageControl1", {6, 318, 529, 147}},
      {"EditFeedName", {8, 5, 0, 0}},
      {"Edit1", {8, 21, 245, 0}},
      {"EditCategory", {8, 48, 0, 0}},
      {"Edit2", {8, 64, 245, 0}},
      {"EditUpdatePeriod", {264, 5, 0, 0}},
      {"Edit3", {264, 21, 201, 0}},
      {"EditUnit", {472, 24, 0, 0}},
      {"EditURL", {264, 48, 0, 0}},
      {"Edit4", {264, 64, 245, 0}},
      {"EditEdit", {8, 90, 75, 23}},
      {"EditUp", {6, 472, 80, 25}},
      {"EditDown", {91, 472, 80, 25}},
      {"EditDelete", {176, 472, 80, 25}},
      {"ManageOK", {372, 472, 80, 25}},
      {"ManageCancel", {457, 472, 80, 25}},
  };
  testing::ExpectPlaced(form, placed);
  const std::vector<std::pair<std::string, int>> columns = {
      {"Feed Name", 240},
      {"Category", 150},
      {"Update period", 80},
      {"URL", 50}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(form.ManageRssList->horizontalHeaderItem(i)->text().toStdString(),
              columns[i].first);
    EXPECT_EQ(form.ManageRssList->columnWidth(i), columns[i].second);
  }
  EXPECT_EQ(form.PageControl1->tabText(0), "Edit");
  Open();  // a cell too narrow for its text tells all of it
  QTableWidget* rows = form.ManageRssList;
  EXPECT_EQ(WholeTextTip(rows, rows->visualItemRect(rows->item(1, 3)).center()),
            "http://g.example/rss");
  EXPECT_EQ(form.Edit3->maxLength(), 5);
  EXPECT_EQ(form.MoveUp1->shortcut(), QKeySequence("Ctrl+Up"));
  EXPECT_EQ(form.MoveDown1->shortcut(), QKeySequence("Ctrl+Down"));
  EXPECT_EQ(form.Delete1->shortcut(), QKeySequence("Del"));
  EXPECT_TRUE(form.N1->isSeparator());
}

TEST_F(ManagementFormTest, TheEditsFollowTheSelectionHoweverItMoves) {
  list.Append("Long", "Kraj", "1234567", "http://l.example/rss");
  form.Edit1->setText("kept");
  Open();
  EXPECT_EQ(ShownNames(), ListNames());
  EXPECT_FALSE(form.working_copy().selection());
  EXPECT_EQ(form.Edit1->text(), "kept");
  EXPECT_TRUE(form.ManageRssList->hasFocus());

  ClickRow(1);
  EXPECT_EQ(form.Edit1->text(), "Gazeta Wyborcza");
  EXPECT_EQ(form.Edit3->text(), "120");
  EXPECT_EQ(form.Edit4->text(), "http://g.example/rss");
  QTest::keyClick(form.ManageRssList, Qt::Key_Down);
  EXPECT_EQ(form.ManageRssList->currentRow(), 2);
  EXPECT_EQ(form.Edit1->text(), "Kultura");

  // Edit3 keeps the period key rule; a filled field starts at its left.
  QTest::keyClicks(form.Edit3, "5");
  EXPECT_EQ(form.Edit3->text(), "59");
  QTest::keyClick(form.Edit3, Qt::Key_A);
  EXPECT_EQ(form.Edit3->text(), "");
  ClickRow(3);  // a period longer than typing allows is shown whole
  EXPECT_EQ(form.Edit3->text(), "1234567");
}

// Ctrl+End selects the last row: the edits show it, the small OK writes
// into it, and OK stores every feed once.
TEST_F(ManagementFormTest, CtrlEndThenTheSmallOkEditsTheLastRow) {
  Open();
  ClickRow(0);
  QTest::keyClick(form.ManageRssList, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(form.Edit1->text(), "Kultura");
  form.Edit1->setText("Kultura i Sztuka");
  QTest::mouseClick(form.EditEdit, Qt::LeftButton);
  QTest::mouseClick(form.ManageOK, Qt::LeftButton);
  EXPECT_EQ(ListNames(),
            (std::vector<std::string>{"Wiadomo\x9C\x63i", "Gazeta Wyborcza",
                                      "Kultura i Sztuka"}));
}

TEST_F(ManagementFormTest, HeaderSortOutlivesTheOpeningAndOnlyOkKeepsIt) {
  Open();
  ClickHeader(2);  // ascending, textually: 120, 60, 9
  EXPECT_EQ(ShownNames(),
            (std::vector<std::string>{"Gazeta Wyborcza", "Wiadomo\x9C\x63i",
                                      "Kultura"}));
  const std::vector<std::string> stored = ListNames();
  QTest::mouseClick(form.ManageCancel, Qt::LeftButton);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(ListNames(), stored);

  Open();
  EXPECT_EQ(ShownNames(), stored);
  ClickHeader(2);  // the direction carried over: descending now
  EXPECT_FALSE(form.sort().ascending);
  QTest::mouseClick(form.ManageOK, Qt::LeftButton);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(ListNames(),
            (std::vector<std::string>{"Kultura", "Wiadomo\x9C\x63i",
                                      "Gazeta Wyborcza"}));
}

TEST_F(ManagementFormTest, ApplyMoveAndDeleteActOnTheSelectedRow) {
  Open();
  QTest::mouseClick(form.EditEdit, Qt::LeftButton);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].kind, MessageKind::kInformation);
  EXPECT_EQ(desktop.messages[0].text, "Please select feed!");

  ClickRow(2);
  form.Edit1->setText("Kultura i Sztuka");
  QTest::mouseClick(form.EditEdit, Qt::LeftButton);
  EXPECT_TRUE(form.ManageRssList->hasFocus());
  // Ctrl+Up on the list walks the feed to the top and no further.
  for (int i = 0; i < 3; ++i) {
    QTest::keyClick(form.ManageRssList, Qt::Key_Up, Qt::ControlModifier);
  }
  EXPECT_EQ(ShownNames()[0], "Kultura i Sztuka");
  EXPECT_EQ(form.ManageRssList->currentRow(), 0);
  QTest::mouseClick(form.EditDown, Qt::LeftButton);
  EXPECT_EQ(ShownNames()[1], "Kultura i Sztuka");

  // Delete asks first, naming the feed; No keeps the row, Yes removes it
  // and the edits show the row that takes its place.
  QTest::keyClick(form.ManageRssList, Qt::Key_Delete);
  EXPECT_EQ(ShownNames().size(), 3u);
  desktop.SetNextAnswer(MessageAnswer::kYes);
  QTest::mouseClick(form.EditDelete, Qt::LeftButton);
  ASSERT_EQ(desktop.messages.size(), 3u);
  EXPECT_EQ(desktop.messages[1].kind, MessageKind::kQuestion);
  EXPECT_EQ(desktop.messages[1].text, "Delete the feed \"Kultura i Sztuka\"?");
  EXPECT_EQ(ShownNames(),
            (std::vector<std::string>{"Wiadomo\x9C\x63i", "Gazeta Wyborcza"}));
  EXPECT_EQ(form.Edit1->text(), "Gazeta Wyborcza");
  EXPECT_EQ(list.Count(), 3u);  // only OK writes back

  // With nothing selected the question is still asked and changes nothing.
  form.ManageRssList->clearSelection();
  desktop.SetNextAnswer(MessageAnswer::kYes);
  QTest::mouseClick(form.EditDelete, Qt::LeftButton);
  ASSERT_EQ(desktop.messages.size(), 4u);
  EXPECT_EQ(desktop.messages[3].text, "Are you sure?");
  EXPECT_EQ(ShownNames().size(), 2u);
}

// A category the list cannot keep whole is shown as it would read; going
// back stores nothing.
TEST_F(ManagementFormTest, LostLettersAreToldBeforeTheSmallOkStoresThem) {
  Open();
  ClickRow(0);
  form.Edit2->setText(QString::fromUtf8("\xD0\xAF"));
  QTest::mouseClick(form.EditEdit, Qt::LeftButton);
  EXPECT_EQ(form.working_copy().rows()[0].fields[0], "Kraj");
  desktop.choice_answers.push_back(0);  // store it so
  QTest::mouseClick(form.EditEdit, Qt::LeftButton);
  EXPECT_EQ(form.working_copy().rows()[0].fields[0], "?");
}

TEST_F(ManagementFormTest,
       EnterInAFieldPressesOkWithoutApplyingEscapeDoesNothing) {
  Open();
  ClickRow(0);
  form.Edit1->setFocus();
  form.Edit1->setText("Changed");
  QTest::keyClick(form.Edit1, Qt::Key_Escape);
  EXPECT_TRUE(form.isVisible());
  QTest::keyClick(form.Edit1, Qt::Key_Return);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(list.Entry(0).name, "Wiadomo\x9C\x63i");
}

}  // namespace
}  // namespace rivolet
