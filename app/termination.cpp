// The signal handler only writes a byte to a pipe; the event loop reads it,
// closes every dialog and message box, gives up a download being waited for,
// and then closes the main window, whose close sequence saves what it saves.
#include "app/termination.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include "background/download.h"
#include "platform/guard.h"

namespace rivolet {
namespace {

int signal_fds[2] = {-1, -1};

void OnSignal(int) {
  char byte = 1;
  // Nothing useful can be done about a full pipe: one byte is enough.
  [[maybe_unused]] ssize_t ignored = ::write(signal_fds[0], &byte, 1);
}

// Dialogs and message boxes run event loops of their own: each is ended, so
// that the stack unwinds back to the main loop; the main window is closed
// once it has.
void EndProgram(const QPointer<QWidget>& main_window) {
  BeginShutdown();
  DownloadService::AbandonWait();
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget == main_window || !widget->isVisible()) continue;
    if (auto* dialog = qobject_cast<QDialog*>(widget)) {
      dialog->reject();
    } else if (qobject_cast<QMenu*>(widget) != nullptr) {
      widget->close();
    }
  }
  // exit(), not quit(): every event loop ends at once, and one that a late
  // handler might still start returns at once too.
  QTimer::singleShot(0, [main_window] {
    if (main_window) main_window->close();
    QCoreApplication::exit(0);
  });
}

}  // namespace

void CloseOnTerminationSignals(QWidget* window) {
  if (signal_fds[0] < 0 &&
      ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signal_fds) != 0) {
    return;
  }
  ::fcntl(signal_fds[0], F_SETFL, O_NONBLOCK);
  auto* notifier =
      new QSocketNotifier(signal_fds[1], QSocketNotifier::Read, window);
  QPointer<QWidget> target(window);
  QObject::connect(notifier, &QSocketNotifier::activated, window, [target]() {
    char buffer[16];
    while (::recv(signal_fds[1], buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
    }
    EndProgram(target);
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &action, nullptr);
}

}  // namespace rivolet
