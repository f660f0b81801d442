// The application object: owns the windows, created once in their fixed
// order, and the state they share: the feed list and its file, the state of
// reading and the main window's HTTP client.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_form.h"
#include "app/reading_session.h"
#include "app/remembered_reading.h"
#include "common/program_folders.h"
#include "feeds/feed_list.h"
#include "feeds/feed_store.h"
#include "feeds/feed_stream.h"
#include "net/http_client.h"
#include "platform/guard.h"
#include "settings/ini_file.h"
#include "settings/language_apply.h"
#include "settings/language_file.h"
#include "settings/settings.h"
#include "update/feed_updater.h"
#include "update/notification_form.h"

class QDialog;

namespace rivolet {

class TNewForm;
class TManagementForm;
class TOptionsForm;
class TAboutForm;
class TCatalogueForm;
class TInformationForm;
class TImportPeriodForm;

class RivoletApp : public NotificationHost, public MainFormHost {
 public:
  // `folders` are where the program keeps its files; `executable` is the
  // program's own file (for the file-type registration); `arguments` are the
  // command-line arguments after the program name.
  RivoletApp(ProgramFolders folders, std::filesystem::path executable,
             std::vector<std::string> arguments,
             HttpClientSettings http_settings = {});
  ~RivoletApp() override;
  RivoletApp(const RivoletApp&) = delete;
  RivoletApp& operator=(const RivoletApp&) = delete;

  // Makes the main window (its creation steps run inside), then loads the
  // settings as the Options dialog's creation did.
  void CreateWindows();

  // The windows. The main window is made at start; the notification window
  // and the dialogs, which the first paint does not need, when first used.
  TMainForm& MainForm() { return *main_form_; }
  TNewForm& NewForm();
  TManagementForm& ManagementForm();
  TOptionsForm& OptionsForm();
  TAboutForm& AboutForm();
  TCatalogueForm& CatalogueForm();
  TAktualizacjaForm& AktualizacjaForm();
  TInformationForm& InformationForm();
  // The period question of an OPML import.
  TImportPeriodForm& ImportPeriodForm();

  // Shows a dialog modally. Tests replace `modal_runner` so that no test
  // blocks in a dialog's own event loop.
  void ShowModal(QDialog& dialog);
  std::function<void(QDialog&)> modal_runner;

  // The New feed and Feeds' Management dialogs, over the feed list.
  void ShowNewForm();
  void ShowManagementForm();

  // The Options dialog, as the user left it.
  void ShowOptionsForm();
  // The Feed information dialog, describing the feed fetched last.
  void ShowInformationForm();
  void ShowAboutForm();
  void ShowCatalogueForm();

  // The "Close notification window after..." setting, as the notification
  // window reads it.
  std::string NotificationSecondsText() override;

  // The main window's requests.
  void ShowDialog(MainDialog dialog) override;
  bool RememberPosition() override;
  void UpdateTick() override { updater_->Tick(); }
  void StopUpdates() override { updater_->Stop(); }
  // Every change of the feed list, from the dialogs, an import or the
  // command line, is written at once; a failed write is reported, the list
  // stays in memory and is written again at the next change and at close.
  void SaveFeedList() override;
  std::optional<std::string> AskImportPeriod() override;
  void OpenHelp(HelpLanguage language) override;

  // The update room, made with the windows.
  FeedUpdater& Updater() { return *updater_; }

  // The notification window's requests.
  void OpenNotifiedFeed(const std::string& url) override;
  void RestoreProgram() override;

  // A second start handed `file` over (empty: none): the window comes back
  // from the tray and to the front, and the file is opened as one named on
  // the command line, once no dialog or download is being waited for.
  void OpenHandedOver(const std::filesystem::path& file);

  const ProgramFolders& folders() const { return folders_; }
  const std::filesystem::path& executable() const { return executable_; }
  const std::vector<std::string>& arguments() const { return arguments_; }
  const HttpClientSettings& http_settings() const { return http_settings_; }

  // Shared state.
  FeedList feed_list;
  FeedListControl feed_list_control;
  FeedStore feed_store;
  ReadingSession session;
  // Marks that last and notifications of new items, by their switches.
  RememberedReading remembered;
  HttpClient http;        // the main window's client
  IniFile settings_file;  // rivolet.ini
  // The settings in force: loaded at start, edited by the Options dialog.
  Settings settings;
  // The languages found, the chosen one and the file the dialogs apply.
  LanguageState language;

 private:
  LanguageSource DialogLanguageSource();
  // The settings from rivolet.ini, with what loading them does beside.
  void LoadStartSettings();
  // Puts a finished tick's rows into the notification window and its last
  // read into the state of reading.
  void ApplyTickOutcome(const TickOutcome& outcome);
  // The remembered-reading switches of the settings take effect.
  void ApplyReadingSwitches();

  ProgramFolders folders_;
  std::filesystem::path executable_;
  std::vector<std::string> arguments_;
  HttpClientSettings http_settings_;
  std::unique_ptr<TMainForm> main_form_;
  std::unique_ptr<TNewForm> new_form_;
  std::unique_ptr<TManagementForm> management_form_;
  std::unique_ptr<TOptionsForm> options_form_;
  std::unique_ptr<TAboutForm> about_form_;
  std::unique_ptr<TCatalogueForm> catalogue_form_;
  std::unique_ptr<TAktualizacjaForm> aktualizacja_form_;
  std::unique_ptr<TInformationForm> information_form_;
  std::unique_ptr<TImportPeriodForm> import_period_form_;
  std::unique_ptr<FeedUpdater> updater_;
  // A tick's error box is waiting for the dialogs to close, or is open:
  // later ticks put their failures in rows instead.
  bool tick_box_pending_ = false;
  // Where the store's trouble is told; none once the windows go.
  std::atomic<TMainForm*> trouble_form_{nullptr};
};

}  // namespace rivolet
