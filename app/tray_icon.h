// The program's icon in the desktop's notification area: minimising to it,
// restoring from it, and its popup menu.
#pragma once

#include <QObject>
#include <QSystemTrayIcon>
#include <functional>
#include <string>

#include "app/tray_messages.h"

class QMenu;
class QTimer;
class QWidget;

namespace rivolet {

class TTrayIcon : public QObject {
  Q_OBJECT

 public:
  // `window` is the one the icon minimises and restores; it owns the icon.
  explicit TTrayIcon(QWidget* window);
  ~TTrayIcon() override;

  // Properties, with the values the component starts with.
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  std::string Hint;  // the tooltip, at most 63 characters; empty for none
  QMenu* PopupMenu = nullptr;
  bool Hide = true;  // minimising also removes the taskbar entry
  TTrayIconMessage RestoreOn = TTrayIconMessage::imDoubleClick;
  TTrayIconMessage PopupMenuOn = TTrayIconMessage::imNone;

  // Hands the icon and its tooltip to the desktop again.
  void Update();
  // Minimises the window; while the icon is shown in a notification area
  // (and Hide is set) the window is hidden too, so only the icon is left.
  // The hiding waits for the event loop.
  void Minimize();
  // Brings the window back from the notification area and in front.
  void Restore();
  // Brings the window back without putting it in front.
  void RestoreApplication();
  // Pops up PopupMenu at the mouse.
  void ShowMenu();
  // The mouse on the icon: restores and opens the menu as RestoreOn and
  // PopupMenuOn say.
  void DoMessage(TrayMouseMessage message);
  // The desktop session is ending: the icon goes.
  void EndSession();
  // Run every 2 s while the window is hidden in the notification area:
  // brings it back (minimised, with its taskbar entry) when the area has
  // gone, since the icon was the only way back to it.
  void WatchTheArea();

  // True while the icon is in a notification area: Visible and a desktop
  // that has one.
  bool IconShown() const;
  // Whether the desktop has a notification area; tests replace it.
  std::function<bool()> tray_available =
      &QSystemTrayIcon::isSystemTrayAvailable;

  QSystemTrayIcon& icon() { return *icon_; }

 protected:
  // Takes the mouse of Qt's own X11 tray window (see the source).
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Activated(QSystemTrayIcon::ActivationReason reason);

  QWidget* window_;
  QSystemTrayIcon* icon_;
  QTimer* watch_;
  bool visible_ = false;
};

}  // namespace rivolet
