// The general error box.
#include "platform/guard.h"

#include <QApplication>

#include "platform/desktop.h"

namespace rivolet {

std::string ErrorBoxText(const std::string& message) {
  std::string text = message;
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
    text += '.';
  return text;
}

namespace {

bool shutting_down = false;

}  // namespace

void BeginShutdown() { shutting_down = true; }

bool ShutdownRequested() { return shutting_down; }

void GeneralErrorBox(const std::string& message) {
  if (ShutdownRequested()) return;
  CurrentDesktop().ShowMessage(MessageKind::kError, ErrorBoxText(message),
                               kProgramCaption, QApplication::activeWindow());
}

void OneErrorBox::Show(const std::string& message) {
  if (open_) return;
  open_ = true;
  struct Closed {
    bool& open;
    ~Closed() { open = false; }
  } closed{open_};
  GeneralErrorBox(message);
}

}  // namespace rivolet
