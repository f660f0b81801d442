// The notification-area icon over Qt's system tray icon.
#include "settings/tray_icon.h"

#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QSessionManager>
#include <QTimer>
#include <QWidget>

#include "platform/artwork.h"
#include "platform/connect.h"
#include "platform/text_bridge.h"

namespace rivolet {
namespace {

constexpr std::size_t kMaxHint = 63;

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
  icon_->setToolTip(ToQt(Hint.substr(0, kMaxHint)));
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

void TTrayIcon::Activated(QSystemTrayIcon::ActivationReason reason) {
  // Qt reports a finished click of each button as one activation.
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
