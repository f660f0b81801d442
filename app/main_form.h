// The main window: menus, toolbar, the feed menu and item list on the
// "Feeds" page, the item view on the second page, and the window's life from
// creation to close.
#pragma once

#include <QMainWindow>
#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/reading_session.h"
#include "app/remembered_reading.h"
#include "common/links.h"
#include "common/program_folders.h"
#include "feeds/feed_list.h"
#include "feeds/feed_store.h"
#include "feeds/feed_stream.h"
#include "feeds/opml.h"
#include "net/http_client.h"
#include "reader/shown_feed.h"
#include "settings/ini_file.h"
#include "settings/language_file.h"

class QAction;
class QActionGroup;
class QFrame;
class QLabel;
class QMenu;
class QPoint;
class QScrollArea;
class QTabWidget;
class QTextBrowser;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QUrl;

namespace rivolet {

class ClickLabel;
class DownloadJob;
class TTrayIcon;

// The dialogs the main window's menus, toolbar, links and tray menu open.
enum class MainDialog {
  kNewFeed,
  kManagement,
  kOptions,
  kInformation,
  kAbout,
  kCatalogue,
};

// What the main window asks of the rest of the program.
class MainFormHost {
 public:
  virtual ~MainFormHost() = default;
  virtual void ShowDialog(MainDialog dialog) = 0;
  // The Options dialog's "remember the position" setting, read at close.
  virtual bool RememberPosition() = 0;
  // The minute timer's tick, for the update room.
  virtual void UpdateTick() = 0;
  // The window closes: the running update is given up.
  virtual void StopUpdates() = 0;
  // The feed list changed: it is written to its file at once.
  virtual void SaveFeedList() = 0;
  // The update period an OPML import gives the feeds that bring none, asked
  // once for all; nothing when the user gives up.
  virtual std::optional<std::string> AskImportPeriod() = 0;
  // Opens the help page in `language` through the desktop.
  virtual void OpenHelp(HelpLanguage language) = 0;
};

// The program's state and files the main window works on, all owned by the
// application.
struct MainFormParts {
  ReadingSession& session;
  HttpClient& http;  // the window's client
  FeedList& feed_list;
  FeedListControl& feed_list_control;
  FeedStore& feed_store;
  LanguageState& language;
  IniFile& settings_file;         // rivolet.ini
  const ProgramFolders& folders;  // where the program's files are
  const std::filesystem::path& executable;
  const std::vector<std::string>& arguments;  // after the program's name
  RememberedReading& remembered;              // marks that last, new items
};

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  TMainForm(const MainFormParts& parts, MainFormHost& host);
  ~TMainForm() override;

  // Components, named as the language files know them.
  QMenu* File1;
  QAction* Newchannel1;
  QAction* N2;
  QAction* ChannelsManagement1;
  QAction* Catalogue1;
  QAction* ImportOpml1;
  QAction* ExportOpml1;
  QAction* Exit1;
  QMenu* Languages1;
  QActionGroup* LanguageItems;  // one radio group of the Languages items
  QMenu* Help1;
  QAction* Help3;
  QAction* HelpEN1;
  QAction* AboutRivolet1;
  QToolBar* ToolBar1;
  QToolButton* ChooseButton;
  QToolButton* AddButton;
  QToolButton* ManagementButton;
  QToolButton* CatalogueButton;
  QMenu* FeedMenu;
  QTabWidget* Zakladki;
  QWidget* ChannelsTab;
  QWidget* ViewTab;
  QTreeWidget* main_channels;
  QMenu* MainChannelsListPopup;
  QAction* Shortdescription1;
  QAction* Openinbrowser1;
  QLabel* lNewsNoLabel;
  QLabel* lNewsNo;
  QLabel* lUnread;
  QLabel* lUnreadNo;
  // Over the empty item list while the feed list is empty: what to do first.
  QLabel* EmptyListNote;
  QFrame* Panel3;
  // The item's texts scroll in their own area above the links, which never
  // move.
  QScrollArea* ItemTextArea;
  QWidget* ItemTexts;
  ClickLabel* item_title;
  // The description, formatted.
  QTextBrowser* item_desc;
  QLabel* item_date;
  QLabel* item_man;
  ClickLabel* img_readmore;
  ClickLabel* labelWiecej;
  ClickLabel* img_inf;
  ClickLabel* about_feed_l;
  ClickLabel* tarvelsite;
  TTrayIcon* tray;
  QMenu* TrayMenu;
  QAction* Restore1;
  QAction* N5;
  QAction* Options1;
  QAction* FeedsManagement1;
  QAction* N6;
  QAction* Exit2;
  QTimer* timer;
  // Remembered reading (shown while its switch is on): the File menu's and
  // the item list's "Mark all read", the list's "Mark unread", N and Space
  // for the next unread item, and the window's status note below the pages
  // (made when first needed).
  QAction* MarkAllRead1;
  QAction* MarkUnread1;
  QAction* NextUnread1;
  QLabel* StatusNote = nullptr;
  QTimer* StatusNoteTimer = nullptr;

  // The state of reading and the window's client, kept by the application.
  ReadingSession& session;
  HttpClient& http;

  // Creation, first showing and close.
  void FormCreate();
  void FormShow();
  // Opens another feed list file (named on the command line, or handed over
  // by a second start). Into an empty list its feeds are taken as they are;
  // otherwise the list is first kept in a backup of its own and the user is
  // asked whether to add the file's feeds (those the list has are left out),
  // replace the list with them, or leave it. A file without feeds changes
  // nothing; one that cannot be read is reported.
  void OpenListFile(const std::filesystem::path& file);
  // A portable copy declares the feed-list file type to the desktop once
  // its window is on the screen, on a worker: the files it writes and the
  // desktop's indexes it rebuilds never hold up the first window. A failure
  // is reported when the worker is done.
  void RegisterFileType();
  // The registration has run to its end (a portable copy only).
  bool RegistrationDone() const;
  // The close sequence; false when it stopped and the window stays open.
  bool FormCloseQuery();

  // Feed menu and item list.
  void ChooseButtonClick();
  void BuildFeedMenu();
  void FeedMenuItemClick(std::size_t feed_index);
  // Downloads `url` and reads it on a worker, then shows the reading.
  void OpenFeed(const std::string& url, bool open_first_item = false);
  // Shows `reading`, the shown reading of the document downloaded from
  // `url`, its rows marked read as `read` says: the feed becomes the one
  // described and listed; with `open_first_item` its item 0 is shown too,
  // without marking it read.
  void ShowFeedReading(const std::string& url, ShownFeed reading,
                       bool open_first_item = false,
                       const std::vector<bool>& read = {});
  void ShowFeedRead();
  // Hides the item view's tab and shows the feed's list: the item it showed
  // is no longer the feed's on view.
  void HideItemTab();
  // Shows EmptyListNote while both the feed list and the item list are
  // empty; run whenever either may have changed.
  void ShowEmptyListNote();
  void main_channelsDblClick();
  void main_channelsContextPopup(const QPoint& at);
  void Shortdescription1Click() { main_channelsDblClick(); }
  void Openinbrowser1Click() { OpenItemLink(); }
  int RowMark(int row) const;
  int UnreadCount() const;

  // Remembered reading (main_form_reading.cpp).
  void MarkAllRead1Click();
  void MarkUnread1Click();
  // Opens the next unread item of the list; at its end, says so.
  void NextUnread1Click();
  // The switches changed: the commands, the tray's tooltip and the counts
  // follow them.
  void ApplyReadingSwitches();
  // The tray's tooltip: the unread items of every feed, while remembering.
  void ShowUnreadTotal();
  // A short note in the status area below the pages, gone after a while.
  void ShowStatusNote(const std::string& text);
  // The reading store had to be set aside or could not be had: one message.
  void TellStoreTrouble(const StoreTrouble& trouble);

  // Item view and links.
  void ShowItem(int index);
  // The item view is filled each time its page becomes the one shown.
  void ZakladkiChange(int index);
  void FillItemView();
  // The item's own link ("Read more...", the title).
  void OpenItemLink();
  // A link in the description opens the same way: web addresses only.
  void item_descLinkClick(const QUrl& link);
  void AboutFeedClick();
  void tarvelsiteClick();
  void Help3Click();
  void HelpEN1Click();

  // Commands that open another window.
  void Newchannel1Click();
  void AddButtonClick();
  void ChannelsManagement1Click();
  void ManagementButtonClick();
  void N2Click();
  void Catalogue1Click();
  // OPML files in and out.
  void ImportOpml1Click();
  // Before an import: true when the list keeps every letter of the names
  // and categories, or when the user, told what they would read, chose to
  // import them so.
  bool ImportKeepsLettersOrAgreed(const std::vector<OpmlFeed>& feeds);
  void ExportOpml1Click();
  void AboutRivolet1Click();

  // The tray menu: its items act as their twins in the main menu.
  void Restore1Click();
  void Options1Click() { N2Click(); }
  void FeedsManagement1Click() { ChannelsManagement1Click(); }
  void Exit2Click() { close(); }

  // Languages: the menu is built once at creation; a choice applies the
  // language to this window (the dialogs take it at their next showing).
  void BuildLanguagesMenu();
  void LanguageItemClick(QAction* item);
  void ApplyMainLanguage(const LanguageLines& lines);
  // The keyboard keys of the menus' entries that `lines` leaves as they
  // were move off the letters its entries take (SettleMenuKeys).
  void SettleKeys(const LanguageLines& lines);
  // One of the window's own texts (MainFormTexts) in the chosen language,
  // its "%s" marks filled with `values`.
  std::string Text(std::string_view key,
                   const std::vector<std::string>& values = {}) const;

  // Periodic updates: the minute tick goes to the update room.
  void timerTimer() { host_.UpdateTick(); }

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // Minimising goes through the tray icon.
  void changeEvent(QEvent* event) override;

 private:
  // Building the components (main_form_layout.cpp).
  void CreateComponents();
  void CreateMenus();
  void CreateToolBar(QWidget* client);
  void CreateFeedsPage();
  void CreateViewPage();
  void CreateTray();
  void CreateReadingCommands();
  // The marks of `rows` changed to `read`: the rows' pictures, the unread
  // count and, while remembering, the store.
  void RowMarksChanged(const std::vector<int>& rows, bool read);
  // A feed menu entry's caption: the feed's name, and its unread count
  // while remembering.
  QString FeedMenuCaption(const std::string& name, const std::string& url);

  void ConnectHandlers();
  void SetMark(QTreeWidgetItem* row, int mark);
  void OpenWebLink(const std::string& link);
  void LayOutCountLabels();
  bool ComponentExists(std::string_view name) const;

  MainFormParts parts_;
  MainFormHost& host_;
  std::map<std::string, std::string, std::less<>> texts_;
  bool shown_once_ = false;
  std::unique_ptr<DownloadJob> registration_;
  // A stored list the creation could not read, told once after the first
  // showing.
  std::optional<StoredFileDamage> damaged_list_;
};

}  // namespace rivolet
