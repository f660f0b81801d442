// The main window: its life from creation to close, the feed menu and the
// item list on the "Feeds" page, and the item view on the second page. The
// components are built in main_form_layout.cpp.
#include "app/main_form.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <system_error>

#include "app/tray_icon.h"
#include "background/download.h"
#include "common/codepage.h"
#include "common/file_io.h"
#include "common/links.h"
#include "common/screen_geometry.h"
#include "common/text.h"
#include "dialogs/new_feed.h"
#include "feeds/feed_rules.h"
#include "feeds/opml.h"
#include "platform/desktop.h"
#include "platform/frame_position.h"
#include "platform/guard.h"
#include "platform/text_bridge.h"
#include "reader/shown_text.h"
#include "settings/language_apply.h"
#include "settings/settings.h"
#include "widgets/artwork.h"
#include "widgets/components.h"
#include "widgets/connect.h"
#include "widgets/link_label.h"

namespace rivolet {
namespace {

constexpr int kTitleWidth = 280;
constexpr char kOpmlFileFilter[] = "OPML files (*.opml *.xml)";

// Qt reads "&" in captions as a keyboard marker; feed names and categories
// show it literally.
QString LiteralCaption(std::string_view text) {
  return ToQt(ControlsAsBlanks(text)).replace('&', "&&");
}

// The same for a feed's text as shown (UTF-8).
QString ShownCaption(std::string_view text) {
  return ShownToQt(text).replace('&', "&&");
}

// Shows `text` in a word-wrapped label of the item view's fixed width and
// gives the label the height of that text alone, whatever an earlier text
// made of it; an empty label takes no room, so the labels below it move up.
int SetWrappedText(QLabel* label, const QString& text) {
  label->setMinimumSize(0, 0);
  label->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  label->setText(text);
  const int height = text.isEmpty() ? 0 : label->heightForWidth(kTitleWidth);
  label->setFixedSize(kTitleWidth, height);
  return height;
}

// The description as rich text in the view's width, laid out once, and as
// high as its text; an empty one takes no room.
int SetDescription(QTextBrowser* view, const QString& html) {
  view->setHtml(html);
  QTextDocument* document = view->document();
  document->setTextWidth(kTitleWidth);
  const int height =
      html.isEmpty() ? 0
                     : static_cast<int>(std::ceil(document->size().height()));
  view->setFixedSize(kTitleWidth, height);
  return height;
}

// The names of the program's windows, which a feed list file may not give its
// list control.
bool IsWindowName(std::string_view name) {
  for (const char* window :
       {"MainForm", "NewForm", "ManagementForm", "AktualizacjaForm",
        "AboutForm", "OptionsForm", "CatalogueForm", "InformationForm"}) {
    if (name == window) return true;
  }
  return false;
}

// A file dialog's caption: its command's text as the language gave it,
// without the keyboard marker and the dots.
std::string CommandCaption(const QAction* command) {
  QString caption = command->text().remove('&');
  while (caption.endsWith('.')) caption.chop(1);
  return FromQt(caption.trimmed());
}

}  // namespace

TMainForm::TMainForm(const MainFormParts& parts, MainFormHost& host)
    : session(parts.session), http(parts.http), parts_(parts), host_(host) {
  for (const WindowText& text : MainFormTexts())
    texts_[text.key] = text.english;
  CreateComponents();
  ConnectHandlers();
  Guarded([this] { FormCreate(); });
}

TMainForm::~TMainForm() = default;

void TMainForm::ConnectHandlers() {
  ConnectGuarded(Exit1, &QAction::triggered, this, &QWidget::close);
  ConnectGuarded(N2, &QAction::triggered, this, &TMainForm::N2Click);
  ConnectGuarded(Help3, &QAction::triggered, this, &TMainForm::Help3Click);
  ConnectGuarded(HelpEN1, &QAction::triggered, this, &TMainForm::HelpEN1Click);
  ConnectGuarded(ChooseButton, &QToolButton::clicked, this,
                 &TMainForm::ChooseButtonClick);
  ConnectGuarded(main_channels, &QTreeWidget::itemDoubleClicked, this,
                 &TMainForm::main_channelsDblClick);
  ConnectGuarded(main_channels, &QWidget::customContextMenuRequested, this,
                 &TMainForm::main_channelsContextPopup);
  ConnectGuarded(Shortdescription1, &QAction::triggered, this,
                 &TMainForm::Shortdescription1Click);
  ConnectGuarded(Openinbrowser1, &QAction::triggered, this,
                 &TMainForm::Openinbrowser1Click);
  for (ClickLabel* link : {item_title, img_readmore, labelWiecej})
    ConnectGuarded(link, &ClickLabel::clicked, this, &TMainForm::OpenItemLink);
  ConnectGuarded(item_desc, &QTextBrowser::anchorClicked, this,
                 &TMainForm::item_descLinkClick);
  for (ClickLabel* link : {img_inf, about_feed_l})
    ConnectGuarded(link, &ClickLabel::clicked, this,
                   &TMainForm::AboutFeedClick);
  ConnectGuarded(tarvelsite, &ClickLabel::clicked, this,
                 &TMainForm::tarvelsiteClick);
  ConnectGuarded(Zakladki, &QTabWidget::currentChanged, this,
                 &TMainForm::ZakladkiChange);
  ConnectGuarded(Newchannel1, &QAction::triggered, this,
                 &TMainForm::Newchannel1Click);
  ConnectGuarded(AddButton, &QToolButton::clicked, this,
                 &TMainForm::AddButtonClick);
  ConnectGuarded(ChannelsManagement1, &QAction::triggered, this,
                 &TMainForm::ChannelsManagement1Click);
  ConnectGuarded(ManagementButton, &QToolButton::clicked, this,
                 &TMainForm::ManagementButtonClick);
  ConnectGuarded(Catalogue1, &QAction::triggered, this,
                 &TMainForm::Catalogue1Click);
  ConnectGuarded(CatalogueButton, &QToolButton::clicked, this,
                 &TMainForm::Catalogue1Click);
  ConnectGuarded(ImportOpml1, &QAction::triggered, this,
                 &TMainForm::ImportOpml1Click);
  ConnectGuarded(ExportOpml1, &QAction::triggered, this,
                 &TMainForm::ExportOpml1Click);
  ConnectGuarded(AboutRivolet1, &QAction::triggered, this,
                 &TMainForm::AboutRivolet1Click);
  ConnectGuarded(Restore1, &QAction::triggered, this,
                 &TMainForm::Restore1Click);
  ConnectGuarded(Options1, &QAction::triggered, this,
                 &TMainForm::Options1Click);
  ConnectGuarded(FeedsManagement1, &QAction::triggered, this,
                 &TMainForm::FeedsManagement1Click);
  ConnectGuarded(Exit2, &QAction::triggered, this, &TMainForm::Exit2Click);
  ConnectGuarded(timer, &QTimer::timeout, this, &TMainForm::timerTimer);
}

bool TMainForm::ComponentExists(std::string_view name) const {
  return findChild<QObject*>(ToQt(name)) != nullptr;
}

void TMainForm::FormCreate() {
  CentreOnScreen(this, sizeHint());
  // A remembered position is the frame's top-left corner, as x() and y()
  // give it at close. One that no screen shows any more (a monitor removed
  // since) is brought back where the whole window can be seen.
  const MainWindowPlacement placement =
      ReadMainWindowPlacement(parts_.settings_file);
  if (placement.remembered) {
    // Once more when the frame is known: the whole window, frame included,
    // must be within reach, whatever the scale makes of its size.
    const KeepCorner keep = [](QPoint corner, QSize outer) {
      const PixelPoint at =
          KeepOnScreen({corner.x(), corner.y(), outer.width(), outer.height()},
                       CurrentDesktop().Screens());
      return QPoint(at.left, at.top);
    };
    MoveFrameTo(this, keep({placement.left, placement.top}, sizeHint()), keep);
  }
  // A save cut short by a kill leaves its temporary file behind.
  for (const std::filesystem::path& file :
       {parts_.feed_store.file(), parts_.settings_file.path(),
        parts_.folders.user / kLanguageChoiceFileName}) {
    RemoveTemporaryLeftoversOf(file);
  }
  damaged_list_ = parts_.feed_store.LoadStored(
      parts_.feed_list, parts_.feed_list_control, IsWindowName,
      [this](std::string_view name) { return ComponentExists(name); });
  BuildLanguagesMenu();
  Zakladki->setCurrentWidget(ChannelsTab);
  if (const auto lines =
          StartupLanguage(parts_.folders.user, parts_.language)) {
    ApplyMainLanguage(*lines);
  }
  // The menu shows the language in use.
  const QList<QAction*> items = LanguageItems->actions();
  for (std::size_t i = 0; i < parts_.language.index.size() &&
                          i < static_cast<std::size_t>(items.size());
       ++i) {
    if (!parts_.language.current_file.empty() &&
        parts_.language.index[i].file == parts_.language.current_file) {
      items[static_cast<qsizetype>(i)]->setChecked(true);
    }
  }
  ShowEmptyListNote();
  timer->start();
}

void TMainForm::FormShow() {
  if (parts_.arguments.empty()) return;
  // Once the window is on the screen: a question may come.
  QTimer::singleShot(0, this, [this, file = parts_.arguments.front()] {
    Guarded([&] { OpenListFile(file); });
  });
}

void TMainForm::OpenListFile(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return;
  FeedStore::OtherFile other = FeedStore::ReadOther(
      file, IsWindowName,
      [this](std::string_view name) { return ComponentExists(name); });
  if (other.error) GeneralErrorBox(*other.error);
  // A file without feeds changes nothing.
  if (other.list.Count() == 0) return;
  FeedList& list = parts_.feed_list;
  if (list.Count() == 0) {
    list.ReplaceAll(other.list.CopyOut());
    parts_.feed_list_control = other.control;
    host_.SaveFeedList();
    return;
  }
  // Whatever the answer, the list as it is now is kept first.
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  const std::filesystem::path backup =
      parts_.feed_store.KeepDatedBackup(list, parts_.feed_list_control, local);
  auto name = [](const std::filesystem::path& path) {
    return QFile::decodeName(path.filename().c_str()).toStdString();
  };
  const std::string question =
      FillIn(Cp1250ToUtf8(Text("OpenListQuestion")),
             {name(file), std::to_string(other.list.Count()),
              std::to_string(list.Count()), name(backup)});
  const std::optional<std::size_t> answer =
      CurrentDesktop().AskChoice(question, kProgramCaption,
                                 {Cp1250ToUtf8(Text("OpenListAdd")),
                                  Cp1250ToUtf8(Text("OpenListReplace"))},
                                 0, this);
  if (!answer) return;
  if (*answer == 0) {
    AddFeedEntries(other.list.entries(), list);
  } else {
    list.ReplaceAll(other.list.CopyOut());
    parts_.feed_list_control = other.control;
  }
  host_.SaveFeedList();
}

void TMainForm::RegisterFileType() {
  // An installed program relies on the package's desktop entry and file
  // type, and writes none of its own.
  if (!parts_.folders.Portable() || registration_) return;
  auto error = std::make_shared<std::string>();
  registration_ =
      DownloadService::Start(1, 1, [executable = parts_.executable, error] {
        return [executable, error](std::size_t, const HttpCancel&) {
          try {
            CurrentDesktop().RegisterFileType(executable, ProgramIconPng());
          } catch (const std::exception& e) {
            *error = e.what();
          }
        };
      });
  connect(registration_.get(), &DownloadJob::finished, this, [error] {
    if (!error->empty()) GeneralErrorBox(*error);
  });
}

bool TMainForm::RegistrationDone() const {
  return registration_ && registration_->Done();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  // The first time the window is on the screen (and painted, as the expose
  // is handled) the registration may begin.
  if (watched == windowHandle() && event->type() == QEvent::Expose &&
      windowHandle()->isExposed()) {
    windowHandle()->removeEventFilter(this);
    QTimer::singleShot(0, this, [this] {
      Guarded([this] { RegisterFileType(); });
      parts_.remembered.OpenSoon();
    });
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_once_) return;
  shown_once_ = true;
  if (QWindow* window = windowHandle()) window->installEventFilter(this);
  Guarded([this] { FormShow(); });
  ShowEmptyListNote();
  if (parts_.folders.keeps_nothing) {
    // Told once the window is on the screen.
    QTimer::singleShot(0, this, [this] {
      CurrentDesktop().ShowMessage(MessageKind::kWarning, Text("NoUserFolder"),
                                   kProgramCaption, this);
    });
  }
  if (!damaged_list_) return;
  // Told once the window is on the screen.
  QTimer::singleShot(0, this, [this] {
    const std::filesystem::path& backup = damaged_list_->backup;
    // Beside the list, its name says enough.
    const std::string name =
        backup.parent_path() == parts_.feed_store.file().parent_path()
            ? backup.filename().string()
            : backup.string();
    CurrentDesktop().ShowMessage(
        MessageKind::kWarning,
        damaged_list_->kept
            ? Text("FeedListDamaged", {damaged_list_->reason, name})
            : Text("FeedListNotKept", {damaged_list_->reason}),
        kProgramCaption, this);
  });
}

bool TMainForm::FormCloseQuery() {
  // The feed list is saved first, when the file does not hold it yet. When
  // it cannot be (a full disk), the window stays open after the message, so
  // that the user can make room and close again instead of losing the
  // session's changes; the old file stays. A feeds.che that no save can
  // ever replace (a folder, a pipe, a device) is told once and the close
  // goes on: waiting would trap the program.
  FeedStore& store = parts_.feed_store;
  if (store.NeedsSave(parts_.feed_list, parts_.feed_list_control)) {
    const bool saved = Guarded(
        [&] { store.Save(parts_.feed_list, parts_.feed_list_control); });
    if (!saved && !store.CanNeverBeWritten()) return false;
  }
  std::error_code ec;
  std::filesystem::remove(parts_.folders.user / "temp.xml", ec);
  // The language and the position are worth a message, never the program:
  // a file that can never be written must not keep it from closing.
  Guarded([this] { SaveLanguageChoice(parts_.folders.user, parts_.language); });
  Guarded([this] {
    const QPoint corner = FramePosition(this);
    WriteMainWindowState(parts_.settings_file, host_.RememberPosition(),
                         corner.x(), corner.y());
  });
  return true;
}

void TMainForm::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange) return;
  const auto* change = static_cast<QWindowStateChangeEvent*>(event);
  if (isMinimized() && !(change->oldState() & Qt::WindowMinimized)) {
    Guarded([this] { tray->Minimize(); });
  }
}

void TMainForm::closeEvent(QCloseEvent* event) {
  // A download being waited for is given up at once; the close sequence runs
  // as soon as the handler that waited for it has ended.
  if (DownloadService::Waiting()) {
    DownloadService::AbandonWait();
    event->ignore();
    QTimer::singleShot(0, this, &QWidget::close);
    return;
  }
  bool closing = false;
  Guarded([&] { closing = FormCloseQuery(); });
  // A program being ended by a signal always closes: nobody is there to
  // answer a failed step.
  if (closing || ShutdownRequested()) {
    host_.StopUpdates();
    event->accept();
    // The program ends with this window, not with the last window shown:
    // hidden in the tray, closing a dialog must not end it unsaved. exit(),
    // not quit(): the close sequence has run, nothing is to be asked again.
    QCoreApplication::exit(0);
  } else {
    event->ignore();
  }
}

// ---- Languages ----

void TMainForm::BuildLanguagesMenu() {
  bool read_all = true;
  for (const std::filesystem::path& folder : parts_.folders.LanguageFolders()) {
    read_all = BuildLanguageIndex(folder, parts_.language.index) && read_all;
  }
  for (const LanguageEntry& entry : parts_.language.index) {
    QAction* item = Languages1->addAction(ToQt(entry.display_name));
    item->setCheckable(true);
    LanguageItems->addAction(item);
    ConnectGuarded(item, &QAction::triggered, this,
                   [item](TMainForm* form) { form->LanguageItemClick(item); });
  }
  if (!read_all) {
    CurrentDesktop().ShowMessage(MessageKind::kPlain, "Language Problem",
                                 kProgramCaption, nullptr);
  }
}

void TMainForm::LanguageItemClick(QAction* item) {
  item->setChecked(true);
  // The caption as the menu shows it; a failed choice changes nothing.
  if (const auto lines =
          ChooseLanguage(FromQt(item->text()), parts_.language)) {
    ApplyMainLanguage(*lines);
  }
}

void TMainForm::ApplyMainLanguage(const LanguageLines& lines) {
  ApplyLanguageLines({this,
                      {},
                      [this](std::string_view key, std::string text) {
                        texts_[std::string(key)] = std::move(text);
                      }},
                     lines, MainFormLanguageKeys());
  SettleKeys(lines);
  // New words have new widths: the counts move with them.
  LayOutCountLabels();
  ShowEmptyListNote();
}

void TMainForm::SettleKeys(const LanguageLines& lines) {
  const auto named = [&lines](const QObject* component) {
    return FindLanguageValue(lines, FromQt(component->objectName()))
        .has_value();
  };
  // An entry of the menu bar is its menu, which the file names.
  const auto settle = [&named](const QList<QAction*>& actions) {
    std::vector<MenuCaption> menu;
    std::vector<QAction*> entries;
    for (QAction* action : actions) {
      if (action->isSeparator()) continue;
      const QObject* component = action->menu() != nullptr
                                     ? static_cast<QObject*>(action->menu())
                                     : action;
      menu.push_back({FromQt(action->text()), named(component)});
      entries.push_back(action);
    }
    const std::vector<std::string> settled = rivolet::SettleMenuKeys(menu);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (settled[i] == menu[i].caption) continue;
      if (QMenu* sub = entries[i]->menu()) {
        sub->setTitle(ToQt(settled[i]));
      } else {
        entries[i]->setText(ToQt(settled[i]));
      }
    }
  };
  settle(menuBar()->actions());
  for (QMenu* menu : {File1, Help1, TrayMenu, MainChannelsListPopup}) {
    settle(menu->actions());
  }
}

std::string TMainForm::Text(std::string_view key,
                            const std::vector<std::string>& values) const {
  const auto found = texts_.find(key);
  return FillIn(found == texts_.end() ? std::string_view() : found->second,
                values);
}

// ---- Feed menu and item list ----

void TMainForm::ChooseButtonClick() {
  BuildFeedMenu();
  FeedMenu->popup(QCursor::pos());
}

void TMainForm::BuildFeedMenu() {
  FeedMenu->clear();
  // A first start says what to do rather than open nothing.
  if (parts_.feed_list.Count() == 0) {
    FeedMenu->addAction(LiteralCaption(Text("NoFeedsYet")))->setEnabled(false);
    return;
  }
  for (const MenuHeading& heading : GroupByCategory(parts_.feed_list)) {
    QMenu* sub = FeedMenu->addMenu(LiteralCaption(heading.caption));
    for (std::size_t index : heading.entries) {
      const FeedEntry& entry = parts_.feed_list.Entry(index);
      QAction* action =
          sub->addAction(FeedMenuCaption(entry.name, entry.Url()));
      action->setData(QVariant::fromValue<qulonglong>(index));
      ConnectGuarded(
          action, &QAction::triggered, this,
          [index](TMainForm* form) { form->FeedMenuItemClick(index); });
    }
  }
}

void TMainForm::FeedMenuItemClick(std::size_t feed_index) {
  // The new list is what the user sees, not the item of the old feed.
  main_channels->clear();
  HideItemTab();
  ShowEmptyListNote();
  if (feed_index >= parts_.feed_list.Count()) return;
  const std::string url = parts_.feed_list.Entry(feed_index).Url();
  // The feed picked is the one described, even when its download fails.
  session.set_current_feed_url(url);
  OpenFeed(url);
}

void TMainForm::OpenFeed(const std::string& url, bool open_first_item) {
  // The worker that reads the feed looks up its remembered marks too.
  auto [reading, read] = FetchWhilePainting(
      http, url, [url, mark = parts_.remembered.Marker()](HttpResult fetched) {
        ShownFeed shown = ReadShownFeed(fetched.body, fetched.final_url);
        std::vector<bool> marks = mark ? mark(url, shown) : std::vector<bool>();
        return std::pair(std::move(shown), std::move(marks));
      });
  ShowFeedReading(url, std::move(reading), open_first_item, read);
}

void TMainForm::ShowFeedReading(const std::string& url, ShownFeed reading,
                                bool open_first_item,
                                const std::vector<bool>& read) {
  session.set_current_feed_url(url);
  session.TakeReading(std::move(reading), url, read);
  ShowFeedRead();
  if (open_first_item) ShowItem(0);
}

void TMainForm::HideItemTab() {
  Zakladki->setCurrentWidget(ChannelsTab);
  Zakladki->tabBar()->setTabVisible(1, false);
  Zakladki->tabBar()->setTabEnabled(1, false);
}

void TMainForm::ShowFeedRead() {
  // The item tab belongs to the feed it came from.
  HideItemTab();
  setWindowTitle(PlainWindowTitle(ShownToQt(session.WindowTitle())));
  const QString total = QString::number(session.total());
  lNewsNo->setText(total);
  // Remembered marks count the rows; otherwise every item starts unread.
  lUnreadNo->setText(parts_.remembered.remember()
                         ? QString::number(session.UnreadCount())
                         : total);
  lNewsNoLabel->show();
  lUnread->show();
  lUnreadNo->show();
  LayOutCountLabels();

  main_channels->clear();
  QList<QTreeWidgetItem*> rows;
  for (int k = 0; k < session.RowCount(); ++k) {
    auto* row = new QTreeWidgetItem;
    row->setText(1, ShownToQt(session.RowText(k)));
    SetMark(row, session.Mark(k));
    rows.append(row);
  }
  main_channels->addTopLevelItems(rows);
  ShowEmptyListNote();
  ShowUnreadTotal();
}

void TMainForm::ShowEmptyListNote() {
  EmptyListNote->setText(ToQt(Text("NoFeedsYet")));
  EmptyListNote->adjustSize();
  EmptyListNote->setVisible(parts_.feed_list.Count() == 0 &&
                            main_channels->topLevelItemCount() == 0);
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
  row->setIcon(
      0, QIcon(mark == ReadingSession::kUnread ? UnreadMark() : ReadMark()));
}

int TMainForm::RowMark(int row) const { return session.Mark(row); }

int TMainForm::UnreadCount() const { return session.UnreadCount(); }

void TMainForm::main_channelsContextPopup(const QPoint& at) {
  MainChannelsListPopup->popup(main_channels->viewport()->mapToGlobal(at));
}

void TMainForm::main_channelsDblClick() {
  const QList<QTreeWidgetItem*> selected = main_channels->selectedItems();
  if (selected.isEmpty()) return;
  QTreeWidgetItem* row = selected.front();
  const int index = main_channels->indexOfTopLevelItem(row);
  ShowItem(index);
  const bool was_unread = session.Mark(index) == ReadingSession::kUnread;
  session.MarkRead(index);
  SetMark(row, ReadingSession::kRead);
  lUnreadNo->setText(QString::number(session.UnreadCount()));
  LayOutCountLabels();
  if (was_unread) RowMarksChanged({index}, true);
}

// ---- Item view and links ----

void TMainForm::ShowItem(int index) {
  session.set_current_item_index(index);
  // From now on the page can be reached by Ctrl+Tab as well.
  Zakladki->tabBar()->setTabEnabled(1, true);
  if (Zakladki->currentWidget() == ViewTab) {
    FillItemView();
  } else {
    Zakladki->setCurrentWidget(ViewTab);  // fills the view
  }
  Zakladki->tabBar()->setTabVisible(1, true);
  Zakladki->setTabText(
      1, ShownCaption(ShownTabCaption(session.CurrentItem().title)));
}

void TMainForm::ZakladkiChange(int index) {
  if (Zakladki->widget(index) == ViewTab) FillItemView();
}

void TMainForm::FillItemView() {
  // What the feed wrote, every character, the description formatted.
  const ShownItem& item = session.CurrentItem();
  const int title_height = SetWrappedText(item_title, ShownToQt(item.title));
  const int desc_height =
      SetDescription(item_desc, ShownToQt(FormatShownItem(item).rich));
  item_desc->move(item_desc->x(), title_height + 5);
  item_date->setText(ShownToQt(item.date));
  item_date->adjustSize();
  item_date->move(item_date->x(), title_height + desc_height + 15);
  item_man->move(item_man->x(), item_date->y() + 10);
  item_man->setText(ShownToQt(session.reading().channel_title));
  item_man->adjustSize();
  // The area scrolls when the texts run past the links.
  ItemTexts->resize(ItemTextArea->viewport()->width(),
                    item_man->y() + item_man->height() + 2);
  ItemTextArea->verticalScrollBar()->setValue(0);
}

void TMainForm::OpenItemLink() { OpenWebLink(session.CurrentItem().link); }

void TMainForm::item_descLinkClick(const QUrl& link) {
  OpenWebLink(link.toString(QUrl::FullyEncoded).toStdString());
}

void TMainForm::OpenWebLink(const std::string& link) {
  if (IsWebLink(link)) CurrentDesktop().OpenUrl(link);
}

void TMainForm::AboutFeedClick() { host_.ShowDialog(MainDialog::kInformation); }

void TMainForm::Newchannel1Click() { host_.ShowDialog(MainDialog::kNewFeed); }

void TMainForm::AddButtonClick() { host_.ShowDialog(MainDialog::kNewFeed); }

void TMainForm::ChannelsManagement1Click() {
  host_.ShowDialog(MainDialog::kManagement);
}

void TMainForm::ManagementButtonClick() {
  host_.ShowDialog(MainDialog::kManagement);
}

void TMainForm::tarvelsiteClick() {
  host_.OpenHelp(HelpLanguageFor(parts_.language.current_name));
}

void TMainForm::Help3Click() { host_.OpenHelp(HelpLanguage::kPolish); }

void TMainForm::HelpEN1Click() { host_.OpenHelp(HelpLanguage::kEnglish); }

void TMainForm::N2Click() { host_.ShowDialog(MainDialog::kOptions); }

// ---- Dialogs and the tray menu ----

void TMainForm::Catalogue1Click() { host_.ShowDialog(MainDialog::kCatalogue); }

void TMainForm::ImportOpml1Click() {
  const auto file = CurrentDesktop().ChooseOpenFile(CommandCaption(ImportOpml1),
                                                    kOpmlFileFilter, this);
  if (!file) return;
  const std::vector<OpmlFeed> feeds = ReadOpmlFile(*file);
  if (!ImportKeepsLettersOrAgreed(feeds)) return;
  // Our own export brings every feed's period: nothing to ask then.
  std::string period = kDefaultOpmlPeriod;
  if (!std::all_of(feeds.begin(), feeds.end(), HasOwnPeriod)) {
    const std::optional<std::string> asked = host_.AskImportPeriod();
    if (!asked) return;
    period = *asked;
  }
  const OpmlImportCounts counts =
      AddOpmlFeeds(feeds, period, parts_.feed_list, IsFeedAddress);
  if (counts.added > 0) host_.SaveFeedList();
  std::string text = Text("OpmlImported", {std::to_string(counts.added),
                                           std::to_string(counts.already_there),
                                           std::to_string(counts.refused)});
  if (IsEnglish(parts_.language)) text = EnglishSingulars(std::move(text));
  std::string refused;
  for (const std::string& address : counts.refused_addresses) {
    refused += address + "\n";
  }
  CurrentDesktop().ShowMessage(MessageKind::kInformation, text, kProgramCaption,
                               this, refused);
}

bool TMainForm::ImportKeepsLettersOrAgreed(const std::vector<OpmlFeed>& feeds) {
  std::vector<TypedText> texts;
  for (const OpmlFeed& feed : feeds) {
    if (!feed.name_as_written.empty()) {
      texts.push_back({feed.name_as_written, feed.name});
    }
    if (!feed.category_as_written.empty()) {
      texts.push_back({feed.category_as_written, feed.category});
    }
  }
  const std::string lines = LostLetterLines(texts);
  return lines.empty() ||
         CurrentDesktop().AskChoice(
             FillIn(Cp1250ToUtf8(Text("LostLettersImport")),
                    {"\n\n" + lines + "\n"}),
             kProgramCaption, {Cp1250ToUtf8(Text("ImportAsShown"))}, 1,
             this) == 0u;
}

void TMainForm::ExportOpml1Click() {
  const std::filesystem::path home =
      QFile::encodeName(QDir::homePath()).toStdString();
  const auto file = CurrentDesktop().ChooseSaveFile(
      CommandCaption(ExportOpml1), kOpmlFileFilter, home / "feeds.opml", this);
  if (file) ExportOpmlFile(parts_.feed_list, *file);
}

void TMainForm::AboutRivolet1Click() { host_.ShowDialog(MainDialog::kAbout); }

void TMainForm::Restore1Click() { tray->RestoreApplication(); }

}  // namespace rivolet
