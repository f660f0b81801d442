// Closes a window when the process is asked to end (SIGTERM, SIGINT, SIGHUP),
// through the event loop, so its close sequence runs as for its close box.
#pragma once

class QWidget;

namespace rivolet {

void CloseOnTerminationSignals(QWidget* window);

}  // namespace rivolet
