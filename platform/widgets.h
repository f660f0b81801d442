// Small helpers for building windows the way all of ours are built: every
// component named after its member, at a fixed position.
#pragma once

#include <QLabel>
#include <QWidget>

#include "platform/desktop.h"

namespace rivolet {

// A label (or a label subclass) named `name` at `left`, `top`. Labels show
// plain text only: texts from feeds must never be read as markup.
template <typename Label = QLabel>
Label* PlaceLabel(QWidget* parent, const char* name, int left, int top) {
  auto* label = new Label(parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  label->move(left, top);
  return label;
}

// Places a window of the given outer size in the middle of the primary screen.
inline void CentreOnScreen(QWidget* window, QSize size) {
  const ScreenRect screen = CurrentDesktop().ScreenSize();
  window->move(screen.left + (screen.width - size.width()) / 2,
               screen.top + (screen.height - size.height()) / 2);
}

}  // namespace rivolet
