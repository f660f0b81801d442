// The application object.
#include "app/application.h"

#include <QDialog>

#include "app/main_form.h"
#include "dialogs/catalogue_form.h"
#include "dialogs/information_form.h"
#include "dialogs/management_form.h"
#include "dialogs/new_feed_form.h"
#include "platform/guard.h"
#include "settings/about_form.h"
#include "settings/options.h"
#include "settings/options_form.h"
#include "reader/feed_reader.h"

namespace rivolet {

RivoletApp::RivoletApp(std::filesystem::path exe_folder,
                       std::filesystem::path executable,
                       std::vector<std::string> arguments,
                       HttpClientSettings http_settings)
    : feed_store(exe_folder / "feeds.che"),
      http(http_settings),
      settings_file(SettingsFilePath(exe_folder)),
      exe_folder_(std::move(exe_folder)),
      executable_(std::move(executable)),
      arguments_(std::move(arguments)),
      http_settings_(std::move(http_settings)) {}

RivoletApp::~RivoletApp() {
  // Dialogs first, the main window last, the reverse of their creation.
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
  main_form_ = std::make_unique<TMainForm>(*this);
  new_form_ = std::make_unique<TNewForm>(feed_list, http_settings_);
  management_form_ = std::make_unique<TManagementForm>(feed_list);
  aktualizacja_form_ = std::make_unique<TAktualizacjaForm>(*this, http);
  about_form_ = std::make_unique<TAboutForm>();
  options_form_ = std::make_unique<TOptionsForm>(settings_file, executable_,
                                                 main_form_.get());
  catalogue_form_ =
      std::make_unique<TCatalogueForm>(feed_list, exe_folder_, http_settings_);
  information_form_ = std::make_unique<TInformationForm>(http_settings_);
  // Every dialog but the About box reads the chosen language file again at
  // each showing.
  const LanguageSource source = [this] {
    return DialogLanguage(exe_folder_, language);
  };
  new_form_->language = source;
  management_form_->language = source;
  options_form_->language = source;
  catalogue_form_->language = source;
  information_form_->language = source;
}

bool RivoletApp::IsWindowName(std::string_view name) {
  for (const char* window :
       {"MainForm", "NewForm", "ManagementForm", "AktualizacjaForm",
        "AboutForm", "OptionsForm", "CatalogueForm", "InformationForm"}) {
    if (name == window) return true;
  }
  return false;
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

void RivoletApp::ShowNewForm() { ShowModal(*new_form_); }

void RivoletApp::ShowManagementForm() { ShowModal(*management_form_); }
void RivoletApp::ShowOptionsForm() { ShowModal(*options_form_); }

void RivoletApp::ShowInformationForm() {
  information_form_->feed_url = session.current_feed_url();
  ShowModal(*information_form_);
}

void RivoletApp::ShowAboutForm() { ShowModal(*about_form_); }

void RivoletApp::ShowCatalogueForm() { ShowModal(*catalogue_form_); }

bool RivoletApp::UpdatingOn() const { return options_form_->UpdatingOn(); }

std::string RivoletApp::NotificationSecondsText() {
  return options_form_->NotificationTimeText();
}

void RivoletApp::ShowNotifiedFeed(const std::string& url,
                                  std::string document) {
  // The feed on show is the one "About feed" describes, not the last one
  // the tick fetched.
  session.set_current_feed_url(url);
  session.TakeFeedRead(ReadFeed(std::move(document)));
  main_form_->ShowFeedRead();
  main_form_->ShowItem(0);
}

void RivoletApp::RestoreProgram() {
  if (!main_form_->isMinimized()) return;
  main_form_->showNormal();
  main_form_->raise();
  main_form_->activateWindow();
}

}  // namespace rivolet
