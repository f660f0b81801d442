// Small helpers for building windows the way all of ours are built: every
// component named after its member, at a fixed position.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRect>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

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

// Limits what typing can put into `edit` to `limit` characters. A text the
// program sets whole (SetWholeText) may be longer and stays whole: typing can
// then shorten it but never lengthen it again.
inline void LimitTyping(QLineEdit* edit, int limit) {
  edit->setMaxLength(limit);
  QObject::connect(
      edit, &QLineEdit::textChanged, edit, [edit, limit](const QString& text) {
        const int wanted = std::max<int>(limit, static_cast<int>(text.size()));
        if (edit->maxLength() == wanted) return;
        // Qt moves the cursor to the end when the limit changes.
        const int cursor = edit->cursorPosition();
        edit->setMaxLength(wanted);
        edit->setCursorPosition(cursor);
      });
}

// Shows `text` whole in `edit`, whatever the limit of its typing.
inline void SetWholeText(QLineEdit* edit, const QString& text) {
  if (text.size() > edit->maxLength()) {
    edit->setMaxLength(static_cast<int>(text.size()));
  }
  edit->setText(text);
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

// A panel: a frame that shows its caption, if it has one, in its middle
// under its components. Ours have none; a language file may give one.
class Panel : public QFrame {
 public:
  using QFrame::QFrame;
  const QString& text() const { return text_; }
  void setText(const QString& text) {
    text_ = text;
    update();
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QFrame::paintEvent(event);
    if (text_.isEmpty()) return;
    QPainter painter(this);
    painter.drawText(contentsRect(), Qt::AlignCenter, text_);
  }

 private:
  QString text_;
};

// A white panel named `name` that fills a page of a page control, whatever
// the style's tab height.
inline QFrame* FillWithWhitePanel(QWidget* page, const char* name) {
  auto* panel = new Panel(page);
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
  const PixelRect screen = CurrentDesktop().ScreenSize();
  window->move(screen.left + (screen.width - size.width()) / 2,
               screen.top + (screen.height - size.height()) / 2);
}

}  // namespace rivolet
