// A label that acts as a link: it reports clicks, and underlines itself while
// the mouse is over it (other font styles kept).
#pragma once

#include <QLabel>

namespace rivolet {

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

}  // namespace rivolet
