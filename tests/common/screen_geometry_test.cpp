// Bringing a remembered window back within reach.
#include "common/screen_geometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace rivolet {
namespace {

TEST(ScreenGeometry, KeepOnScreen) {
  const PixelRect first = {0, 0, 1920, 1080}, second = {1920, 0, 1280, 1024};
  const std::vector<PixelScreen> two_screens = {{first, first},
                                                {second, second}};
  const std::vector<PixelScreen> panels = {{first, {0, 24, 1920, 1016}}};
  struct Case {
    const char* name;
    PixelRect window;
    std::vector<PixelScreen> screens;
    PixelPoint expected;
  };
  const std::vector<Case> cases = {
      {"inside", {100, 100, 600, 400}, two_screens, {100, 100}},
      {"mostly off the right edge, the title bar within reach",
       {3150, 900, 600, 400},
       two_screens,
       {2600, 624}},
      {"across two screens, into the nearer",
       {1800, 50, 600, 400},
       two_screens,
       {1920, 50}},
      {"twice the size: the top on the screen, the bottom below it",
       {100, 500, 640, 900},
       panels,
       {100, 140}},
      {"title bar above the screen",
       {100, -10, 600, 400},
       two_screens,
       {100, 0}},
      {"too little of the title bar",
       {3170, 100, 600, 400},
       two_screens,
       {2600, 100}},
      {"below the second screen, nearest is the second",
       {2000, 1050, 600, 400},
       two_screens,
       {2000, 624}},
      {"far off, left of everything",
       {-5000, 200, 600, 400},
       two_screens,
       {0, 200}},
      {"larger than the screen", {-50, -50, 2500, 1200}, two_screens, {0, 0}},
      {"screen lost since",
       {3000, 100, 600, 400},
       {{first, first}},
       {1320, 100}},
      {"at the corner, under a panel", {0, 0, 600, 400}, panels, {0, 24}},
      {"below the screen, back above the bottom panel",
       {100, 1200, 600, 400},
       panels,
       {100, 640}},
      {"no screens known", {-9000, -9000, 600, 400}, {}, {-9000, -9000}},
  };
  for (const Case& c : cases) {
    const PixelPoint at = KeepOnScreen(c.window, c.screens);
    EXPECT_EQ(at.left, c.expected.left) << c.name;
    EXPECT_EQ(at.top, c.expected.top) << c.name;
  }
}

}  // namespace
}  // namespace rivolet
