// Small checks shared by the window tests: showing a window as the active
// one, and its components against a table of names and places.
#pragma once

#include <gtest/gtest.h>

#include <QRect>
#include <QTest>
#include <QWidget>
#include <vector>

namespace rivolet::testing {

// Shows `window` and waits until it has the keyboard, as a user would find
// it; key events then reach its focus widget.
inline void ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

struct Placed {
  const char* name;
  QRect at;  // left, top, width, height; a width or height of 0 is unchecked
};

inline void ExpectPlaced(const QWidget& window,
                         const std::vector<Placed>& table) {
  for (const Placed& p : table) {
    const QWidget* widget = window.findChild<QWidget*>(p.name);
    ASSERT_NE(widget, nullptr) << p.name;
    EXPECT_EQ(widget->pos(), p.at.topLeft()) << p.name;
    if (p.at.width() > 0) {
      EXPECT_EQ(widget->width(), p.at.width()) << p.name;
    }
    if (p.at.height() > 0) {
      EXPECT_EQ(widget->height(), p.at.height()) << p.name;
    }
  }
}

}  // namespace rivolet::testing
