// Modal windows that come back when minimised on their own.
#include "platform/modal_windows.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace rivolet {
namespace {

class ModalWindowWatch : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::WindowStateChange ||
        !watched->isWidgetType()) {
      return QObject::eventFilter(watched, event);
    }
    auto* window = static_cast<QWidget*>(watched);
    const QWidget* owner =
        window->parentWidget() ? window->parentWidget()->window() : nullptr;
    if (window->isWindow() && window->isModal() && window->isMinimized() &&
        (owner == nullptr || !owner->isMinimized())) {
      // Once the window manager has finished minimising it.
      QTimer::singleShot(0, window, [window = QPointer<QWidget>(window)] {
        if (window == nullptr || !window->isMinimized()) return;
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->show();
        window->raise();
        window->activateWindow();
      });
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

void WhenNoModalWindow(QObject* context, std::function<void()> action) {
  if (QApplication::activeModalWidget() == nullptr) {
    action();
    return;
  }
  // Modal windows close in many ways (a button, the close box, Escape, the
  // end of their own loop); looking a few times a second sees them all.
  auto* watch = new QTimer(context);
  watch->setInterval(100);
  QObject::connect(watch, &QTimer::timeout, watch,
                   [watch, action = std::move(action)] {
                     if (QApplication::activeModalWidget() != nullptr) return;
                     watch->stop();
                     watch->deleteLater();
                     action();
                   });
  watch->start();
}

void KeepModalWindowsFromMinimising() {
  qApp->installEventFilter(new ModalWindowWatch(qApp));
}

}  // namespace rivolet
