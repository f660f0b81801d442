// Building the Catalogue dialog's components: the category list, the feed
// list, the page with the four fields of a feed, and the two buttons.
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

#include "dialogs/catalogue_form.h"
#include "widgets/artwork.h"
#include "widgets/components.h"

namespace rivolet {
namespace {

constexpr int kClientWidth = TCatalogueForm::kFrame.width;
constexpr int kClientHeight = TCatalogueForm::kFrame.height;
constexpr int kFieldWidth = 245;
constexpr int kRowHeight = 18;

ClickEdit* MakeField(QWidget* parent, const char* name, int left, int top) {
  auto* edit = PlaceEdit<ClickEdit>(parent, name, left, top, kFieldWidth);
  edit->setReadOnly(true);
  return edit;
}

}  // namespace

void TCatalogueForm::CreateComponents() {
  catCat = PlaceCaption(this, "catCat", "Categories", 8, 8);
  catFeeds = PlaceCaption(this, "catFeeds", "Feeds", 168, 8);

  catList = new QListWidget(this);
  catList->setObjectName("catList");
  catList->setGeometry(8, 24, 151, 302);
  catList->setSelectionMode(QAbstractItemView::SingleSelection);

  katalog = new QTableWidget(0, 4, this);
  katalog->setObjectName("katalog");
  katalog->setGeometry(168, 24, 367, 302);
  katalog->setHorizontalHeaderLabels(
      {"Feed Name", "Category", "Feed URL", "URL"});
  int column = 0;
  for (int width : {240, 150, 80, 50}) katalog->setColumnWidth(column++, width);
  katalog->horizontalHeader()->setStretchLastSection(false);
  katalog->horizontalHeader()->setSectionsClickable(false);
  katalog->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft |
                                                   Qt::AlignVCenter);
  katalog->verticalHeader()->hide();
  katalog->verticalHeader()->setDefaultSectionSize(kRowHeight);
  katalog->setShowGrid(true);
  katalog->setWordWrap(false);
  katalog->setSelectionBehavior(QAbstractItemView::SelectRows);
  katalog->setSelectionMode(QAbstractItemView::SingleSelection);
  katalog->setEditTriggers(QAbstractItemView::NoEditTriggers);
  katalog->setTabKeyNavigation(false);

  catView = new QTabWidget(this);
  catView->setObjectName("catView");
  catView->setGeometry(8, 334, 528, 123);
  CreateFeedPage();

  catAdd = PlaceButton(this, "catAdd", "Add", {368, 462, 80, 25});
  CatClose = PlaceButton(this, "CatClose", "Close", {452, 462, 80, 25});
  CatClose->setDefault(true);

  setTabOrder(katalog, CatClose);
  setTabOrder(CatClose, catView);
  setTabOrder(catView, kat1edit);
  setTabOrder(kat1edit, kat2edit);
  setTabOrder(kat2edit, kat3edit);
  setTabOrder(kat3edit, kat4edit);
  setTabOrder(kat4edit, catList);
  setTabOrder(catList, catAdd);
}

void TCatalogueForm::CreateFeedPage() {
  Catalogues = new QWidget;
  Catalogues->setObjectName("Catalogues");
  catView->addTab(Catalogues, "Feed");

  panel_ = FillWithWhitePanel(Catalogues, "CataloguesPanel");

  kat1 = PlaceCaption(panel_, "kat1", "Feed Name", 8, 5);
  kat1edit = MakeField(panel_, "kat1edit", 8, 21);
  kat2 = PlaceCaption(panel_, "kat2", "Category", 8, 48);
  kat2edit = MakeField(panel_, "kat2edit", 8, 64);
  kat3 = PlaceCaption(panel_, "kat3", "Feed URL", 264, 5);
  kat3edit = MakeField(panel_, "kat3edit", 264, 21);
  kat4 = PlaceCaption(panel_, "kat4", "URL", 264, 48);
  kat4edit = MakeField(panel_, "kat4edit", 264, 64);
}

}  // namespace rivolet
