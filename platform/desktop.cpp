// The desktop in use.
#include "platform/desktop.h"

#include "platform/qt_desktop.h"

namespace rivolet {
namespace {

Desktop* installed = nullptr;

}  // namespace

Desktop& CurrentDesktop() {
  if (installed != nullptr) return *installed;
  static QtDesktop real;
  return real;
}

ScopedDesktop::ScopedDesktop(Desktop* desktop) : previous_(installed) {
  installed = desktop;
}

ScopedDesktop::~ScopedDesktop() { installed = previous_; }

}  // namespace rivolet
