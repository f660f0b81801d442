// The notification-area icon over Qt's system tray icon.
#include "app/tray_icon.h"

#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QMouseEvent>
#include <QSessionManager>
#include <QTimer>
#include <QWidget>
#include <optional>

#include "platform/guard.h"
#include "platform/text_bridge.h"
#include "widgets/artwork.h"
#include "widgets/connect.h"

namespace rivolet {
namespace {

constexpr std::size_t kMaxHint = 63;

// The name Qt gives the window of its own tray icon on X11, where the icon is
// embedded in the tray (XEmbed) rather than drawn by the desktop.
constexpr char kQtX11TrayWindow[] = "QSystemTrayIconSys";

// What a mouse event on the icon is, in the icon's terms; nothing for a
// button the icon knows nothing of.
std::optional<TrayMouseMessage> TrayMessageOf(QEvent::Type type,
                                              Qt::MouseButton button) {
  using M = TrayMouseMessage;
  const int kind = type == QEvent::MouseButtonPress     ? 0
                   : type == QEvent::MouseButtonRelease ? 1
                                                        : 2;
  constexpr M kLeft[] = {M::kLeftDown, M::kLeftUp, M::kLeftDoubleClick};
  constexpr M kRight[] = {M::kRightDown, M::kRightUp, M::kRightDoubleClick};
  constexpr M kMiddle[] = {M::kMiddleDown, M::kMiddleUp, M::kMiddleDoubleClick};
  switch (button) {
    case Qt::LeftButton:
      return kLeft[kind];
    case Qt::RightButton:
      return kRight[kind];
    case Qt::MiddleButton:
      return kMiddle[kind];
    default:
      return std::nullopt;
  }
}

}  // namespace

TTrayIcon::TTrayIcon(QWidget* window)
    : QObject(window),
      window_(window),
      icon_(new QSystemTrayIcon(this)),
      watch_(new QTimer(this)) {
  icon_->setObjectName("trayIcon");
  watch_->setInterval(2000);
  ConnectGuarded(watch_, &QTimer::timeout, this, &TTrayIcon::WatchTheArea);
  ConnectGuarded(icon_, &QSystemTrayIcon::activated, this,
                 &TTrayIcon::Activated);
  // Asked before the session ends, and at the program's end: the icon goes.
  ConnectGuarded(qApp, &QGuiApplication::commitDataRequest, this,
                 &TTrayIcon::EndSession);
  ConnectGuarded(qApp, &QCoreApplication::aboutToQuit, this,
                 [](TTrayIcon* tray) { tray->icon_->hide(); });
  // Qt's X11 tray window reports a click as soon as the button goes down,
  // and comes and goes with the tray; the application's events are watched
  // for it (see eventFilter).
  qApp->installEventFilter(this);
}

// Qt removes the icon with its object, without an error.
TTrayIcon::~TTrayIcon() = default;

void TTrayIcon::SetVisible(bool visible) {
  visible_ = visible;
  if (visible) Update();
  // A desktop without a notification area simply shows no icon: Qt puts it
  // there should one appear later.
  icon_->setVisible(visible);
}

void TTrayIcon::Update() {
  icon_->setIcon(QIcon(ProgramIcon()));
  icon_->setToolTip(PlainToolTip(ToQt(Hint.substr(0, kMaxHint))));
}

bool TTrayIcon::IconShown() const { return visible_ && tray_available(); }

void TTrayIcon::Minimize() {
  if (!window_->isMinimized()) window_->showMinimized();
  // Without an icon to come back through, the taskbar entry stays: it is
  // then the only way back to the window.
  if (!Hide || !IconShown()) return;
  // Hidden once the minimising is over, which would otherwise show it again.
  QTimer::singleShot(0, window_, [window = window_] {
    if (window->isMinimized()) window->hide();
  });
  watch_->start();
}

void TTrayIcon::WatchTheArea() {
  if (window_->isVisible()) {
    watch_->stop();
  } else if (!IconShown()) {
    watch_->stop();
    window_->showMinimized();
  }
}

void TTrayIcon::RestoreApplication() {
  window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
  window_->show();
}

void TTrayIcon::Restore() {
  RestoreApplication();
  window_->raise();
  window_->activateWindow();
}

void TTrayIcon::ShowMenu() {
  if (PopupMenu == nullptr) return;
  const QPoint at = QCursor::pos();
  // A window hidden in the tray may still count as active: bringing it
  // forward would show it again.
  QWidget* active = QApplication::activeWindow();
  if (active != nullptr && active->isVisible() && !active->isMinimized()) {
    active->raise();
    active->activateWindow();
  }
  PopupMenu->popup(at);
}

void TTrayIcon::DoMessage(TrayMouseMessage message) {
  if (TrayMessageSelects(RestoreOn, message)) Restore();
  if (TrayMessageSelects(PopupMenuOn, message)) ShowMenu();
}

bool TTrayIcon::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if ((type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
       type != QEvent::MouseButtonDblClick) ||
      !watched->isWidgetType() || watched->objectName() != kQtX11TrayWindow) {
    return QObject::eventFilter(watched, event);
  }
  // The icon's window is ours and gets every press and release: Qt's own
  // handling (activated() at the press) is replaced by the icon's rules, so
  // the window comes back and the menu opens when the button is released.
  // A release away from the icon, as with a button, does nothing.
  const auto* mouse = static_cast<QMouseEvent*>(event);
  const std::optional<TrayMouseMessage> message =
      TrayMessageOf(type, mouse->button());
  const bool over = static_cast<QWidget*>(watched)->rect().contains(
      mouse->position().toPoint());
  if (message && (type != QEvent::MouseButtonRelease || over)) {
    Guarded([this, message] { DoMessage(*message); });
  }
  return true;
}

void TTrayIcon::Activated(QSystemTrayIcon::ActivationReason reason) {
  // Where the desktop draws the icon itself (a StatusNotifierItem host over
  // D-Bus), Qt reports a finished click of each button as one activation.
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      DoMessage(TrayMouseMessage::kLeftUp);
      break;
    case QSystemTrayIcon::Context:
      DoMessage(TrayMouseMessage::kRightUp);
      break;
    case QSystemTrayIcon::DoubleClick:
      DoMessage(TrayMouseMessage::kLeftDoubleClick);
      break;
    case QSystemTrayIcon::MiddleClick:
      DoMessage(TrayMouseMessage::kMiddleUp);
      break;
    case QSystemTrayIcon::Unknown:
      break;
  }
}

void TTrayIcon::EndSession() {
  const bool was_shown = IconShown();
  icon_->hide();
  visible_ = false;
  // Should the session go on after all (a log-off cancelled), a window
  // hidden in the notification area must not be left without a way back.
  if (was_shown && window_->isHidden() && window_->isMinimized()) {
    window_->showMinimized();
  }
}

}  // namespace rivolet
