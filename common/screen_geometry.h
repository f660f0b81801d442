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

// One screen: the whole of it, and the part its panels leave free.
struct PixelScreen {
  PixelRect geometry;
  PixelRect work_area;
};

// The top-left corner for `window` (its whole frame), remembered at
// window.left/top. A window that lies whole in one screen's work area stays
// exactly where it was; any other moves the shortest distance that puts it
// whole in one screen's work area, clear of its panels (its top-left corner
// there when it is larger), so that no part of a fixed-size window is out
// of reach. Without screens nothing moves.
PixelPoint KeepOnScreen(const PixelRect& window,
                        const std::vector<PixelScreen>& screens);

}  // namespace rivolet
