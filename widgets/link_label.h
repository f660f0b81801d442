// Components that report clicks: a label that acts as a link, and a
// read-only field.
#pragma once

#include <QLabel>
#include <QLineEdit>

namespace rivolet {

// A link-like label: it reports clicks, and underlines itself while the mouse
// is over it (other font styles kept).
class ClickLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ClickLabel(QWidget* parent = nullptr);

  // Underline on hover; off for labels that only react to clicks.
  void SetHoverUnderline(bool on) { hover_underline_ = on; }
  void Underline(bool on);

 signals:
  void clicked();
  void doubleClicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  bool hover_underline_ = true;
};

// A field that reports mouse clicks once it has handled them, so a handler
// may change its selection.
class ClickEdit : public QLineEdit {
  Q_OBJECT

 public:
  using QLineEdit::QLineEdit;

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace rivolet
