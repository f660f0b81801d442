// Link-like labels and fields that report clicks.
#include "widgets/link_label.h"

#include <QMouseEvent>

namespace rivolet {

ClickLabel::ClickLabel(QWidget* parent) : QLabel(parent) {
  setMouseTracking(true);
  setCursor(Qt::PointingHandCursor);
}

void ClickLabel::Underline(bool on) {
  QFont f = font();
  if (f.underline() == on) return;
  f.setUnderline(on);
  setFont(f);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton &&
      rect().contains(event->position().toPoint())) {
    emit clicked();
  }
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent* event) {
  QLabel::mouseDoubleClickEvent(event);
  emit doubleClicked();
}

void ClickLabel::mouseMoveEvent(QMouseEvent* event) {
  QLabel::mouseMoveEvent(event);
  if (hover_underline_) Underline(true);
}

void ClickLabel::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  if (hover_underline_) Underline(true);
}

void ClickLabel::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  if (hover_underline_) Underline(false);
}

void ClickEdit::mouseReleaseEvent(QMouseEvent* event) {
  QLineEdit::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton) emit clicked();
}

}  // namespace rivolet
