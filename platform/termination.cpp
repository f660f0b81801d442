// The signal handler only writes a byte to a pipe; the event loop reads it
// and closes the window.
#include "platform/termination.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>

namespace rivolet {
namespace {

int signal_fds[2] = {-1, -1};

void OnSignal(int) {
  char byte = 1;
  // Nothing useful can be done about a full pipe: one byte is enough.
  [[maybe_unused]] ssize_t ignored = ::write(signal_fds[0], &byte, 1);
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
    // A dialog open at that moment is closed as by its close box first: its
    // own event loop must end before the program can, and what it holds
    // unconfirmed is dropped as by Cancel.
    while (QWidget* modal = QApplication::activeModalWidget()) {
      if (!modal->close()) break;
    }
    if (target) target->close();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &action, nullptr);
}

}  // namespace rivolet
