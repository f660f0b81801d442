// Building the Feeds' Management dialog's components: the list of feeds with
// its popup menu, the "Edit" page with the four fields, and the buttons.
#include <QAction>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

#include "dialogs/management_form.h"
#include "widgets/artwork.h"
#include "widgets/components.h"
#include "widgets/keys.h"
#include "widgets/whole_text_tips.h"

namespace rivolet {
namespace {

constexpr int kClientWidth = TManagementForm::kFrame.width;
constexpr int kClientHeight = TManagementForm::kFrame.height;
constexpr int kRowHeight = 17;
constexpr int kPeriodLimit = 5;

QAction* MakeAction(QMenu* menu, const char* name, const char* caption,
                    QKeySequence shortcut) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  action->setShortcut(shortcut);
  return action;
}

}  // namespace

void TManagementForm::CreateComponents() {
  CreateList();
  CreateEditPage();
  CreateButtons();
}

void TManagementForm::CreateList() {
  ManageRssList = new QTableWidget(0, 4, this);
  ManageRssList->setObjectName("ManageRssList");
  ManageRssList->setGeometry(6, 8, 529, 302);
  ManageRssList->setFrameShape(QFrame::Box);
  ManageRssList->setShowGrid(true);
  ManageRssList->setSelectionBehavior(QAbstractItemView::SelectRows);
  ManageRssList->setSelectionMode(QAbstractItemView::SingleSelection);
  ManageRssList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ManageRssList->setWordWrap(false);
  ManageRssList->setTabKeyNavigation(false);
  ManageRssList->setHorizontalHeaderLabels(
      {"Feed Name", "Category", "Update period", "URL"});
  QHeaderView* header = ManageRssList->horizontalHeader();
  header->setStretchLastSection(false);
  header->setSectionsClickable(true);
  header->setHighlightSections(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  // "Update period" must fit its narrow column in faces wider than Tahoma.
  QFont header_font = WindowFont(11);
  header_font.setStretch(QFont::SemiCondensed);
  header->setFont(header_font);
  int column = 0;
  for (int width : {240, 150, 80, 50}) {
    ManageRssList->setColumnWidth(column++, width);
  }
  ManageRssList->verticalHeader()->hide();
  ManageRssList->verticalHeader()->setMinimumSectionSize(kRowHeight);
  ManageRssList->verticalHeader()->setDefaultSectionSize(kRowHeight);
  ManageRssList->setContextMenuPolicy(Qt::CustomContextMenu);
  ShowWholeTextTips(ManageRssList);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  MoveUp1 = MakeAction(PopupMenu1, "MoveUp1", "Move Up",
                       QKeySequence(Qt::CTRL | Qt::Key_Up));
  MoveDown1 = MakeAction(PopupMenu1, "MoveDown1", "Move Down",
                         QKeySequence(Qt::CTRL | Qt::Key_Down));
  N1 = PopupMenu1->addSeparator();
  N1->setObjectName("N1");
  Delete1 =
      MakeAction(PopupMenu1, "Delete1", "Delete", QKeySequence(Qt::Key_Delete));
  // The shortcuts act while the list has the focus, without the popup.
  for (QAction* action : {MoveUp1, MoveDown1, Delete1}) {
    action->setShortcutContext(Qt::WidgetShortcut);
    ManageRssList->addAction(action);
  }
}

void TManagementForm::CreateEditPage() {
  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName("PageControl1");
  PageControl1->setGeometry(6, 318, 529, 147);
  ManageEdit = new QWidget;
  ManageEdit->setObjectName("ManageEdit");
  PageControl1->addTab(ManageEdit, "Edit");

  Panel1 = FillWithWhitePanel(ManageEdit, "Panel1");

  EditFeedName = PlaceCaption(Panel1, "EditFeedName", "Feed Name", 8, 5);
  Edit1 = PlaceEdit(Panel1, "Edit1", 8, 21, 245);
  EditCategory = PlaceCaption(Panel1, "EditCategory", "Category", 8, 48);
  Edit2 = PlaceEdit(Panel1, "Edit2", 8, 64, 245);
  EditUpdatePeriod =
      PlaceCaption(Panel1, "EditUpdatePeriod", "Update Period", 264, 5);
  Edit3 = PlaceEdit<KeyUpEdit>(Panel1, "Edit3", 264, 21, 201);
  LimitTyping(Edit3, kPeriodLimit);
  EditUnit = PlaceCaption(Panel1, "EditUnit", "minutes", 472, 24);
  EditURL = PlaceCaption(Panel1, "EditURL", "URL", 264, 48);
  Edit4 = PlaceEdit(Panel1, "Edit4", 264, 64, 245);
  EditEdit = PlaceButton(Panel1, "EditEdit", "OK", {8, 90, 75, 23});
}

void TManagementForm::CreateButtons() {
  EditUp = PlaceButton(this, "EditUp", "Move Up", {6, 472, 80, 25});
  EditDown = PlaceButton(this, "EditDown", "Move Down", {91, 472, 80, 25});
  EditDelete = PlaceButton(this, "EditDelete", "Delete", {176, 472, 80, 25});
  ManageOK = PlaceButton(this, "ManageOK", "OK", {372, 472, 80, 25});
  ManageOK->setDefault(true);
  ManageCancel =
      PlaceButton(this, "ManageCancel", "Cancel", {457, 472, 80, 25});
}

}  // namespace rivolet
