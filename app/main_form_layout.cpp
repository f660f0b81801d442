// Building the main window's components: menus, toolbar, the feeds page
// with the item list and its count labels, the item view page.
#include <QAction>
#include <QActionGroup>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include "app/main_form.h"
#include "app/tray_icon.h"
#include "widgets/artwork.h"
#include "widgets/components.h"
#include "widgets/link_label.h"
#include "widgets/whole_text_tips.h"

namespace rivolet {
namespace {

constexpr int kClientWidth = 312;
constexpr int kClientHeight = 430;
const QColor kCountColour(206, 206, 206);
// The item's texts take the page down to the links (the pictures start at
// 288).
constexpr int kItemTextHeight = 286;

template <typename Label = QLabel>
Label* MakeLabel(QWidget* parent, const char* name, int left, int top,
                 int pixel_size, bool bold = false) {
  Label* label = PlaceLabel<Label>(parent, name, left, top);
  label->setFont(WindowFont(pixel_size, bold));
  return label;
}

}  // namespace

void TMainForm::CreateComponents() {
  setObjectName("MainForm");
  setWindowTitle(kMainCaption);
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
  // Both tabs always show: a long item caption is elided on screen rather
  // than scrolling "Feeds" out of sight.
  Zakladki->setUsesScrollButtons(false);
  Zakladki->setElideMode(Qt::ElideRight);
  CreateFeedsPage();
  CreateViewPage();

  tarvelsite = MakeLabel<ClickLabel>(client, "tarvelsite", 4, 414, 11);
  tarvelsite->setText("Rivolet help");
  tarvelsite->adjustSize();

  timer = new QTimer(this);
  timer->setObjectName("timer");
  timer->setInterval(60000);

  layout()->setSizeConstraint(QLayout::SetFixedSize);
  CreateTray();
  CreateReadingCommands();
}

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
  ImportOpml1 = add_action(File1, "ImportOpml1", "&Import OPML...");
  ExportOpml1 = add_action(File1, "ExportOpml1", "E&xport OPML...");
  File1->addSeparator();
  Exit1 = add_action(File1, "Exit1", "&Exit");

  Languages1 = menuBar()->addMenu("&Languages");
  Languages1->setObjectName("Languages1");
  LanguageItems = new QActionGroup(this);
  LanguageItems->setObjectName("LanguageItems");
  LanguageItems->setExclusive(true);

  Help1 = menuBar()->addMenu("&Help");
  Help1->setObjectName("Help1");
  Help3 = add_action(Help1, "Help3", "Pomoc (PL)");
  HelpEN1 = add_action(Help1, "HelpEN1", "Help (EN)");
  Help1->addSeparator();
  AboutRivolet1 = add_action(Help1, "AboutRivolet1", "&About Rivolet");
}

void TMainForm::CreateToolBar(QWidget* client) {
  ToolBar1 = new QToolBar(client);
  ToolBar1->setObjectName("ToolBar1");
  ToolBar1->setGeometry(0, 0, kClientWidth, 42);
  ToolBar1->setMovable(false);
  ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  ToolBar1->setIconSize(QSize(16, 16));
  // The toolbar's own top and bottom margins would leave its buttons less
  // than their height, cutting the letters that reach below the line.
  const QMargins margins = ToolBar1->layout()->contentsMargins();
  ToolBar1->layout()->setContentsMargins(margins.left(), 0, margins.right(), 0);
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

  FeedMenu = new QMenu(this);
  FeedMenu->setObjectName("FeedMenu");
  FeedMenu->addAction(" ");  // the placeholder before the first opening
}

void TMainForm::CreateTray() {
  TrayMenu = new QMenu(this);
  TrayMenu->setObjectName("TrayMenu");
  auto add_item = [this](const char* name, const char* caption) {
    QAction* action =
        caption ? TrayMenu->addAction(caption) : TrayMenu->addSeparator();
    action->setObjectName(name);
    return action;
  };
  Restore1 = add_item("Restore1", "Restore");
  TrayMenu->setDefaultAction(Restore1);  // drawn in bold
  N5 = add_item("N5", nullptr);
  Options1 = add_item("Options1", "Options");
  FeedsManagement1 = add_item("FeedsManagement1", "Feeds' Management");
  N6 = add_item("N6", nullptr);
  Exit2 = add_item("Exit2", "Exit");

  tray = new TTrayIcon(this);
  tray->setObjectName("tray");
  tray->PopupMenu = TrayMenu;
  tray->RestoreOn = TTrayIconMessage::imLeftClickUp;
  tray->PopupMenuOn = TTrayIconMessage::imRightClickUp;
  tray->SetVisible(true);
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
  ShowWholeTextTips(main_channels);

  MainChannelsListPopup = new QMenu(this);
  MainChannelsListPopup->setObjectName("MainChannelsListPopup");
  Shortdescription1 = MainChannelsListPopup->addAction("Short description");
  Shortdescription1->setObjectName("Shortdescription1");
  // Enter opens the selected item as Ctrl+D does.
  Shortdescription1->setShortcuts({QKeySequence("Ctrl+D"),
                                   QKeySequence(Qt::Key_Return),
                                   QKeySequence(Qt::Key_Enter)});
  MainChannelsListPopup->setDefaultAction(Shortdescription1);
  Openinbrowser1 = MainChannelsListPopup->addAction("Open in browser");
  Openinbrowser1->setObjectName("Openinbrowser1");
  Openinbrowser1->setShortcut(QKeySequence("Ctrl+B"));
  // The shortcuts work from the list without opening the popup.
  main_channels->addAction(Shortdescription1);
  main_channels->addAction(Openinbrowser1);
  Shortdescription1->setShortcutContext(Qt::WidgetShortcut);
  Openinbrowser1->setShortcutContext(Qt::WidgetShortcut);

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

  constexpr int kNoteMargin = 8;
  EmptyListNote = MakeLabel(main_channels->viewport(), "EmptyListNote",
                            kNoteMargin, kNoteMargin, 11);
  EmptyListNote->setWordWrap(true);
  EmptyListNote->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  EmptyListNote->setFixedWidth(main_channels->width() - 2 * kNoteMargin);
  EmptyListNote->setAttribute(Qt::WA_TransparentForMouseEvents);
  EmptyListNote->hide();
}

void TMainForm::CreateViewPage() {
  ViewTab = new QWidget;
  ViewTab->setObjectName("ViewTab");
  Zakladki->addTab(ViewTab, "");
  // Hidden and out of reach until an item is shown: Ctrl+Tab skips only
  // disabled tabs. The page itself stays enabled, ready for its labels.
  Zakladki->tabBar()->setTabVisible(1, false);
  Zakladki->tabBar()->setTabEnabled(1, false);

  Panel3 = new Panel(ViewTab);
  Panel3->setObjectName("Panel3");
  Panel3->setGeometry(0, 0, 300, 325);
  Panel3->setAutoFillBackground(true);
  QPalette white = Panel3->palette();
  white.setColor(QPalette::Window, Qt::white);
  Panel3->setPalette(white);

  // Above the two links: the area the item's texts scroll in.
  ItemTextArea = new QScrollArea(Panel3);
  ItemTextArea->setObjectName("ItemTextArea");
  ItemTextArea->setGeometry(0, 0, Panel3->width(), kItemTextHeight);
  ItemTextArea->setFrameShape(QFrame::NoFrame);
  ItemTextArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  ItemTextArea->setWidgetResizable(false);
  ItemTexts = new QWidget;
  ItemTexts->setObjectName("ItemTexts");
  ItemTexts->setAutoFillBackground(true);
  ItemTexts->setPalette(white);
  ItemTextArea->setWidget(ItemTexts);
  ItemTextArea->viewport()->setPalette(white);

  item_title = MakeLabel<ClickLabel>(ItemTexts, "item_title", 2, 2, 13, true);
  item_title->setWordWrap(true);
  // The description comes formatted, reduced to a safe subset of rich text
  // by the shown reading. A text view rather than a label: it lays a long
  // description out once and draws only what shows, where a label lays it
  // out twice and draws all of it. It never scrolls itself (the area does)
  // and its links are ours to open, never Qt's.
  item_desc = new QTextBrowser(ItemTexts);
  item_desc->setObjectName("item_desc");
  item_desc->move(2, 16);
  item_desc->setFont(WindowFont(11));
  item_desc->setFrameShape(QFrame::NoFrame);
  item_desc->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  item_desc->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  item_desc->setOpenLinks(false);
  item_desc->setOpenExternalLinks(false);
  item_desc->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  item_desc->setContextMenuPolicy(Qt::NoContextMenu);
  item_desc->document()->setDocumentMargin(0);
  item_desc->setPalette(white);
  item_date = MakeLabel(ItemTexts, "item_date", 2, 48, 9);
  item_man = MakeLabel(ItemTexts, "item_man", 2, 64, 9);

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
}

}  // namespace rivolet
