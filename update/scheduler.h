// The update scheduler's rules: which feeds fall due on a minute tick, when a
// tick is skipped, and what the finished downloads of a tick put into the
// notification list. Downloading itself is the caller's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "feeds/feed_list.h"
#include "reader/shown_feed.h"

namespace rivolet {

// The update period of a feed in minutes: its period text trimmed of codes 0
// to 32 and read as a whole number (hexadecimal forms included). Empty when
// the feed is never updated automatically: an empty text, 0 or a text that
// is not a whole number. A negative period counts by its remainder rule like
// any other: -5 falls due every fifth tick.
std::optional<std::int32_t> UpdatePeriod(std::string_view period_text);

// A feed is due on `tick` when it has a period that divides the tick.
bool IsFeedDue(std::int32_t tick, std::string_view period_text);

// One feed to download in this tick.
struct DueFeed {
  std::size_t index;  // position in the FeedList when the tick began
  std::string url;
  std::string name;  // the feed's name when the tick began, for its errors

  friend bool operator==(const DueFeed&, const DueFeed&) = default;
};

enum class TickAction {
  kNothing,  // updating is off: the list is left as it is
  kRun,      // empty the notification list, then download `due` in order
};

struct TickPlan {
  TickAction action = TickAction::kNothing;
  // For kRun, the due feeds in FeedList order; none means the window is not
  // shown this tick.
  std::vector<DueFeed> due;
};

// The minute timer's state for the whole run.
class UpdateScheduler {
 public:
  // The tick's decision. With updating off the tick count does not advance.
  // Otherwise it advances, on time whatever else is going on, and the due
  // feeds are listed, but for those whose URL `in_flight` names: a feed
  // still being downloaded by an earlier tick is not started again.
  TickPlan BeginTick(
      bool updating_on, const FeedList& feeds,
      const std::function<bool(const std::string&)>& in_flight = nullptr);

  std::int32_t tick() const { return tick_; }

 private:
  std::int32_t tick_ = 0;  // never reset during a run
};

// What a download of a due feed gave: the body, or the failure's message.
struct FeedDownload {
  bool ok = false;
  std::string text;  // body when ok, error message otherwise
};

// One row of the notification list. The row keeps the URL it was read from,
// so that a double-click opens that feed whatever its channel title says.
struct NotificationRow {
  // As shown (UTF-8): the channel title, the first item's title and date.
  std::string caption;
  std::string title;
  std::string date;
  std::string url;

  friend bool operator==(const NotificationRow&,
                         const NotificationRow&) = default;
};

// An item a tick saw first, with its date in seconds when it has one that
// reads as a date.
struct NewItemRow {
  NotificationRow row;
  std::optional<std::int64_t> time;
};

// A due feed's download after the notification reader went over it; made on
// the thread that downloaded it, so the window's thread only adds rows.
struct FeedRead {
  std::optional<std::string> error;  // the download failed with this message
  ShownFirstItem row;                // what the row shows, when it did not
  // Only new items are notified: `row` is left out, and `new_items` gives
  // the rows of the items first seen in this download.
  bool only_new = false;
  std::vector<NewItemRow> new_items;
};

FeedRead ReadDownload(FeedDownload download);

// Makes the read of a due feed's download on the worker that downloaded it,
// in place of ReadDownload: `url` is the feed's.
using TickReader =
    std::function<FeedRead(const std::string& url, FeedDownload download)>;

struct TickOutcome {
  // In FeedList order; when only new items are notified, newest first and
  // at most kMaxNewItemRows.
  std::vector<NotificationRow> rows;
  // The URL of the last due feed, failed or not; empty when none was due.
  std::optional<std::string> current_feed_url;
  bool show_window = false;  // at least one row was added
  // The failure of the tick that gets the error box, as "<feed name>:
  // <message>"; later feeds were still downloaded and read.
  std::optional<std::string> first_error;
};

// The failures already told in an error box: each feed's last one, by URL.
// A feed that fails the same way again is not boxed again until it has been
// read or fails otherwise.
class ToldFailures {
 public:
  bool Told(const std::string& url, const std::string& message) const;
  void Tell(const std::string& url, const std::string& message);
  void Forget(const std::string& url) { told_.erase(url); }

 private:
  std::unordered_map<std::string, std::string> told_;
};

// The rows and state a tick gives, as if its feeds had been downloaded and
// read one after another. `reads` holds one result per due feed, in the same
// order; due feeds without a result are left out. The first failure not
// yet told in `told` gets the error box, when `box_free` (no box of an
// earlier tick is waiting or open), and is noted as told; every other
// failure gets a row that says it: the feed's name, the message, no date.
// A feed read well is forgotten by `told`. Without `told` every failure
// counts as new.
TickOutcome ApplyReads(const std::vector<DueFeed>& due,
                       std::vector<FeedRead> reads,
                       ToldFailures* told = nullptr, bool box_free = true);

// ApplyReads over the reads of `downloads`.
TickOutcome ApplyDownloads(const std::vector<DueFeed>& due,
                           std::vector<FeedDownload> downloads);

}  // namespace rivolet
