// Keeping a remembered window reachable.
#include "common/screen_geometry.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace rivolet {
namespace {

struct Span {
  std::int64_t begin;
  std::int64_t size;
  std::int64_t end() const { return begin + size; }
};

// The start nearest to `at` that puts `size` inside `room`; the room's start
// when it is too small.
std::int64_t Fit(std::int64_t at, std::int64_t size, Span room) {
  if (size >= room.size) return room.begin;
  return std::clamp(at, room.begin, room.end() - size);
}

}  // namespace

PixelPoint KeepOnScreen(const PixelRect& window,
                        const std::vector<PixelScreen>& screens) {
  const std::int64_t width = std::max(window.width, 0);
  const std::int64_t height = std::max(window.height, 0);
  // A window already in a work area is 0 away from it and stays.
  PixelPoint best{window.left, window.top};
  double best_distance = std::numeric_limits<double>::infinity();
  for (const PixelScreen& each : screens) {
    const PixelRect& screen = each.work_area;
    const std::int64_t left =
        Fit(window.left, width, {screen.left, std::max(screen.width, 0)});
    const std::int64_t top =
        Fit(window.top, height, {screen.top, std::max(screen.height, 0)});
    const double dx = static_cast<double>(left - window.left);
    const double dy = static_cast<double>(top - window.top);
    const double distance = dx * dx + dy * dy;
    if (distance < best_distance) {
      best_distance = distance;
      best = {static_cast<int>(left), static_cast<int>(top)};
    }
  }
  return best;
}

}  // namespace rivolet
