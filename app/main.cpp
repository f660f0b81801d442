// The program's entry: the application, its windows in their fixed order, and
// the event loop until the main window closes.
#include <QApplication>
#include <exception>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/main_form.h"
#include "platform/guard.h"
#include "platform/termination.h"

int main(int argc, char** argv) {
  QApplication qt_app(argc, argv);
  QApplication::setApplicationName(rivolet::kProgramCaption);
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
  } catch (const std::exception& e) {
    rivolet::GeneralErrorBox(e.what());
    return 1;
  }
  return result;
}
