// The one way a window wires a component's signal to its handler: through
// the guard, so that an error escaping the handler reaches the general error
// box and never Qt's event loop.
//
//   ConnectGuarded(ReadButtonNF, &QPushButton::clicked, this,
//                  &TNewForm::ReadButtonNFClick);
#pragma once

#include <QObject>
#include <functional>
#include <type_traits>
#include <utility>

#include "platform/guard.h"

namespace rivolet {

// Connects `signal` of `sender` to `handler` of `form` (a member function or
// any callable taking the form). The handler gets the signal's arguments when
// it takes them, and none otherwise.
template <typename Sender, typename Signal, typename Form, typename Handler>
QMetaObject::Connection ConnectGuarded(Sender* sender, Signal signal,
                                       Form* form, Handler handler) {
  return QObject::connect(
      sender, signal, form, [form, handler](auto&&... arguments) {
        Guarded([&] {
          if constexpr (std::is_invocable_v<Handler, Form*,
                                            decltype(arguments)...>) {
            std::invoke(handler, form,
                        std::forward<decltype(arguments)>(arguments)...);
          } else {
            std::invoke(handler, form);
          }
        });
      });
}

}  // namespace rivolet
