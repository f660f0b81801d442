// The application object.
#include "app/application.h"

#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <cstdlib>

#include "app/about_form.h"
#include "app/main_form.h"
#include "app/program.h"
#include "app/single_instance.h"
#include "app/termination.h"
#include "app/tray_icon.h"
#include "background/download.h"
#include "dialogs/catalogue_form.h"
#include "dialogs/import_period_form.h"
#include "dialogs/information_form.h"
#include "dialogs/management_form.h"
#include "dialogs/new_feed_form.h"
#include "dialogs/options_form.h"
#include "platform/desktop.h"
#include "platform/guard.h"
#include "platform/modal_windows.h"
#include "settings/settings.h"

namespace rivolet {

RivoletApp::RivoletApp(ProgramFolders folders, std::filesystem::path executable,
                       std::vector<std::string> arguments,
                       HttpClientSettings http_settings)
    : feed_store(folders.user / "feeds.che"),
      remembered(folders.user / kReadingStoreFileName,
                 [this](const StoreTrouble& trouble) {
                   // Told on the window's thread, once it is there.
                   if (TMainForm* form = trouble_form_.load()) {
                     QMetaObject::invokeMethod(
                         form,
                         [form, trouble] { form->TellStoreTrouble(trouble); },
                         Qt::QueuedConnection);
                   }
                 }),
      http(http_settings),
      settings_file(SettingsFilePath(folders.user)),
      folders_(std::move(folders)),
      executable_(std::move(executable)),
      arguments_(std::move(arguments)),
      http_settings_(std::move(http_settings)) {}

RivoletApp::~RivoletApp() {
  trouble_form_ = nullptr;
  updater_.reset();
  // The last marks reach the disk before the program ends.
  if (ReadingKeeper* keeper = remembered.keeper()) keeper->Flush();
  // Dialogs first, the main window last, the reverse of the windows' order.
  import_period_form_.reset();
  information_form_.reset();
  catalogue_form_.reset();
  options_form_.reset();
  about_form_.reset();
  aktualizacja_form_.reset();
  management_form_.reset();
  new_form_.reset();
  main_form_.reset();
}

void RivoletApp::CreateWindows() {
  updater_ = std::make_unique<FeedUpdater>(
      feed_list, http, [this] { return settings.UpdatingOn(); },
      [this] { return !tick_box_pending_; });
  QObject::connect(updater_.get(), &FeedUpdater::tickStarted, updater_.get(),
                   [this] { AktualizacjaForm().ClearRows(); });
  QObject::connect(updater_.get(), &FeedUpdater::tickEnded, updater_.get(),
                   [this](const TickOutcome& outcome) {
                     Guarded([&] { ApplyTickOutcome(outcome); });
                   });
  updater_->set_tick_reader([this] { return remembered.ReaderForTick(); });
  main_form_ = std::make_unique<TMainForm>(
      MainFormParts{session, http, feed_list, feed_list_control, feed_store,
                    language, settings_file, folders_, executable_, arguments_,
                    remembered},
      *this);
  trouble_form_ = main_form_.get();
  LoadStartSettings();
}

void RivoletApp::ApplyReadingSwitches() {
  remembered.SetSwitches({settings.remember_reading, settings.only_new});
  if (main_form_) main_form_->ApplyReadingSwitches();
}

void RivoletApp::LoadStartSettings() {
  const SettingsLoad load = LoadSettings(settings_file);
  settings = load.settings;
  ApplyReadingSwitches();
  // "Run Rivolet on startup" turned on by the load writes the entry again,
  // for the executable as it is now. The entry is the desktop's business:
  // a failure changes nothing.
  if (load.startup_entry_again) {
    try {
      CurrentDesktop().SetStartupEntry(true, executable_);
    } catch (...) {
    }
  }
}

TAktualizacjaForm& RivoletApp::AktualizacjaForm() {
  if (!aktualizacja_form_) {
    aktualizacja_form_ = std::make_unique<TAktualizacjaForm>(*this);
  }
  return *aktualizacja_form_;
}

TOptionsForm& RivoletApp::OptionsForm() {
  if (!options_form_) {
    options_form_ = std::make_unique<TOptionsForm>(
        settings, settings_file, executable_, main_form_.get(),
        DialogLanguageSource());
    QObject::connect(options_form_.get(), &TOptionsForm::settingsSaved,
                     options_form_.get(), [this] { ApplyReadingSwitches(); });
  }
  return *options_form_;
}

LanguageSource RivoletApp::DialogLanguageSource() {
  // Every dialog but the About box reads the chosen language file again at
  // each showing.
  return [this] { return DialogLanguage(language); };
}

TNewForm& RivoletApp::NewForm() {
  if (!new_form_) {
    new_form_ = std::make_unique<TNewForm>(feed_list, http_settings_,
                                           DialogLanguageSource());
    QObject::connect(new_form_.get(), &TNewForm::feedListChanged,
                     new_form_.get(), [this] { SaveFeedList(); });
  }
  return *new_form_;
}

TManagementForm& RivoletApp::ManagementForm() {
  if (!management_form_) {
    management_form_ =
        std::make_unique<TManagementForm>(feed_list, DialogLanguageSource());
    QObject::connect(management_form_.get(), &TManagementForm::feedListChanged,
                     management_form_.get(), [this] { SaveFeedList(); });
  }
  return *management_form_;
}

TAboutForm& RivoletApp::AboutForm() {
  if (!about_form_) {
    about_form_ = std::make_unique<TAboutForm>(
        [this] { OpenHelp(HelpLanguageFor(language.current_name)); });
  }
  return *about_form_;
}

TCatalogueForm& RivoletApp::CatalogueForm() {
  if (!catalogue_form_) {
    catalogue_form_ = std::make_unique<TCatalogueForm>(
        feed_list, folders_, http_settings_, DialogLanguageSource());
    QObject::connect(catalogue_form_.get(), &TCatalogueForm::feedListChanged,
                     catalogue_form_.get(), [this] { SaveFeedList(); });
  }
  return *catalogue_form_;
}

TInformationForm& RivoletApp::InformationForm() {
  if (!information_form_) {
    information_form_ = std::make_unique<TInformationForm>(
        http_settings_, DialogLanguageSource());
  }
  return *information_form_;
}

TImportPeriodForm& RivoletApp::ImportPeriodForm() {
  if (!import_period_form_) {
    import_period_form_ =
        std::make_unique<TImportPeriodForm>(DialogLanguageSource());
  }
  return *import_period_form_;
}

void RivoletApp::ShowModal(QDialog& dialog) {
  // Nothing opens any more once the program is being ended.
  if (ShutdownRequested()) return;
  if (modal_runner) {
    modal_runner(dialog);
  } else {
    dialog.exec();
  }
}

void RivoletApp::ShowNewForm() { ShowModal(NewForm()); }

void RivoletApp::ShowManagementForm() { ShowModal(ManagementForm()); }
void RivoletApp::ShowOptionsForm() {
  ShowModal(OptionsForm());
  ApplyReadingSwitches();
}

void RivoletApp::ShowInformationForm() {
  InformationForm().feed_url = session.current_feed_url();
  ShowModal(InformationForm());
}

void RivoletApp::ShowAboutForm() { ShowModal(AboutForm()); }

void RivoletApp::OpenHelp(HelpLanguage language) {
  // The help pages are data the program brings along.
  CurrentDesktop().OpenLocalFile(HelpPage(folders_.data, language));
}

void RivoletApp::ShowCatalogueForm() { ShowModal(CatalogueForm()); }

void RivoletApp::SaveFeedList() {
  Guarded([this] { feed_store.Save(feed_list, feed_list_control); });
  if (main_form_) main_form_->ShowEmptyListNote();
}

std::optional<std::string> RivoletApp::AskImportPeriod() {
  TImportPeriodForm& form = ImportPeriodForm();
  form.setResult(QDialog::Rejected);
  ShowModal(form);
  if (form.result() != QDialog::Accepted) return std::nullopt;
  return form.Period();
}

std::string RivoletApp::NotificationSecondsText() {
  return settings.notification_seconds;
}

void RivoletApp::OpenNotifiedFeed(const std::string& url) {
  // The feed on show is the one "About feed" describes, not the last one
  // the tick fetched.
  main_form_->OpenFeed(url, true);
}

void RivoletApp::ShowDialog(MainDialog dialog) {
  switch (dialog) {
    case MainDialog::kNewFeed:
      return ShowNewForm();
    case MainDialog::kManagement:
      return ShowManagementForm();
    case MainDialog::kOptions:
      return ShowOptionsForm();
    case MainDialog::kInformation:
      return ShowInformationForm();
    case MainDialog::kAbout:
      return ShowAboutForm();
    case MainDialog::kCatalogue:
      return ShowCatalogueForm();
  }
}

bool RivoletApp::RememberPosition() { return settings.remember_position; }

void RivoletApp::ApplyTickOutcome(const TickOutcome& outcome) {
  if (outcome.current_feed_url) {
    session.set_current_feed_url(*outcome.current_feed_url);
  }
  TAktualizacjaForm& notification = AktualizacjaForm();
  notification.AddRows(outcome.rows);
  if (outcome.show_window) {
    notification.SwitchTimer1On();
    notification.show();
  }
  main_form_->ShowUnreadTotal();
  // Never over a dialog the user is working in: the box waits for it to
  // close. Ticks go on meanwhile, and their failures go into rows.
  if (!outcome.first_error) return;
  tick_box_pending_ = true;
  WhenNoModalWindow(main_form_.get(), [this, error = *outcome.first_error] {
    struct Closed {
      bool& pending;
      ~Closed() { pending = false; }
    } closed{tick_box_pending_};
    GeneralErrorBox(error);
  });
}

void RivoletApp::OpenHandedOver(const std::filesystem::path& file) {
  main_form_->tray->Restore();
  if (file.empty()) return;
  DownloadService::AfterWait([this, file] {
    WhenNoModalWindow(main_form_.get(), [this, file] {
      Guarded([&] { main_form_->OpenListFile(file); });
    });
  });
}

void RivoletApp::RestoreProgram() {
  if (!main_form_->isMinimized()) return;
  main_form_->showNormal();
  main_form_->raise();
  main_form_->activateWindow();
}

int RunProgram(ProgramFolders folders, std::filesystem::path executable,
               std::vector<std::string> arguments) {
  MakeUserFolder(folders);
  const ProgramFolders made = folders;
  // Everything of the run, the other start's hand-over included, is over
  // before a stand-in folder goes.
  const int result = [&] {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    SingleInstance instance(
        folders.user,
        InstanceSocketPath(folders.user, runtime ? runtime : "", ::getuid()));
    // The running program may have been started elsewhere: the file goes to
    // it as this start sees it.
    HandOver hand_over;
    if (!arguments.empty() && !arguments.front().empty()) {
      std::error_code ec;
      hand_over.file = std::filesystem::absolute(arguments.front(), ec);
    }
    switch (instance.Enter(hand_over)) {
      case SingleInstance::Start::kHandedOver:
        return 0;
      case SingleInstance::Start::kNoAnswer:
        GeneralErrorBox("Rivolet is already running for " +
                        folders.user.string() + " and does not answer");
        return 1;
      case SingleInstance::Start::kRun:
        break;
    }
    RivoletApp app(std::move(folders), std::move(executable),
                   std::move(arguments));
    app.CreateWindows();
    instance.Listen();
    QObject::connect(&instance, &SingleInstance::handedOver, &app.MainForm(),
                     [&app](const HandOver& handed) {
                       Guarded([&] { app.OpenHandedOver(handed.file); });
                     });
    CloseOnTerminationSignals(&app.MainForm());
    app.MainForm().show();
    return QApplication::exec();
  }();
  RemoveStandInFolder(made);
  return result;
}

}  // namespace rivolet
