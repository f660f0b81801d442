// Placing a window by its frame's corner. Qt's widgets learn the size of a
// window's frame late (often only once the window has been moved), so the
// frame is asked of the window's native handle instead.
#include "platform/frame_position.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace rivolet {
namespace {

// Watches a window until its frame is known, then puts the frame's corner
// where it was asked for, once, and goes away. The window's own events tell
// it at once, mostly; a busy machine may deliver the last of them before the
// window manager has framed the window, so it also looks a few times a
// second, for a while.
class FrameCorrection : public QObject {
 public:
  FrameCorrection(QWidget* window, QPoint frame_top_left, KeepCorner keep)
      : QObject(window),
        window_(window),
        wanted_(frame_top_left),
        keep_(std::move(keep)) {
    window->installEventFilter(this);
    poll_.setInterval(50);
    connect(&poll_, &QTimer::timeout, this, [this] {
      if (done_) return;
      if (++polls_ > kMaxPolls) {
        Stop();
      } else {
        Check();
      }
    });
    poll_.start();
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_) Check();
    return QObject::eventFilter(watched, event);
  }

 private:
  static constexpr int kMaxPolls = 200;  // ten seconds

  void Check() {
    QWindow* handle = window_->windowHandle();
    if (done_ || handle == nullptr || !window_->isVisible() ||
        handle->frameMargins().isNull()) {
      return;
    }
    done_ = true;
    // Not from inside the event that told us (it may be a paint).
    QTimer::singleShot(0, this, [this] {
      // setGeometry places the inside of the window, which is exact once
      // the frame around it is known.
      if (QWindow* handle = window_->windowHandle()) {
        const QMargins frame = handle->frameMargins();
        const QPoint corner =
            keep_ ? keep_(wanted_, window_->size().grownBy(frame)) : wanted_;
        window_->setGeometry(
            QRect(corner + QPoint(frame.left(), frame.top()), window_->size()));
      }
      Stop();
    });
  }

  void Stop() {
    poll_.stop();
    window_->removeEventFilter(this);
    deleteLater();
  }

  QWidget* window_;
  QPoint wanted_;
  KeepCorner keep_;
  QTimer poll_;
  int polls_ = 0;
  bool done_ = false;
};

// Watches a window for the whole run and sizes its inside to what its frame
// leaves of the outer size.
class FrameSize : public QObject {
 public:
  FrameSize(QWidget* window, QSize outer)
      : QObject(window), window_(window), outer_(outer) {
    window->resize(outer);
    window->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    const QWindow* handle = window_->windowHandle();
    if (watched == window_ && handle != nullptr && window_->isVisible() &&
        handle->frameMargins() != applied_) {
      applied_ = handle->frameMargins();
      // Not from inside the event that told us (it may be a paint).
      QTimer::singleShot(0, this, [this] {
        window_->resize(outer_.width() - applied_.left() - applied_.right(),
                        outer_.height() - applied_.top() - applied_.bottom());
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QWidget* window_;
  QSize outer_;
  QMargins applied_;
};

}  // namespace

void KeepFrameSize(QWidget* window, QSize outer) {
  new FrameSize(window, outer);
}

void MoveFrameTo(QWidget* window, QPoint frame_top_left, KeepCorner keep) {
  window->move(frame_top_left);
  if (window->isVisible()) return;
  new FrameCorrection(window, frame_top_left, std::move(keep));
}

QPoint FramePosition(const QWidget* window) {
  const QWindow* handle = window->windowHandle();
  if (handle != nullptr && window->isVisible()) return handle->framePosition();
  return window->pos();
}

}  // namespace rivolet
