// Runs the whole program in a temporary folder for a window test, with a
// recording desktop, and modal dialogs that only run their show handler.
#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/main_form.h"
#include "tests/support/temp_dir.h"
#include "tests/support/ui/recording_desktop.h"

namespace rivolet::testing {

class AppHarness {
 public:
  AppHarness() : folders(PortableFolders(dir.path())), scoped_(&desktop) {}
  ~AppHarness() { app.reset(); }

  // Creates the windows as the program's entry does, and shows the main one.
  RivoletApp& Start(std::vector<std::string> arguments = {},
                    HttpClientSettings settings = FastHttp()) {
    app = std::make_unique<RivoletApp>(folders, dir.path() / "rivolet",
                                       std::move(arguments), settings);
    app->modal_runner = [this](QDialog& dialog) {
      shown_dialogs.push_back(&dialog);
    };
    app->CreateWindows();
    app->MainForm().show();
    return *app;
  }

  TMainForm& Main() { return app->MainForm(); }

  // Closes the main window as its close box does; true when it closed.
  bool Close() { return app->MainForm().close(); }

  static HttpClientSettings FastHttp() {
    HttpClientSettings settings;
    settings.connect_timeout = std::chrono::milliseconds(2000);
    settings.idle_timeout = std::chrono::milliseconds(3000);
    return settings;
  }

  std::vector<std::string> ErrorTexts() const {
    std::vector<std::string> texts;
    for (const auto& message : desktop.messages) {
      if (message.kind == MessageKind::kError) texts.push_back(message.text);
    }
    return texts;
  }

  TempDir dir;
  ProgramFolders folders;  // both in `dir` unless a test says otherwise
  RecordingDesktop desktop;
  std::unique_ptr<RivoletApp> app;
  std::vector<QDialog*> shown_dialogs;

 private:
  ScopedDesktop scoped_;
};

}  // namespace rivolet::testing
