// Small helpers for building windows the way all of ours are built: every
// component named after its member, at a fixed position.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QVBoxLayout>
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

// A label named `name` at `left`, `top` showing `text`, as wide as it.
inline QLabel* PlaceCaption(QWidget* parent, const char* name, const char* text,
                            int left, int top) {
  QLabel* label = PlaceLabel(parent, name, left, top);
  label->setText(text);
  label->adjustSize();
  return label;
}

// The edit fields' height in every window.
inline constexpr int kEditHeight = 21;

// An edit field (or a subclass) named `name`, `width` wide at `left`, `top`.
template <typename Edit = QLineEdit>
Edit* PlaceEdit(QWidget* parent, const char* name, int left, int top,
                int width) {
  auto* edit = new Edit(parent);
  edit->setObjectName(name);
  edit->setGeometry(left, top, width, kEditHeight);
  return edit;
}

// A push button named `name` with the hand cursor all our buttons show.
inline QPushButton* PlaceButton(QWidget* parent, const char* name,
                                const char* text, QRect geometry) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setGeometry(geometry);
  button->setCursor(Qt::PointingHandCursor);
  return button;
}

// A white panel named `name` that fills a page of a page control, whatever
// the style's tab height.
inline QFrame* FillWithWhitePanel(QWidget* page, const char* name) {
  auto* panel = new QFrame(page);
  panel->setObjectName(name);
  panel->setAutoFillBackground(true);
  QPalette white = panel->palette();
  white.setColor(QPalette::Window, Qt::white);
  panel->setPalette(white);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(panel);
  return panel;
}

// Places a window of the given outer size in the middle of the primary screen.
inline void CentreOnScreen(QWidget* window, QSize size) {
  const ScreenRect screen = CurrentDesktop().ScreenSize();
  window->move(screen.left + (screen.width - size.width()) / 2,
               screen.top + (screen.height - size.height()) / 2);
}

}  // namespace rivolet
