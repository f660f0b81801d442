// Screen geometry in pixels, and keeping a remembered window position
// reachable on the screens of the day.
#pragma once

#include <vector>

namespace rivolet {

struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct PixelPoint {
  int left = 0;
  int top = 0;
};

// A window can be grabbed when a strip along its top edge, as tall as a title
// bar and at least this wide, lies on one screen (smaller windows: all of it).
inline constexpr int kTitleBarHeight = 24;
inline constexpr int kTitleBarGrabWidth = 48;

// One screen: the whole of it, and the part its panels leave free.
struct PixelScreen {
  PixelRect geometry;
  PixelRect work_area;
};

// The top-left corner for `window`, remembered at window.left/top. A window
// that can be grabbed on a screen stays exactly where it was, also where a
// panel covers it (the panel is part of the screen, and (0, 0) under a top
// panel is a place the user can have chosen). Otherwise it moves the shortest
// distance that puts it whole in one screen's work area (its top-left corner
// there when it is larger). Without screens nothing moves.
PixelPoint KeepOnScreen(const PixelRect& window,
                        const std::vector<PixelScreen>& screens);

}  // namespace rivolet
