// Ends the program when the process is asked to (SIGTERM, SIGINT, SIGHUP),
// through the event loop: every dialog and message box is closed, a download
// being waited for is given up, and the window's close sequence runs as for
// its close box; nothing is shown from then on.
#pragma once

class QWidget;

namespace rivolet {

void CloseOnTerminationSignals(QWidget* window);

}  // namespace rivolet
