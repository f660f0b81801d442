// The main window.
#include "app/main_form.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <system_error>

#include "app/application.h"
#include "common/links.h"
#include "common/text.h"
#include "dialogs/information_form.h"
#include "feeds/feed_rules.h"
#include "platform/artwork.h"
#include "platform/desktop.h"
#include "platform/guard.h"
#include "platform/link_label.h"
#include "platform/text_bridge.h"
#include "platform/widgets.h"
#include "reader/item_display.h"

namespace rivolet {
namespace {

constexpr int kClientWidth = 312;
constexpr int kClientHeight = 430;
constexpr int kTitleWidth = 280;
const QColor kCountColour(206, 206, 206);

// Qt reads "&" in captions as a keyboard marker; feed names and categories
// show it literally.
QString LiteralCaption(std::string_view text) {
  return ToQt(text).replace('&', "&&");
}

template <typename Label = QLabel>
Label* MakeLabel(QWidget* parent, const char* name, int left, int top,
                 int pixel_size, bool bold = false) {
  Label* label = PlaceLabel<Label>(parent, name, left, top);
  label->setFont(WindowFont(pixel_size, bold));
  return label;
}

// Height of a word-wrapped label at its fixed width; an empty label takes no
// room, so the labels below it move up.
int WrappedHeight(QLabel* label) {
  if (label->text().isEmpty()) return 0;
  return label->heightForWidth(label->width());
}

}  // namespace

TMainForm::TMainForm(RivoletApp& app) : http(app.http_settings()), app_(app) {
  setObjectName("MainForm");
  setWindowTitle("Rivolet");
  setWindowIcon(QIcon(ProgramIcon()));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFont(WindowFont(11));

  auto* client = new QWidget(this);
  client->setObjectName("ClientArea");
  client->setFixedSize(kClientWidth, kClientHeight);
  setCentralWidget(client);
  CreateMenus();
  CreateToolBar(client);

  Zakladki = new QTabWidget(client);
  Zakladki->setObjectName("Zakladki");
  Zakladki->setGeometry(4, 44, 304, 366);
  CreateFeedsPage();
  CreateViewPage();

  tarvelsite = MakeLabel<ClickLabel>(client, "tarvelsite", 4, 414, 11);
  tarvelsite->setText(kMakerSiteName);
  tarvelsite->adjustSize();
  connect(tarvelsite, &ClickLabel::clicked, this,
          [this] { Guarded([this] { tarvelsiteClick(); }); });

  layout()->setSizeConstraint(QLayout::SetFixedSize);
  Guarded([this] { FormCreate(); });
}

TMainForm::~TMainForm() = default;

void TMainForm::CreateMenus() {
  auto add_action = [this](QMenu* menu, const char* name, const char* caption,
                           QKeySequence shortcut = {}) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    return action;
  };
  File1 = menuBar()->addMenu("&File");
  File1->setObjectName("File1");
  Newchannel1 =
      add_action(File1, "Newchannel1", "&New feed", QKeySequence("Ctrl+N"));
  N2 = add_action(File1, "N2", "&Options");
  ChannelsManagement1 =
      add_action(File1, "ChannelsManagement1", "&Feeds' Management",
                 QKeySequence("Ctrl+M"));
  Catalogue1 = add_action(File1, "Catalogue1", "Catalogue");
  File1->addSeparator();
  Exit1 = add_action(File1, "Exit1", "&Exit");
  connect(Exit1, &QAction::triggered, this, &QWidget::close);

  Languages1 = menuBar()->addMenu("&Languages");
  Languages1->setObjectName("Languages1");

  Help1 = menuBar()->addMenu("&Help");
  Help1->setObjectName("Help1");
  Help3 = add_action(Help1, "Help3", "Pomoc (PL)");
  HelpEN1 = add_action(Help1, "HelpEN1", "Help (EN)");
  Help1->addSeparator();
  AboutRivolet1 = add_action(Help1, "AboutRivolet1", "&About Rivolet");
  connect(Help3, &QAction::triggered, this,
          [this] { Guarded([this] { Help3Click(); }); });
  connect(HelpEN1, &QAction::triggered, this,
          [this] { Guarded([this] { HelpEN1Click(); }); });
}

void TMainForm::CreateToolBar(QWidget* client) {
  ToolBar1 = new QToolBar(client);
  ToolBar1->setObjectName("ToolBar1");
  ToolBar1->setGeometry(0, 0, kClientWidth, 42);
  ToolBar1->setMovable(false);
  ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  ToolBar1->setIconSize(QSize(16, 16));
  auto add_button = [this](const char* name, const char* caption,
                           const QPixmap& image) {
    auto* button = new QToolButton(ToolBar1);
    button->setObjectName(name);
    button->setText(caption);
    button->setIcon(QIcon(image));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setCursor(Qt::PointingHandCursor);
    button->setAutoRaise(true);
    ToolBar1->addWidget(button);
    return button;
  };
  ChooseButton = add_button("ChooseButton", "Choose feed", ChooseFeedImage());
  AddButton = add_button("AddButton", "Add feed", AddFeedImage());
  ManagementButton = add_button("ManagementButton", "Feeds", FeedsImage());
  CatalogueButton =
      add_button("CatalogueButton", "Catalogue", CatalogueImage());
  connect(ChooseButton, &QToolButton::clicked, this,
          [this] { Guarded([this] { ChooseButtonClick(); }); });

  FeedMenu = new QMenu(this);
  FeedMenu->setObjectName("FeedMenu");
  FeedMenu->addAction(" ");  // the placeholder before the first opening
}

void TMainForm::CreateFeedsPage() {
  ChannelsTab = new QWidget;
  ChannelsTab->setObjectName("ChannelsTab");
  Zakladki->addTab(ChannelsTab, "Feeds");

  main_channels = new QTreeWidget(ChannelsTab);
  main_channels->setObjectName("main_channels");
  main_channels->setGeometry(0, 0, 297, 306);
  main_channels->setFrameShape(QFrame::NoFrame);
  main_channels->setCursor(Qt::PointingHandCursor);
  main_channels->setColumnCount(2);
  main_channels->setHeaderLabels({"", "Title"});
  main_channels->header()->hide();
  main_channels->header()->setStretchLastSection(false);
  main_channels->setColumnWidth(0, 20);
  main_channels->setColumnWidth(1, 260);
  main_channels->setRootIsDecorated(false);
  main_channels->setUniformRowHeights(true);
  main_channels->setIndentation(0);
  main_channels->setSelectionBehavior(QAbstractItemView::SelectRows);
  main_channels->setSelectionMode(QAbstractItemView::SingleSelection);
  main_channels->setEditTriggers(QAbstractItemView::NoEditTriggers);
  main_channels->setIconSize(QSize(16, 16));
  main_channels->setFont(WindowFont(11));
  main_channels->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(main_channels, &QTreeWidget::itemDoubleClicked, this,
          [this] { Guarded([this] { main_channelsDblClick(); }); });

  MainChannelsListPopup = new QMenu(this);
  MainChannelsListPopup->setObjectName("MainChannelsListPopup");
  Shortdescription1 = MainChannelsListPopup->addAction("Short description");
  Shortdescription1->setObjectName("Shortdescription1");
  Shortdescription1->setShortcut(QKeySequence("Ctrl+D"));
  MainChannelsListPopup->setDefaultAction(Shortdescription1);
  Openinbrowser1 = MainChannelsListPopup->addAction("Open in browser");
  Openinbrowser1->setObjectName("Openinbrowser1");
  Openinbrowser1->setShortcut(QKeySequence("Ctrl+B"));
  // The shortcuts work from the list without opening the popup.
  main_channels->addAction(Shortdescription1);
  main_channels->addAction(Openinbrowser1);
  Shortdescription1->setShortcutContext(Qt::WidgetShortcut);
  Openinbrowser1->setShortcutContext(Qt::WidgetShortcut);
  connect(Shortdescription1, &QAction::triggered, this,
          [this] { Guarded([this] { Shortdescription1Click(); }); });
  connect(Openinbrowser1, &QAction::triggered, this,
          [this] { Guarded([this] { Openinbrowser1Click(); }); });
  connect(main_channels, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) {
            MainChannelsListPopup->popup(
                main_channels->viewport()->mapToGlobal(at));
          });

  auto count_label = [this](const char* name, int left, int top,
                            const char* text) {
    QLabel* label = MakeLabel(ChannelsTab, name, left, top, 11);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kCountColour);
    label->setPalette(palette);
    label->setText(text);
    label->adjustSize();
    return label;
  };
  lNewsNoLabel = count_label("lNewsNoLabel", 1, 311, "Total:");
  lNewsNo = count_label("lNewsNo", 35, 311, "");
  lUnread = count_label("lUnread", 56, 311, "Unread:");
  lUnreadNo = count_label("lUnreadNo", 102, 312, "");
  lNewsNoLabel->hide();
  lUnread->hide();
  lUnreadNo->hide();
}

void TMainForm::CreateViewPage() {
  ViewTab = new QWidget;
  ViewTab->setObjectName("ViewTab");
  Zakladki->addTab(ViewTab, "");
  Zakladki->tabBar()->setTabVisible(1, false);

  Panel3 = new QFrame(ViewTab);
  Panel3->setObjectName("Panel3");
  Panel3->setGeometry(0, 0, 300, 325);
  Panel3->setAutoFillBackground(true);
  QPalette white = Panel3->palette();
  white.setColor(QPalette::Window, Qt::white);
  Panel3->setPalette(white);

  item_title = MakeLabel<ClickLabel>(Panel3, "item_title", 2, 2, 13, true);
  item_title->setWordWrap(true);
  item_desc = MakeLabel(Panel3, "item_desc", 2, 16, 11);
  item_desc->setWordWrap(true);
  item_desc->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  item_date = MakeLabel(Panel3, "item_date", 2, 48, 9);
  item_man = MakeLabel(Panel3, "item_man", 2, 64, 9);

  img_readmore = MakeLabel<ClickLabel>(Panel3, "img_readmore", 8, 288, 11);
  img_readmore->SetHoverUnderline(false);
  img_readmore->setPixmap(ReadMoreImage());
  img_readmore->setFixedSize(32, 32);
  labelWiecej = MakeLabel<ClickLabel>(Panel3, "labelWiecej", 48, 296, 11);
  labelWiecej->setText("Read more...");
  labelWiecej->adjustSize();
  img_inf = MakeLabel<ClickLabel>(Panel3, "img_inf", 160, 288, 11);
  img_inf->SetHoverUnderline(false);
  img_inf->setPixmap(InformationImage());
  img_inf->setFixedSize(32, 32);
  about_feed_l = MakeLabel<ClickLabel>(Panel3, "about_feed_l", 200, 296, 11);
  about_feed_l->setText("About feed");
  about_feed_l->adjustSize();

  for (ClickLabel* link : {item_title, img_readmore, labelWiecej}) {
    connect(link, &ClickLabel::clicked, this,
            [this] { Guarded([this] { OpenItemLink(); }); });
  }
  for (ClickLabel* link : {img_inf, about_feed_l}) {
    connect(link, &ClickLabel::clicked, this,
            [this] { Guarded([this] { AboutFeedClick(); }); });
  }
  connect(Zakladki, &QTabWidget::currentChanged, this, [this](int index) {
    if (Zakladki->widget(index) == ViewTab) Guarded([this] { FillItemView(); });
  });
}

bool TMainForm::WindowNameTaken(std::string_view name) {
  for (const char* window :
       {"MainForm", "NewForm", "ManagementForm", "AktualizacjaForm",
        "AboutForm", "OptionsForm", "CatalogueForm", "InformationForm"}) {
    if (name == window) return true;
  }
  return false;
}

bool TMainForm::ComponentExists(std::string_view name) const {
  return findChild<QObject*>(ToQt(name)) != nullptr;
}

void TMainForm::FormCreate() {
  CentreOnScreen(this, sizeHint());
  // A failed registration is reported, and the start goes on: skipping the
  // rest would start with an empty list and save it over the stored one.
  Guarded([this] { CurrentDesktop().RegisterFileType(app_.executable()); });
  app_.feed_store.LoadStored(
      app_.feed_list, app_.feed_list_control, WindowNameTaken,
      [this](std::string_view name) { return ComponentExists(name); });
  Zakladki->setCurrentWidget(ChannelsTab);
}

void TMainForm::FormShow() {
  if (app_.arguments().empty()) return;
  const std::filesystem::path file(app_.arguments().front());
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return;
  app_.feed_store.LoadFrom(
      file, app_.feed_list, app_.feed_list_control, WindowNameTaken,
      [this](std::string_view name) { return ComponentExists(name); });
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_once_) return;
  shown_once_ = true;
  Guarded([this] { FormShow(); });
}

bool TMainForm::FormCloseQuery() {
  // The feed list is saved first; a failed save is reported, keeps the old
  // file, and does not stop the close.
  Guarded(
      [this] { app_.feed_store.Save(app_.feed_list, app_.feed_list_control); });
  std::error_code ec;
  std::filesystem::remove(app_.exe_folder() / "temp.xml", ec);
  return true;
}

void TMainForm::closeEvent(QCloseEvent* event) {
  bool closing = false;
  Guarded([&] { closing = FormCloseQuery(); });
  if (closing) {
    event->accept();
  } else {
    event->ignore();
  }
}

// ---- Feed menu and item list ----

void TMainForm::ChooseButtonClick() {
  BuildFeedMenu();
  FeedMenu->popup(QCursor::pos());
}

void TMainForm::BuildFeedMenu() {
  FeedMenu->clear();
  for (const MenuHeading& heading : GroupByCategory(app_.feed_list)) {
    QMenu* sub = FeedMenu->addMenu(LiteralCaption(heading.caption));
    for (std::size_t index : heading.entries) {
      QAction* action =
          sub->addAction(LiteralCaption(app_.feed_list.Entry(index).name));
      action->setData(QVariant::fromValue<qulonglong>(index));
      connect(action, &QAction::triggered, this, [this, index] {
        Guarded([this, index] { FeedMenuItemClick(index); });
      });
    }
  }
}

void TMainForm::FeedMenuItemClick(std::size_t feed_index) {
  main_channels->clear();
  if (feed_index >= app_.feed_list.Count()) return;
  const std::string url = app_.feed_list.Entry(feed_index).Url();
  app_.current_feed_url = url;
  ApplyFeedRead(ReadFeed(HttpGetText(http, url)));
}

void TMainForm::ApplyFeedRead(const FeedReadResult& result) {
  item_table = result.items;
  channel_title = result.channel_title;
  temp = result.rest;
  setWindowTitle(ToQt(result.window_title));

  const QString total = QString::number(result.total);
  lNewsNo->setText(total);
  lUnreadNo->setText(total);
  lNewsNoLabel->show();
  lUnread->show();
  lUnreadNo->show();
  LayOutCountLabels();

  main_channels->clear();
  QList<QTreeWidgetItem*> rows;
  for (int k = 0; k < result.items.count; ++k) {
    auto* row = new QTreeWidgetItem;
    row->setText(1, ToQt(ItemRowText(result.items.records[k].title)));
    SetMark(row, 0);
    rows.append(row);
  }
  main_channels->addTopLevelItems(rows);
}

void TMainForm::LayOutCountLabels() {
  for (QLabel* label : {lNewsNoLabel, lNewsNo, lUnread, lUnreadNo})
    label->adjustSize();
  const int a = lNewsNoLabel->x() + lNewsNoLabel->width();
  lNewsNo->move(a + 1, lNewsNo->y());
  lUnread->move(a + lNewsNo->width() + 5, lUnread->y());
  lUnreadNo->move(a + lNewsNo->width() + lUnread->width() + 10, lUnreadNo->y());
}

void TMainForm::SetMark(QTreeWidgetItem* row, int mark) {
  row->setData(0, Qt::UserRole, mark);
  row->setIcon(0, QIcon(mark == 0 ? UnreadMark() : ReadMark()));
}

int TMainForm::RowMark(int row) const {
  QTreeWidgetItem* item = main_channels->topLevelItem(row);
  return item ? item->data(0, Qt::UserRole).toInt() : -1;
}

int TMainForm::UnreadCount() const {
  int unread = 0;
  for (int i = 0; i < main_channels->topLevelItemCount(); ++i) {
    if (RowMark(i) == 0) ++unread;
  }
  return unread;
}

void TMainForm::main_channelsDblClick() {
  const QList<QTreeWidgetItem*> selected = main_channels->selectedItems();
  if (selected.isEmpty()) return;
  QTreeWidgetItem* row = selected.front();
  const int index = main_channels->indexOfTopLevelItem(row);
  ShowItem(index);
  SetMark(row, 1);
  lUnreadNo->setText(QString::number(UnreadCount()));
  lUnreadNo->adjustSize();
}

// ---- Item view and links ----

void TMainForm::ShowItem(int index) {
  current_item_index = index;
  if (Zakladki->currentWidget() == ViewTab) {
    FillItemView();
  } else {
    Zakladki->setCurrentWidget(ViewTab);  // fills the view
  }
  Zakladki->tabBar()->setTabVisible(1, true);
  Zakladki->setTabText(
      1, LiteralCaption(ItemTabCaption(item_table.records.at(index).title)));
}

void TMainForm::FillItemView() {
  const ItemRecord& item = item_table.records.at(current_item_index);
  item_title->setFixedWidth(kTitleWidth);
  item_desc->setFixedWidth(kTitleWidth);
  item_title->setText(ToQt(item.title));
  item_desc->setText(ToQt(item.description));
  const int title_height = WrappedHeight(item_title);
  const int desc_height = WrappedHeight(item_desc);
  item_title->setFixedHeight(title_height);
  item_desc->setFixedHeight(desc_height);
  item_desc->move(item_desc->x(), title_height + 5);
  item_date->setText(ToQt(Trim(item.date)));
  item_date->adjustSize();
  item_date->move(item_date->x(), title_height + desc_height + 15);
  item_man->move(item_man->x(), item_date->y() + 10);
  item_man->setText(ToQt(ChannelFromWindowTitle(FromQt(windowTitle()))));
  item_man->adjustSize();
}

void TMainForm::OpenItemLink() {
  const std::string& link = item_table.records.at(current_item_index).link;
  if (IsWebLink(link)) CurrentDesktop().OpenUrl(link);
}

void TMainForm::AboutFeedClick() {
  TInformationForm& form = app_.InformationForm();
  form.feed_url = app_.current_feed_url;
  app_.ShowModal(form);
}

void TMainForm::tarvelsiteClick() { CurrentDesktop().OpenUrl(kMakerSiteUrl); }

void TMainForm::Help3Click() {
  CurrentDesktop().OpenUrl((app_.exe_folder() / "pomoc.html").string());
}

void TMainForm::HelpEN1Click() {
  CurrentDesktop().OpenUrl((app_.exe_folder() / "help.html").string());
}

}  // namespace rivolet
