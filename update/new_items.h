// The notification list when only new items are notified: a row for every
// item a tick saw first, newest first, and no more rows than the window is
// worth.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "reader/shown_feed.h"
#include "update/scheduler.h"

namespace rivolet {

inline constexpr std::size_t kMaxNewItemRows = 100;

// An item date as shown (01.03.2005 12:00:00 GMT, 31.07.2005 12:29:29 Z,
// 2005-03-01T12:00:00+01:00, with or without the time and the zone) in
// seconds since 1970 UTC; nothing for a date in another form. Zones are
// Z, UT, GMT, UTC, the North American letters and +hhmm or +hh:mm; another
// word counts as UTC.
std::optional<std::int64_t> ShownDateSeconds(std::string_view date);

// The read of a due feed whose items were recorded: one row for each item
// that `first_seen` says is new, in the feed's order.
FeedRead ReadNewItems(const ShownFeed& feed,
                      const std::vector<bool>& first_seen);

// The rows newest first (dated rows before the undated, which keep their
// order), at most kMaxNewItemRows.
std::vector<NotificationRow> NewestFirst(std::vector<NewItemRow> items);

}  // namespace rivolet
