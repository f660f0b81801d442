// The program's entry: Qt's application, then the program until its main
// window closes.
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QLocale>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "app/program.h"
#include "background/download.h"
#include "platform/guard.h"
#include "platform/modal_windows.h"
#include "platform/qt_desktop.h"

int main(int argc, char** argv) {
  QApplication qt_app(argc, argv);
  QApplication::setApplicationName(rivolet::kProgramCaption);
  // The main window's close ends the program (it may be hidden in the tray
  // while a dialog closes).
  QApplication::setQuitOnLastWindowClosed(false);
  // The standard buttons follow the desktop's language (LANGUAGE, LC_ALL,
  // LC_MESSAGES, LANG), as message boxes do on other systems.
  rivolet::InstallQtTranslations(QLocale::system());
  rivolet::KeepModalWindowsFromMinimising();
  // No display name: with one, Qt adds " — Rivolet" to every window title, and
  // each window's title must be exactly the caption the program sets.
  int result = 0;
  try {
    const char* data_home = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    result = rivolet::RunProgram(
        rivolet::FindProgramFolders(
            QFile::encodeName(QCoreApplication::applicationDirPath())
                .toStdString(),
            data_home ? data_home : "", home ? home : ""),
        QCoreApplication::applicationFilePath().toStdString(),
        std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  } catch (const std::exception& e) {
    rivolet::GeneralErrorBox(e.what());
    return 1;
  }
  // A download given up at the close may still be looking up its host on a
  // worker thread; the exit handlers must not run under it. Everything the
  // program keeps was written and flushed by the close sequence.
  if (rivolet::DownloadService::UnfinishedWorkers() > 0) ::_exit(result);
  return result;
}
