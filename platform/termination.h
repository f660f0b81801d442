// Closes a window when the process is asked to end (SIGTERM, SIGINT, SIGHUP),
// through the event loop, so its close sequence runs as for its close box. A
// modal dialog open at that moment is closed first.
#pragma once

class QWidget;

namespace rivolet {

void CloseOnTerminationSignals(QWidget* window);

}  // namespace rivolet
