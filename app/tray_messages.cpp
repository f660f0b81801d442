// The mouse on the notification-area icon.
#include "app/tray_messages.h"

namespace rivolet {
namespace {

using M = TrayMouseMessage;

bool IsPress(M m) {
  return m == M::kLeftDown || m == M::kRightDown || m == M::kMiddleDown;
}

bool IsRelease(M m) {
  return m == M::kLeftUp || m == M::kRightUp || m == M::kMiddleUp;
}

bool IsDoubleClick(M m) {
  return m == M::kLeftDoubleClick || m == M::kRightDoubleClick ||
         m == M::kMiddleDoubleClick;
}

}  // namespace

bool TrayMessageSelects(TTrayIconMessage on, TrayMouseMessage message) {
  switch (on) {
    case TTrayIconMessage::imClick:
    case TTrayIconMessage::imMouseUp:
      return IsRelease(message);
    case TTrayIconMessage::imDoubleClick:
      return IsDoubleClick(message);
    case TTrayIconMessage::imMouseDown:
      return IsPress(message);
    case TTrayIconMessage::imLeftClickUp:
      return message == M::kLeftUp;
    case TTrayIconMessage::imLeftDoubleClick:
      return message == M::kLeftDoubleClick;
    case TTrayIconMessage::imRightClickUp:
      return message == M::kRightUp;
    case TTrayIconMessage::imRightDoubleClick:
      return message == M::kRightDoubleClick;
    case TTrayIconMessage::imNone:
      return false;
  }
  return false;
}

}  // namespace rivolet
