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

void GeneralErrorBox(const std::string& message) {
  CurrentDesktop().ShowMessage(MessageKind::kError, ErrorBoxText(message),
                               kProgramCaption, QApplication::activeWindow());
}

}  // namespace rivolet
