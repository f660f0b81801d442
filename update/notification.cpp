// The notification window's rules.
#include "update/notification.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "common/text.h"

namespace rivolet {

int NotificationCloseInterval(std::string_view seconds_text) {
  const std::int64_t ms = std::int64_t{StrToInt(seconds_text)} * 1000;
  return static_cast<int>(
      std::clamp<std::int64_t>(ms, 0, std::numeric_limits<int>::max()));
}

}  // namespace rivolet
