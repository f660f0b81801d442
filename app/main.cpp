// The program's entry: the application, its windows in their fixed order, and
// the event loop until the main window closes.
#include <unistd.h>

#include <QApplication>
#include <exception>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/main_form.h"
#include "platform/download.h"
#include "platform/guard.h"
#include "platform/termination.h"
#include "update/tick_downloads.h"

int main(int argc, char** argv) {
  QApplication qt_app(argc, argv);
  QApplication::setApplicationName(rivolet::kProgramCaption);
  // The main window's close ends the program (it may be hidden in the tray
  // while a dialog closes).
  QApplication::setQuitOnLastWindowClosed(false);
  // No display name: with one, Qt adds " — Rivolet" to every window title, and
  // each window's title must be exactly the caption the program sets.
  int result = 0;
  try {
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    rivolet::RivoletApp app(
        QCoreApplication::applicationDirPath().toStdString(),
        QCoreApplication::applicationFilePath().toStdString(),
        std::move(arguments));
    app.CreateWindows();
    rivolet::CloseOnTerminationSignals(&app.MainForm());
    app.MainForm().show();
    result = QApplication::exec();
    // A download given up at the close may still be looking up its host on
    // a worker thread; the exit handlers must not run under it. Everything
    // the program keeps was written and flushed by the close sequence.
    if (rivolet::AbandonedWorkers() > 0 ||
        rivolet::UnfinishedTickWorkers() > 0) {
      ::_exit(result);
    }
  } catch (const std::exception& e) {
    rivolet::GeneralErrorBox(e.what());
    return 1;
  }
  return result;
}
