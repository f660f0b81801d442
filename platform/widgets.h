// Small helpers for building windows the way all of ours are built: every
// component named after its member, at a fixed position.
#pragma once

#include <QLabel>
#include <QWidget>

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

}  // namespace rivolet
